#include "TestEnvironment.h"

#include "model/environment/TextSizeStore.h"
#include "model/PromptPanelTextSize.h"

#include <QSignalSpy>
#include <QTest>

class PromptPanelTextSizeTest : public QObject {
    Q_OBJECT

private slots:
    void storedValueReads_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<PromptPanelTextSize>("expected");
        QTest::newRow("absent") << QVariant() << PromptPanelTextSize::system;
        QTest::newRow("system") << QVariant(QStringLiteral("system")) << PromptPanelTextSize::system;
        QTest::newRow("comfortable") << QVariant(QStringLiteral("comfortable")) << PromptPanelTextSize::comfortable;
        QTest::newRow("large") << QVariant(QStringLiteral("large")) << PromptPanelTextSize::large;
        QTest::newRow("wrong case") << QVariant(QStringLiteral("Large")) << PromptPanelTextSize::system;
        QTest::newRow("padded") << QVariant(QStringLiteral(" large")) << PromptPanelTextSize::system;
        QTest::newRow("empty") << QVariant(QString()) << PromptPanelTextSize::system;
        QTest::newRow("a number") << QVariant(17) << PromptPanelTextSize::system;
    }
    void storedValueReads() {
        QFETCH(QVariant, stored);
        QFETCH(PromptPanelTextSize, expected);
        TestEnvironment env;
        if (stored.isValid()) {
            env.defaults()->setValue(TextSizeStore::key, stored);
        }
        TextSizeStore store(env.defaults());
        QCOMPARE(store.selection(), expected);
    }

    void tableOfSizes() {
        QCOMPARE(PromptPanelTextSizes::allCases(),
                 (QList<PromptPanelTextSize>{PromptPanelTextSize::system, PromptPanelTextSize::comfortable,
                                             PromptPanelTextSize::large}));
        QList<int> base;
        for (const auto size : PromptPanelTextSizes::allCases()) {
            QCOMPARE(PromptPanelTextSizes::fromRawValue(PromptPanelTextSizes::rawValue(size)), size);
            base << PromptPanelTextSizes::basePixelSize(size);
        }
        QCOMPARE(base, (QList<int>{13, 15, 17}));
        QCOMPARE(TextSizeStore::key, QStringLiteral("OrrisHollows.panelTextSize.v1"));
    }

    void titlesFollowTheLanguageNotTheStoredValue() {
        TestEnvironment env;
        TextSizeStore store(env.defaults());
        store.setSelection(PromptPanelTextSize::comfortable);
        QCOMPARE(PromptPanelTextSizes::localizedTitle(PromptPanelTextSize::comfortable, AppLanguage::english),
                 QStringLiteral("Comfortable"));
        QCOMPARE(PromptPanelTextSizes::localizedTitle(PromptPanelTextSize::comfortable, AppLanguage::zhHans),
                 QStringLiteral("舒适"));
        QCOMPARE(env.defaults()->stringValue(TextSizeStore::key), QStringLiteral("comfortable"));
    }

    void storeWritesAndAnnouncesChanges() {
        TestEnvironment env(TestEnvironment::Settings::iniFile);
        TextSizeStore store(env.defaults());
        QSignalSpy changed(&store, &TextSizeStore::selectionChanged);
        store.setSelection(PromptPanelTextSize::large);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<PromptPanelTextSize>(), PromptPanelTextSize::large);
        QCOMPARE(env.defaults()->stringValue(TextSizeStore::key), QStringLiteral("large"));
        store.setSelection(PromptPanelTextSize::large);
        QCOMPARE(changed.count(), 1);

        // Another writer of the key: reload picks it up and announces it once.
        env.defaults()->setString(TextSizeStore::key, QStringLiteral("comfortable"));
        store.reload();
        store.reload();
        QCOMPARE(changed.count(), 2);
        QCOMPARE(store.selection(), PromptPanelTextSize::comfortable);

        // A second store over the same settings file starts where the first left off.
        TextSizeStore again(env.defaults());
        QCOMPARE(again.selection(), PromptPanelTextSize::comfortable);
    }
};

QTEST_GUILESS_MAIN(PromptPanelTextSizeTest)
#include "tst_promptpaneltextsize.moc"
