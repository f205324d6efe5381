#include "TestEnvironment.h"

#include "model/environment/TextSizeStore.h"
#include "widgets/ElidedTextBlock.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/ReduceMotion.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

class InterfaceEnvironmentTest : public QObject {
    Q_OBJECT

private slots:
    void textSizeAppliesToTheWholeTreeAtOnce() {
        TestEnvironment env;
        TextSizeStore store(env.defaults());
        QWidget root;
        auto* layout = new QVBoxLayout(&root);
        auto* body = new QLabel(QStringLiteral("body"));
        auto* caption = new QLabel(QStringLiteral("caption"));
        layout->addWidget(body);
        layout->addWidget(caption);
        InterfaceEnvironment::setTextStyle(caption, PromptPanelTextSizes::TextStyle::caption);
        applyInterfaceTextSize(&root, store);

        QCOMPARE(body->font().pixelSize(), 13);
        QCOMPARE(caption->font().pixelSize(), 10);
        QCOMPARE(InterfaceEnvironment::textSize(body), PromptPanelTextSize::system);

        store.setSelection(PromptPanelTextSize::large);
        QCOMPARE(body->font().pixelSize(), 17);
        QCOMPARE(caption->font().pixelSize(), 13);
        QCOMPARE(InterfaceEnvironment::textSize(caption), PromptPanelTextSize::large);

        // A view added later inherits the base font and sees the size.
        auto* late = new QLabel(QStringLiteral("late"), &root);
        QCOMPARE(late->font().pixelSize(), 17);
        QCOMPARE(InterfaceEnvironment::textSize(late), PromptPanelTextSize::large);

        // Outside any root: system.
        QLabel outside;
        QCOMPARE(InterfaceEnvironment::textSize(&outside), PromptPanelTextSize::system);
    }

    void wrappedTextBreaksBetweenWordsAndElidesAWordTooLong() {
        QFont font;
        font.setPixelSize(17);
        font.setBold(true);
        const QFontMetricsF metrics(font);
        const qreal width = metrics.horizontalAdvance(QStringLiteral("Review the")) + 2;
        ElidedTextBlock block;
        block.setText(QStringLiteral("Review the pull request"), font, width, 2, 2);
        // Whole words on each line, the rest elided on the last.
        QCOMPARE(block.lines().size(), 2);
        QCOMPARE(block.lines().first(), QStringLiteral("Review the"));
        QVERIFY(block.lines().last().startsWith(QStringLiteral("pull")));
        QVERIFY(block.lines().last().endsWith(QChar(0x2026)));

        // A word longer than the line ends in an ellipsis rather than going on on the next line.
        block.setText(QStringLiteral("Reviewreviewreviewreview now"), font, metrics.horizontalAdvance("Review"), 2, 2);
        QVERIFY(block.lines().first().endsWith(QChar(0x2026)));
        QVERIFY(metrics.horizontalAdvance(block.lines().first()) <= metrics.horizontalAdvance("Review") + 0.5);
        QCOMPARE(block.lines().last(), QStringLiteral("now"));

        // Chinese text, which has no blanks, still wraps.
        block.setText(QStringLiteral("审查这个拉取请求中的每一处改动并列出风险"), font, width, 3, 2);
        QVERIFY(block.lines().size() >= 2);
    }

    void reduceMotionProvider_data() {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<int>("desktop"); // -1 unknown, 0 off, 1 on
        QTest::addColumn<bool>("expected");
        QTest::newRow("nothing") << QString() << -1 << false;
        QTest::newRow("variable on") << QStringLiteral("1") << 0 << true;
        QTest::newRow("variable off wins over the desktop") << QStringLiteral("0") << 1 << false;
        QTest::newRow("unreadable variable falls through") << QStringLiteral("maybe") << 1 << true;
        QTest::newRow("desktop on") << QString() << 1 << true;
        QTest::newRow("true") << QStringLiteral(" TRUE ") << -1 << true;
    }
    void reduceMotionProvider() {
        QFETCH(QString, variable);
        QFETCH(int, desktop);
        QFETCH(bool, expected);
        const ReduceMotion reduceMotion(
            [variable](const QString& name) -> std::optional<QString> {
                if (name == ReduceMotion::environmentVariableName && !variable.isNull()) {
                    return variable;
                }
                return std::nullopt;
            },
            [desktop]() -> std::optional<bool> {
                if (desktop < 0) {
                    return std::nullopt;
                }
                return desktop == 1;
            });
        QCOMPARE(reduceMotion.isOn(), expected);
    }
};

QTEST_MAIN(InterfaceEnvironmentTest)
#include "tst_interfaceenvironment.moc"
