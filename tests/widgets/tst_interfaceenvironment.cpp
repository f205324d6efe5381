#include "TestEnvironment.h"

#include "model/TextSizeStore.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/ReduceMotion.h"

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
