#include "TestEnvironment.h"

#include "config/PromptPackService.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "windows/settings/SettingsModel.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(LaunchAtLoginStatus)
Q_DECLARE_METATYPE(SettingsCategory)

class SettingsModelTest : public QObject {
    Q_OBJECT

private slots:
    void eachCategoryShowsItsSectionsInTheFormOrder_data() {
        QTest::addColumn<SettingsCategory>("category");
        QTest::addColumn<QStringList>("titleKeys");
        QTest::newRow("getting started") << SettingsCategory::gettingStarted
                                         << QStringList{"first.checklist.settings.section"};
        QTest::newRow("general") << SettingsCategory::general
                                 << QStringList{"settings.display.feedback", "settings.startup.title"};
        // The packs are declared after the shortcuts, yet close the Prompts page.
        QTest::newRow("prompts") << SettingsCategory::prompts
                                 << QStringList{"settings.environment.binding", "settings.usage.title",
                                                "settings.prompt.packs"};
        QTest::newRow("shortcuts") << SettingsCategory::shortcuts << QStringList{"settings.shortcut"};
        QTest::newRow("updates") << SettingsCategory::updates << QStringList{"settings.updates.title"};
    }
    void eachCategoryShowsItsSectionsInTheFormOrder() {
        QFETCH(SettingsCategory, category);
        QFETCH(QStringList, titleKeys);
        QStringList shown;
        for (const SettingsSection& section : SettingsModel::sectionsFor(category)) {
            shown << section.titleKey;
        }
        QCOMPARE(shown, titleKeys);
    }

    void theSidebarListsTheFiveCategoriesGettingStartedFirst() {
        const QList<SettingsCategory> all = SettingsModel::allCategories();
        QCOMPARE(all.size(), 5);
        QCOMPARE(all.first(), SettingsCategory::gettingStarted);
        QStringList keys;
        for (const SettingsCategory category : all) {
            keys << SettingsModel::categoryTitleKey(category);
        }
        QCOMPARE(keys, (QStringList{"settings.category.getting.started", "settings.category.general",
                                    "settings.category.prompts", "settings.category.shortcuts",
                                    "settings.category.updates"}));
    }

    void startupHelpKey_data() {
        QTest::addColumn<LaunchAtLoginStatus>("status");
        QTest::addColumn<bool>("hasError");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("offersStartupSettings");
        QTest::newRow("disabled") << LaunchAtLoginStatus::disabled << false << "settings.startup.help" << false;
        QTest::newRow("enabled") << LaunchAtLoginStatus::enabled << false << "settings.startup.help" << false;
        QTest::newRow("approval") << LaunchAtLoginStatus::requiresApproval << false
                                  << "settings.startup.requires.approval" << true;
        // Nothing failed, yet there is no login item to change: the error text all the same.
        QTest::newRow("unavailable without error")
            << LaunchAtLoginStatus::unavailable << false << "settings.startup.error" << false;
        QTest::newRow("error wins over approval")
            << LaunchAtLoginStatus::requiresApproval << true << "settings.startup.error" << true;
        QTest::newRow("error while enabled")
            << LaunchAtLoginStatus::enabled << true << "settings.startup.error" << false;
    }
    void startupHelpKey() {
        QFETCH(LaunchAtLoginStatus, status);
        QFETCH(bool, hasError);
        QFETCH(QString, key);
        QFETCH(bool, offersStartupSettings);
        QCOMPARE(SettingsModel::startupHelpKey(status, hasError), key);
        QCOMPARE(SettingsModel::showsStartupSettingsButton(status), offersStartupSettings);
    }

    void updateHelpKey_data() {
        QTest::addColumn<bool>("configured");
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<QString>("key");
        QTest::newRow("not configured") << false << false << "settings.updates.placeholder";
        QTest::newRow("not configured, stale on") << false << true << "settings.updates.placeholder";
        QTest::newRow("automatic") << true << true << "settings.updates.auto.enabled.help";
        QTest::newRow("manual") << true << false << "settings.updates.auto.disabled.help";
    }
    void updateHelpKey() {
        QFETCH(bool, configured);
        QFETCH(bool, automatic);
        QFETCH(QString, key);
        QCOMPARE(SettingsModel::updateHelpKey(configured, automatic), key);
    }

    void hotKeyStatusTones() {
        using Kind = HotKeyStatus::Kind;
        using Tone = SettingsModel::StatusTone;
        const QList<std::pair<Kind, Tone>> table{
            {Kind::registering, Tone::secondary}, {Kind::registered, Tone::success}, {Kind::failed, Tone::failure},
            {Kind::restoreFailed, Tone::failure}, {Kind::idle, Tone::secondary},     {Kind::invalid, Tone::failure}};
        for (const auto& [kind, tone] : table) {
            QCOMPARE(SettingsModel::hotKeyStatusTone(kind), tone);
        }
        // No status line at all while idle.
        QVERIFY(HotKeyStatus::idle().message(AppLanguage::english).isEmpty());
    }

    void theDefaultsAreExactlyTheirKeyAndModifiers() {
        QCOMPARE(PromptKeyboardShortcut::defaultTogglePanel(), (PromptKeyboardShortcut{35, 0x60000}));
        QVERIFY(SettingsModel::isDefaultToggleShortcut({35, 0x60000}));
        QVERIFY(!SettingsModel::isDefaultToggleShortcut({35, 0x40000}));
        QVERIFY(!SettingsModel::isDefaultToggleShortcut({35, 0x160000}));
        QVERIFY(!SettingsModel::isDefaultToggleShortcut({34, 0x60000}));
        QCOMPARE(PromptKeyboardShortcut::defaultTogglePanel().displayString(), QString("Super+Shift+P"));

        QVERIFY(SettingsModel::isDefaultTileShortcut({0x100000}));
        QVERIFY(!SettingsModel::isDefaultTileShortcut({0x120000}));
        QVERIFY(!SettingsModel::isDefaultTileShortcut({0x80000}));
    }

    void gettingStartedRowsFollowTheChecklist() {
        using Row = SettingsModel::GettingStartedRow;
        QCOMPARE(SettingsModel::rowsFor(true), (QList<Row>{Row::reopenWelcome, Row::reopenChecklist}));
        QCOMPARE(SettingsModel::rowsFor(false), (QList<Row>{Row::reopenWelcome, Row::checklistHelp, Row::openPanel}));
    }

    void builtInPacksFollowTheChosenLanguage() {
        const QList<PromptPack>& chinese = PromptPackService::builtInPacks(AppLanguage::zhHans);
        const QList<PromptPack>& english = PromptPackService::builtInPacks(AppLanguage::english);
        QVERIFY(!chinese.isEmpty() && !english.isEmpty());
        QVERIFY(chinese.first().metadata.name != english.first().metadata.name);
        QCOMPARE(SettingsModel::builtInPacksFor(AppLanguage::system, {"zh-Hans-CN", "en-US"}), chinese);
        QCOMPARE(SettingsModel::builtInPacksFor(AppLanguage::system, {"en-GB"}), english);
        // A language chosen outright wins over the system's.
        QCOMPARE(SettingsModel::builtInPacksFor(AppLanguage::english, {"zh-Hans-CN"}), english);
        QCOMPARE(SettingsModel::builtInPacksFor(AppLanguage::zhHans, {"en-US"}), chinese);
    }

    void copySoundTitlesTranslateOnlyCatalogKeys() {
        const QList<ShortcutSettingsStore::CopySoundOption>& options = ShortcutSettingsStore::copySoundOptions();
        QCOMPARE(options.first().soundName, QString());
        QCOMPARE(SettingsModel::copySoundTitle(options.first(), AppLanguage::english), QString("Off"));
        QCOMPARE(SettingsModel::copySoundTitle(options.first(), AppLanguage::zhHans), QString("关闭"));
        QCOMPARE(SettingsModel::copySoundTitle(options.at(1), AppLanguage::zhHans), options.at(1).soundName);
    }

    void choosingTheSoundAlreadyChosenLeavesThePlayerAlone() {
        TestEnvironment env;
        ShortcutSettingsStore store(env.defaults(), [] { return AppLanguage::english; });
        QSignalSpy stored(&store, &ShortcutSettingsStore::copySoundNameChanged);
        QStringList played;
        const auto player = [&played](const QString& name) { played << name; };

        QVERIFY(!SettingsModel::chooseCopySound(store, store.copySoundName(), player));
        QVERIFY(played.isEmpty());
        QCOMPARE(stored.count(), 0);

        QVERIFY(SettingsModel::chooseCopySound(store, QString(), player));
        QCOMPARE(played, QStringList{QString()});
        QCOMPARE(store.copySoundName(), QString());
        QCOMPARE(env.defaults()->stringValue(ShortcutSettingsStore::copySoundNameKey),
                 std::optional<QString>(QString()));
        QVERIFY(!SettingsModel::chooseCopySound(store, QString(), player));
        QCOMPARE(played.size(), 1);
    }
};

QTEST_GUILESS_MAIN(SettingsModelTest)
#include "tst_settingsmodel.moc"
