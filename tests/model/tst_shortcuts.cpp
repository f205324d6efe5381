#include "TestEnvironment.h"

#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/ToggleShortcutRegistrar.h"
#include "model/KeyboardShortcutModels.h"

#include <QSignalSpy>
#include <QTest>

using namespace ModifierFlags;

class ShortcutsTest : public QObject {
    Q_OBJECT

private slots:
    void storageStrings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parses");
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint64>("modifiers");
        QTest::newRow("default") << "35:393216" << true << 35u << quint64(0x60000);
        QTest::newRow("doubled colon") << "35::393216" << true << 35u << quint64(0x60000);
        QTest::newRow("caps lock and low bits dropped") << "35:1114117" << true << 35u << quint64(0x100000);
        QTest::newRow("any key code") << "4000:1048576" << true << 4000u << quint64(0x100000);
        QTest::newRow("shift only") << "35:131072" << false << 0u << quint64(0);
        QTest::newRow("lone key") << "35" << false << 0u << quint64(0);
        QTest::newRow("letter key") << "P:393216" << false << 0u << quint64(0);
        QTest::newRow("three pieces") << "35:393216:1" << false << 0u << quint64(0);
        QTest::newRow("negative") << "-1:393216" << false << 0u << quint64(0);
        QTest::newRow("key out of range") << "4294967296:393216" << false << 0u << quint64(0);
        QTest::newRow("signed") << "+35:393216" << false << 0u << quint64(0);
        QTest::newRow("empty") << "" << false << 0u << quint64(0);
    }
    void storageStrings() {
        QFETCH(QString, text);
        QFETCH(bool, parses);
        QFETCH(quint32, keyCode);
        QFETCH(quint64, modifiers);
        const auto shortcut = PromptKeyboardShortcut::fromStorageString(text);
        QCOMPARE(shortcut.has_value(), parses);
        if (parses) {
            QCOMPARE(shortcut->keyCode, keyCode);
            QCOMPARE(shortcut->modifiersRawValue, modifiers);
        }
    }

    void storageStringRoundTrips() {
        const PromptKeyboardShortcut shortcut{40, command | shift};
        QCOMPARE(shortcut.storageString(), QStringLiteral("40:1179648"));
        QCOMPARE(PromptKeyboardShortcut::fromStorageString(shortcut.storageString()), std::optional(shortcut));
    }

    void eventsBecomeShortcuts() {
        // Caps lock never takes part; shift stays.
        const auto withCapsLock = PromptKeyboardShortcut::fromEvent({35, command | shift | capsLock | 0x100, "p"});
        QCOMPARE(withCapsLock, std::optional(PromptKeyboardShortcut{35, command | shift}));
        QVERIFY(!PromptKeyboardShortcut::fromEvent({53, command, ""}));         // Escape
        QVERIFY(!PromptKeyboardShortcut::fromEvent({56, command | shift, ""})); // a bare modifier key
        QVERIFY(!PromptKeyboardShortcut::fromEvent({35, shift, "p"}));          // no primary modifier
    }

    void display_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint64>("modifiers");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default hot key") << 35u << (control | shift) << "Super+Shift+P";
        QTest::newRow("command shift K") << 40u << (command | shift) << "Ctrl+Shift+K";
        QTest::newRow("all modifiers") << 35u << (command | option | control | shift) << "Ctrl+Alt+Super+Shift+P";
        QTest::newRow("space") << 49u << option << "Alt+Space";
        QTest::newRow("F4 has no name") << 118u << command << "Ctrl+Key 118";
        QTest::newRow("page up has no name") << 116u << command << "Ctrl+Key 116";
        QTest::newRow("return") << 36u << command << "Ctrl+Return";
        QTest::newRow("arrow") << 126u << command << "Ctrl+Up";
        QTest::newRow("backslash") << 42u << command << "Ctrl+\\";
    }
    void display() {
        QFETCH(quint32, keyCode);
        QFETCH(quint64, modifiers);
        QFETCH(QString, expected);
        QCOMPARE((PromptKeyboardShortcut{keyCode, modifiers}).displayString(), expected);
    }

    void carbonFlags() {
        QCOMPARE((PromptKeyboardShortcut{35, control | shift}).carbonModifierFlags(), 0x1200u);
        QCOMPARE((PromptKeyboardShortcut{35, command | option | capsLock}).carbonModifierFlags(), 0x900u);
    }

    void tileShortcuts() {
        const PromptTileShortcut optionTiles{option};
        QCOMPARE(optionTiles.tileIndex({23, option, "5"}), std::optional(4));
        QCOMPARE(optionTiles.badgeText(5), QStringLiteral("Alt+5"));
        QVERIFY(!optionTiles.tileIndex({23, command, "5"}));

        const PromptTileShortcut defaults;
        QCOMPARE(defaults.tileIndex({20, command, "3"}), std::optional(2));
        QVERIFY(!defaults.tileIndex({20, command | shift, "3"}));
        QVERIFY(!defaults.tileIndex({29, command, "0"}));
        QVERIFY(!defaults.tileIndex({0, command, "a"}));
        QVERIFY(!defaults.tileIndex({20, command, ""}));
        QVERIFY(!defaults.tileIndex({20, command, "33"}));
        QCOMPARE(defaults.displayString(), QStringLiteral("Ctrl+1..9"));

        QCOMPARE(PromptTileShortcut::fromEvent({21, control | option | capsLock, "4"}),
                 std::optional(PromptTileShortcut{control | option}));
        QVERIFY(!PromptTileShortcut::fromEvent({21, shift, "4"}));
        QVERIFY(!PromptTileShortcut::fromEvent({21, 0, "4"}));
        QVERIFY(!PromptTileShortcut::fromEvent({0, command, "a"}));
    }

    void statusMessages() {
        QCOMPARE(HotKeyStatus::idle().message(AppLanguage::english), QString());
        const QString restore = HotKeyStatus::restoreFailed(5, 7).message(AppLanguage::english);
        QVERIFY2(restore.indexOf("5") < restore.indexOf("7") && restore.indexOf("5") >= 0, qPrintable(restore));
        const QString failed =
            HotKeyStatus::failed(PromptKeyboardShortcut::defaultTogglePanel(), -9878).message(AppLanguage::zhHans);
        QVERIFY(failed.contains("Super+Shift+P"));
        QVERIFY(failed.contains("-9878"));
        QVERIFY(!HotKeyStatus::invalid().message(AppLanguage::english).isEmpty());
        QVERIFY(HotKeyStatus::failed({35, command}, 1) != HotKeyStatus::failed({35, command}, 2));
        QVERIFY(HotKeyStatus::failed({35, command}, 1, true) != HotKeyStatus::failed({35, command}, 1, false));

        // A hot key refused with nothing live says so, in both languages, and never promises the
        // previous one.
        const PromptKeyboardShortcut held = PromptKeyboardShortcut::defaultTogglePanel();
        const QString keptEn = HotKeyStatus::failed(held, 10, true).message(AppLanguage::english);
        const QString noneEn = HotKeyStatus::failed(held, 10, false).message(AppLanguage::english);
        const QString keptZh = HotKeyStatus::failed(held, 10, true).message(AppLanguage::zhHans);
        const QString noneZh = HotKeyStatus::failed(held, 10, false).message(AppLanguage::zhHans);
        QVERIFY2(keptEn.contains("still active"), qPrintable(keptEn));
        QVERIFY2(!noneEn.contains("still active") && noneEn.contains("No global shortcut is active") &&
                     noneEn.contains("Super+Shift+P") && noneEn.contains("10"),
                 qPrintable(noneEn));
        QVERIFY(noneZh != keptZh && noneZh.contains("Super+Shift+P") && !noneZh.contains(QStringLiteral("仍在使用")));
        QVERIFY(HotKeyStatus::restoreFailed(1, 2) == HotKeyStatus::restoreFailed(1, 2));
    }

    void storeDefaultsAndMigrations_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<PromptKeyboardShortcut>("expected");
        QTest::addColumn<bool>("writtenBack");
        const PromptKeyboardShortcut def = PromptKeyboardShortcut::defaultTogglePanel();
        QTest::newRow("absent") << QVariant() << def << false;
        QTest::newRow("option space migrates") << QVariant(PromptKeyboardShortcut{49, option}.toJson()) << def << true;
        QTest::newRow("control option space migrates")
            << QVariant(PromptKeyboardShortcut{49, control | option}.toJson()) << def << true;
        QTest::newRow("command option space stays") << QVariant(PromptKeyboardShortcut{49, command | option}.toJson())
                                                    << PromptKeyboardShortcut{49, command | option} << false;
        QTest::newRow("shift only is unusable") << QVariant(PromptKeyboardShortcut{35, shift}.toJson()) << def << false;
        QTest::newRow("not json") << QVariant(QByteArray("{keyCode")) << def << false;
        QTest::newRow("fractional key") << QVariant(QByteArray(R"({"keyCode":35.5,"modifiersRawValue":393216})")) << def
                                        << false;
        QTest::newRow("text instead of data") << QVariant(QStringLiteral("35:393216")) << def << false;
        QTest::newRow("number instead of data") << QVariant(35) << def << false;
    }
    void storeDefaultsAndMigrations() {
        QFETCH(QVariant, stored);
        QFETCH(PromptKeyboardShortcut, expected);
        QFETCH(bool, writtenBack);
        TestEnvironment env(TestEnvironment::Settings::iniFile);
        if (stored.isValid()) {
            env.defaults()->setValue(ShortcutSettingsStore::key, stored);
        }
        ShortcutSettingsStore store(env.defaults(), [] { return AppLanguage::english; });
        QCOMPARE(store.togglePanelShortcut(), expected);
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::idle());
        const QVariant after = env.defaults()->value(ShortcutSettingsStore::key);
        if (writtenBack) {
            QCOMPARE(PromptKeyboardShortcut::fromJson(after.toByteArray()), std::optional(expected));
        } else {
            QCOMPARE(after, stored);
        }
    }

    void storeFlagsFallBackOnBadValues() {
        TestEnvironment env(TestEnvironment::Settings::iniFile);
        env.defaults()->setValue(ShortcutSettingsStore::hoverOpenEnabledKey, QStringLiteral("yes"));
        env.defaults()->setValue(ShortcutSettingsStore::copyHapticsEnabledKey, QByteArray("false"));
        env.defaults()->setValue(ShortcutSettingsStore::copySoundNameKey, QByteArray("Ping"));
        env.defaults()->setValue(ShortcutSettingsStore::promptTileShortcutKey,
                                 PromptTileShortcut{shift}.toJson()); // no primary modifier
        ShortcutSettingsStore store(env.defaults(), [] { return AppLanguage::english; });
        QCOMPARE(store.hoverOpenEnabled(), false);
        QCOMPARE(store.copyHapticsEnabled(), true);
        QCOMPARE(store.copySoundName(), QStringLiteral("Glass"));
        QCOMPARE(store.promptTileShortcut(), PromptTileShortcut{command});

        // Values written by the store read back through the INI file.
        store.setHoverOpenEnabled(true);
        store.setCopyHapticsEnabled(false);
        store.setCopySoundName(QString());
        store.setPromptTileShortcut({option});
        static_cast<SettingsUserDefaults&>(*env.defaults()).sync();
        auto reread = std::make_shared<SettingsUserDefaults>(env.settingsFile());
        ShortcutSettingsStore reopened(reread, [] { return AppLanguage::english; });
        QCOMPARE(reopened.hoverOpenEnabled(), true);
        QCOMPARE(reopened.copyHapticsEnabled(), false);
        QCOMPARE(reopened.copySoundName(), QString());
        QCOMPARE(reopened.promptTileShortcut(), PromptTileShortcut{option});
    }

    void requestsNeedAPrimaryModifier() {
        TestEnvironment env;
        ShortcutSettingsStore store(env.defaults(), [] { return AppLanguage::english; });
        QSignalSpy requests(&store, &ShortcutSettingsStore::shortcutRequested);
        store.requestTogglePanelShortcut({35, shift});
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::invalid());
        QCOMPARE(requests.count(), 0);
        store.requestTogglePanelShortcut({35, command});
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::registering({35, command}));
        QCOMPARE(requests.count(), 1);
        QCOMPARE(store.togglePanelShortcut(), PromptKeyboardShortcut::defaultTogglePanel());
    }

    void registrationRules() {
        TestEnvironment env;
        ShortcutSettingsStore store(env.defaults(), [] { return AppLanguage::english; });
        const PromptKeyboardShortcut original = store.togglePanelShortcut();
        const PromptKeyboardShortcut requested{40, command | option};
        QList<qint32> answers;
        QList<PromptKeyboardShortcut> registered;
        // As the hot-key service does: a registration drops the previous grab, so only the last
        // answer decides whether a hot key is live.
        bool live = false;
        ToggleShortcutRegistrar registrar(
            store,
            [&](const PromptKeyboardShortcut& shortcut) {
                registered.append(shortcut);
                const qint32 answer = answers.isEmpty() ? 0 : answers.takeFirst();
                live = answer == 0;
                return answer;
            },
            [&] { return live; });

        answers = {0};
        registrar.registerCurrentToggleShortcut();
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::registered(original));
        QVERIFY(!env.defaults()->contains(ShortcutSettingsStore::key));

        answers = {-9878};
        registrar.registerCurrentToggleShortcut();
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::failed(original, -9878, false));

        registered.clear();
        answers = {5, 0};
        registrar.registerRequestedToggleShortcut(requested);
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::failed(requested, 5, true));
        QCOMPARE(registered, (QList<PromptKeyboardShortcut>{requested, original}));
        QCOMPARE(store.togglePanelShortcut(), original);
        QVERIFY(!env.defaults()->contains(ShortcutSettingsStore::key));

        answers = {5, 7};
        registrar.registerRequestedToggleShortcut(requested);
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::restoreFailed(5, 7));
        QCOMPARE(store.togglePanelShortcut(), original);

        answers = {0};
        registrar.registerRequestedToggleShortcut(requested);
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::registered(requested));
        QCOMPARE(store.togglePanelShortcut(), requested);
        QCOMPARE(PromptKeyboardShortcut::fromJson(env.defaults()->dataValue(ShortcutSettingsStore::key).value()),
                 std::optional(requested));
    }

    void keyTableMapsAllThreeWays() {
        for (const KeyTableEntry& entry : KeyTable::entries()) {
            QCOMPARE(KeyTable::byKeyCode(entry.keyCode), &entry);
            QCOMPARE(KeyTable::byQtKey(entry.qtKey, entry.keypad), &entry);
            QCOMPARE(KeyTable::byKeysym(entry.keysym), &entry);
        }
        QCOMPARE(KeyTable::byQtKey(Qt::Key_Exclam, false)->keyCode, 18u); // Shift+1
        QCOMPARE(KeyTable::byKeysym('P')->keyCode, 35u);
        QCOMPARE(KeyTable::x11MaskFromFlags(control | shift), quint16(0x41)); // Super+Shift
        QCOMPARE(KeyTable::flagsFromQtModifiers(KeyTable::qtModifiersFromFlags(command | option | control | shift)),
                 command | option | control | shift);
        QCOMPARE(KeyTable::flagsFromX11Mask(0x41 | 0x2 | 0x10), control | shift | capsLock); // NumLock ignored
    }
};

QTEST_GUILESS_MAIN(ShortcutsTest)
#include "tst_shortcuts.moc"
