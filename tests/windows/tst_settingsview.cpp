#include "FakeDesktopSeams.h"
#include "FakeLaunchAtLoginService.h"
#include "FakeUrlOpener.h"
#include "PromptStoreFileHarness.h"

#include "config/PromptPackService.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/TextSizeStore.h"
#include "services/AppLinks.h"
#include "services/AppUpdateController.h"
#include "services/LaunchAtLoginController.h"
#include "services/RequestBus.h"
#include "store/FirstRunChecklistStore.h"
#include "store/PromptUsageStore.h"
#include "store/PromptVariableValueStore.h"
#include "widgets/BrandButton.h"
#include "widgets/OrrisHollowsAppearance.h"
#include "widgets/ShortcutRecorderButton.h"
#include "windows/settings/SettingsGeneralPage.h"
#include "windows/settings/SettingsGettingStartedPage.h"
#include "windows/settings/SettingsLook.h"
#include "windows/settings/SettingsPromptsPage.h"
#include "windows/settings/SettingsShortcutsPage.h"
#include "windows/settings/SettingsSwitch.h"
#include "windows/settings/SettingsUpdatesPage.h"
#include "windows/settings/SettingsView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

// Key codes of the stored layout.
constexpr quint32 keyOne = 18;
constexpr quint32 keyFive = 23;
constexpr quint32 keyA = 0;
constexpr quint32 keySpace = 49;

KeyEventInfo key(quint32 code, quint64 modifiers, const QString& characters) {
    return KeyEventInfo{code, modifiers, characters};
}

QString screenshotFolder() {
    QString folder = qEnvironmentVariable("ORRIS_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    }
    QDir().mkpath(folder);
    return folder;
}

// Every visible label gets the height its text needs at its width and lies inside the page's
// width; every visible button gets the width its title needs.
void verifyNothingClipped(QWidget* page, int width) {
    for (QLabel* label : page->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(page) || label->text().isEmpty()) {
            continue;
        }
        const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        QVERIFY2(label->height() >= needed, qPrintable(label->objectName() + ": " + label->text()));
        if (!label->wordWrap()) {
            QVERIFY2(label->width() >= label->sizeHint().width(),
                     qPrintable(label->objectName() + ": " + label->text()));
        }
        const QPoint at = label->mapTo(page, QPoint(0, 0));
        QVERIFY2(at.x() >= 0 && at.x() + label->width() <= width, qPrintable(label->objectName()));
    }
    for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(page) || qobject_cast<SettingsSwitch*>(button) != nullptr) {
            continue;
        }
        QVERIFY2(button->width() >= button->sizeHint().width(),
                 qPrintable(button->objectName() + ": " + button->text()));
        const QPoint at = button->mapTo(page, QPoint(0, 0));
        QVERIFY2(at.x() >= 0 && at.x() + button->width() <= width, qPrintable(button->objectName()));
    }
    // A font that stopped following the window's text size keeps a point size.
    for (QWidget* widget : page->findChildren<QWidget*>()) {
        if (widget->isVisibleTo(page)) {
            QVERIFY2(widget->font().pixelSize() > 0,
                     qPrintable(widget->objectName() + " " + widget->metaObject()->className()));
        }
    }
    for (SettingsSwitch* toggle : page->findChildren<SettingsSwitch*>()) {
        if (toggle->isVisibleTo(page)) {
            QVERIFY2(toggle->width() >= toggle->sizeHint().width(), qPrintable(toggle->objectName()));
        }
    }
}

} // namespace

class SettingsViewTest : public QObject {
    Q_OBJECT

private:
    // Real stores over one temporary home; fakes only at the desktop's seams.
    struct Fixture {
        PromptStoreFileHarness files;
        std::unique_ptr<AppLanguageStore> languages;
        std::unique_ptr<ShortcutSettingsStore> shortcuts;
        std::unique_ptr<FirstRunChecklistStore> checklist;
        std::shared_ptr<FakeLaunchAtLoginService> loginService = std::make_shared<FakeLaunchAtLoginService>();
        std::unique_ptr<LaunchAtLoginController> login;
        std::shared_ptr<FakeUrlOpener> updatePages = std::make_shared<FakeUrlOpener>();
        std::unique_ptr<AppUpdateController> updates;
        std::unique_ptr<TextSizeStore> textSize;
        std::unique_ptr<PromptVariableValueStore> values;
        RequestBus requests;
        FakeConfirmer confirmer;
        FakeUrlOpener links;
        QStringList soundsSelected;
        std::unique_ptr<SettingsView> view;

        Fixture() {
            files.env.setPreferredLanguages({"en-US"});
            files.loadHome();
            languages = std::make_unique<AppLanguageStore>(files.env.defaults(), [] { return QStringList{"en-US"}; });
            AppLanguageStore* languageStore = languages.get();
            L10n::setCurrentLanguageProvider([languageStore] { return languageStore->resolvedLanguage(); });
            shortcuts = std::make_unique<ShortcutSettingsStore>(
                files.env.defaults(), [languageStore] { return languageStore->resolvedLanguage(); });
            checklist = std::make_unique<FirstRunChecklistStore>(files.env.defaults());
            login = std::make_unique<LaunchAtLoginController>(loginService);
            updates = std::make_unique<AppUpdateController>(AppUpdateController::Configuration{},
                                                            AppUpdateController::UpdaterFactory{}, updatePages);
            textSize = std::make_unique<TextSizeStore>(files.env.defaults());
            values = std::make_unique<PromptVariableValueStore>(files.env.environment());
        }
        ~Fixture() {
            view.reset();
            L10n::setCurrentLanguageProvider({});
        }

        SettingsView& make() {
            SettingsDependencies dependencies{
                *files.store, *shortcuts,
                *checklist,   *login,
                *updates,     *languages,
                *textSize,    *values,
                requests,     confirmer,
                links,        [this](const QString& name) { soundsSelected << name; },
                nullptr,      QUrl::fromLocalFile(files.env.home() + "/.config/autostart")};
            view = std::make_unique<SettingsView>(dependencies);
            return *view;
        }
    };

private slots:
    void initTestCase() {
        OrrisHollowsAppearance::applyDark(*static_cast<QApplication*>(QCoreApplication::instance()));
    }

    void opensOnGettingStartedAndEachCategoryShowsItsOwnSectionsInOrder() {
        Fixture f;
        SettingsView& view = f.make();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.size(), QSize(760, 640));
        QCOMPARE(view.selectedCategory(), SettingsCategory::gettingStarted);
        QCOMPARE(view.sidebar()->currentRow(), 0);
        QCOMPARE(view.sidebar()->item(0)->text(), QString("Getting Started"));

        view.sidebar()->setCurrentRow(2);
        QCOMPARE(view.selectedCategory(), SettingsCategory::prompts);
        QStringList names;
        for (QWidget* section : view.visibleSections()) {
            names << section->objectName();
        }
        QCOMPARE(names, (QStringList{"settingsSection.settings.environment.binding",
                                     "settingsSection.settings.usage.title", "settingsSection.settings.prompt.packs"}));
        QVERIFY(view.pageArea(SettingsCategory::prompts)->isVisible());
        QVERIFY(!view.pageArea(SettingsCategory::shortcuts)->isVisible());
    }

    void showingTheViewRereadsTheUpdaterAndTheLoginItem() {
        Fixture f;
        SettingsView& view = f.make();
        QCOMPARE(view.generalPage()->loginSwitch()->isChecked(), false);
        // Changed outside the app while the window was away.
        f.loginService->platformStatus = LaunchAtLoginServicing::enabled;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(f.login->status(), LaunchAtLoginStatus::enabled);
        QVERIFY(view.generalPage()->loginSwitch()->isChecked());
    }

    void storeDrivenUpdatesNeverWriteBack() {
        Fixture f;
        SettingsView& view = f.make();
        SettingsGeneralPage* general = view.generalPage();
        QSignalSpy hover(f.shortcuts.get(), &ShortcutSettingsStore::hoverOpenEnabledChanged);
        QSignalSpy haptics(f.shortcuts.get(), &ShortcutSettingsStore::copyHapticsEnabledChanged);
        QSignalSpy sound(f.shortcuts.get(), &ShortcutSettingsStore::copySoundNameChanged);
        QSignalSpy tile(f.shortcuts.get(), &ShortcutSettingsStore::promptTileShortcutChanged);
        QSignalSpy language(f.languages.get(), &AppLanguageStore::selectionChanged);
        QSignalSpy sort(f.files.store.get(), &PromptStore::sortModeChanged);

        f.shortcuts->setHoverOpenEnabled(true);
        f.shortcuts->setCopyHapticsEnabled(false);
        f.shortcuts->setCopySoundName("Pop");
        f.shortcuts->setPromptTileShortcut({0x80000});
        f.languages->setSelection(AppLanguage::zhHans);
        f.files.store->setSortMode(PromptSortMode::frequent);

        // The controls follow...
        QVERIFY(general->hoverSwitch()->isChecked());
        QVERIFY(!general->hapticsSwitch()->isChecked());
        QCOMPARE(general->soundPicker()->currentData().toString(), QString("Pop"));
        QCOMPARE(general->languagePicker()->currentData().toString(), QString("zhHans"));
        QCOMPARE(view.promptsPage()->sortPicker()->currentData().toString(), QString("frequent"));
        QVERIFY(!view.shortcutsPage()->tileResetButton()->isHidden());
        // ...and never answer with a write of their own.
        QCOMPARE(hover.count(), 1);
        QCOMPARE(haptics.count(), 1);
        QCOMPARE(sound.count(), 1);
        QCOMPARE(tile.count(), 1);
        QCOMPARE(language.count(), 1);
        QCOMPARE(sort.count(), 1);
        QVERIFY(f.soundsSelected.isEmpty());
    }

    void generalControlsWriteThroughToTheirOwners() {
        Fixture f;
        SettingsView& view = f.make();
        SettingsGeneralPage* general = view.generalPage();

        general->hoverSwitch()->click();
        QVERIFY(f.shortcuts->hoverOpenEnabled());
        QCOMPARE(f.files.env.defaults()->boolValue(ShortcutSettingsStore::hoverOpenEnabledKey),
                 std::optional<bool>(true));
        general->hapticsSwitch()->click();
        QVERIFY(!f.shortcuts->copyHapticsEnabled());

        // "Off" is the first row: it stores the empty name and silences the player.
        QComboBox* sound = general->soundPicker();
        QCOMPARE(sound->itemText(0), QString("Off"));
        QCOMPARE(sound->itemText(1), QString("Glass"));
        sound->setCurrentIndex(0);
        emit sound->activated(0);
        QCOMPARE(f.shortcuts->copySoundName(), QString());
        QCOMPARE(f.files.env.defaults()->stringValue(ShortcutSettingsStore::copySoundNameKey),
                 std::optional<QString>(""));
        QCOMPARE(f.soundsSelected, QStringList{QString()});
        emit sound->activated(0);
        QCOMPARE(f.soundsSelected.size(), 1);

        QAbstractButton* large = general->textSizeButtons()->button(int(PromptPanelTextSize::large));
        large->click();
        QCOMPARE(f.textSize->selection(), PromptPanelTextSize::large);
        QCOMPARE(view.font().pixelSize(), 17);
        QCOMPARE(general->hoverSwitch()->font().pixelSize(), 17);

        f.loginService->platformStatus = LaunchAtLoginServicing::notRegistered;
        f.login->refresh();
        general->loginSwitch()->click();
        QCOMPARE(f.loginService->calls, QStringList{"register"});
        QVERIFY(general->loginSwitch()->isChecked());
    }

    void theLoginSwitchFollowsTheItemsState() {
        Fixture f;
        SettingsView& view = f.make();
        SettingsGeneralPage* general = view.generalPage();

        f.loginService->platformStatus = LaunchAtLoginServicing::requiresApproval;
        f.login->refresh();
        QVERIFY(!general->loginSwitch()->isEnabled());
        QCOMPARE(general->startupHelp()->text(),
                 L10n::string(L10N("settings.startup.requires.approval"), AppLanguage::english));
        QVERIFY(!general->startupSettingsButton()->isHidden());
        general->startupSettingsButton()->click();
        QCOMPARE(f.links.opened, QList<QUrl>{QUrl::fromLocalFile(f.files.env.home() + "/.config/autostart")});

        f.loginService->platformStatus = LaunchAtLoginServicing::unknown;
        f.login->refresh();
        QCOMPARE(f.login->status(), LaunchAtLoginStatus::unavailable);
        QVERIFY(!f.login->hasError());
        QVERIFY(!general->loginSwitch()->isEnabled());
        QCOMPARE(general->startupHelp()->text(), L10n::string(L10N("settings.startup.error"), AppLanguage::english));
        QVERIFY(general->startupSettingsButton()->isHidden());
    }

    void clearingUsageAsksFirstAndShowsAFailedClear() {
        Fixture f;
        PromptUsageStore& usage = f.files.store->usageStore();
        usage.recordSuccessfulCopy("p1", QDateTime::currentDateTimeUtc());
        const QByteArray before = f.files.env.readFile(".orris-hollows/prompt-usage.json");
        QVERIFY(before.contains("p1"));
        SettingsView& view = f.make();
        SettingsPromptsPage* prompts = view.promptsPage();
        QSignalSpy redraws(f.files.store.get(), &PromptStore::usageChanged);

        f.confirmer.answers = {false};
        prompts->clearUsageButton()->click();
        QCOMPARE(redraws.size(), 0);
        QCOMPARE(f.confirmer.titles, QStringList{"Clear usage records?"});
        QCOMPARE(f.files.env.readFile(".orris-hollows/prompt-usage.json"), before);
        QCOMPARE(usage.records().size(), 1);

        {
            ScopedWriteFault fault([](const QString& path) { return path.endsWith("prompt-usage.json"); });
            f.confirmer.answers = {true};
            prompts->clearUsageButton()->click();
            QCOMPARE(fault.hits(), 1);
        }
        QCOMPARE(usage.records().size(), 1);
        QCOMPARE(f.files.env.readFile(".orris-hollows/prompt-usage.json"), before);
        QVERIFY(!prompts->clearUsageError()->isHidden());
        QCOMPARE(redraws.size(), 1); // what is shown follows the records, cleared or not
        QVERIFY2(prompts->clearUsageError()->text().startsWith("The usage records could not be cleared: "),
                 qPrintable(prompts->clearUsageError()->text()));

        f.confirmer.answers = {true};
        prompts->clearUsageButton()->click();
        QVERIFY(usage.records().isEmpty());
        QCOMPARE(redraws.size(), 2);
        QVERIFY(!f.files.env.readFile(".orris-hollows/prompt-usage.json").contains("p1"));
        QVERIFY(prompts->clearUsageError()->isHidden());
    }

    void forgettingRememberedValuesEmptiesTheStore() {
        Fixture f;
        f.values->record("main.cpp", "file", QDateTime::currentDateTimeUtc());
        QVERIFY(!f.values->records().isEmpty());
        SettingsView& view = f.make();
        view.promptsPage()->clearValuesButton()->click();
        QVERIFY(f.values->records().isEmpty());
    }

    void theManageButtonAsksForTheWorkspaceManager() {
        Fixture f;
        SettingsView& view = f.make();
        QSignalSpy requested(&f.requests, &RequestBus::requestOpenWorkspaceManager);
        view.promptsPage()->findChild<BrandButton*>("settingsManageWorkspacesButton")->click();
        QCOMPARE(requested.count(), 1);
        QCOMPARE(requested.first().first().value<std::optional<QString>>(), std::nullopt);
    }

    void installingABuiltInPackOfTheInterfaceLanguageAddsAWorkspace() {
        Fixture f;
        SettingsView& view = f.make();
        f.languages->setSelection(AppLanguage::zhHans);
        SettingsPromptsPage* prompts = view.promptsPage();
        prompts->rebuildPacksMenu();
        const QList<PromptPack>& chinese = PromptPackService::builtInPacks(AppLanguage::zhHans);
        const QList<QAction*> actions = prompts->packsMenu()->actions();
        QCOMPARE(actions.size(), chinese.size());
        QCOMPARE(actions.first()->text(), chinese.first().metadata.name);

        const qsizetype before = f.files.store->workspaces().size();
        actions.first()->trigger();
        QCOMPARE(f.files.store->workspaces().size(), before + 1);
        QCOMPARE(f.files.store->workspaces().last().name, chinese.first().workspace.name);
        QVERIFY(QDir(f.files.env.home() + "/.orris-hollows/workspaces").entryList({"*.yaml"}, QDir::Files).size() >= 1);
    }

    void dismissingTheChecklistThenReopeningItFromGettingStarted() {
        Fixture f;
        SettingsView& view = f.make();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        SettingsGettingStartedPage* page = view.gettingStartedPage();
        QVERIFY(page->checklistHelp()->isVisible());
        QVERIFY(page->openPanelButton()->isVisible());
        QVERIFY(!page->reopenChecklistButton()->isVisible());

        f.checklist->dismiss();
        QVERIFY(page->welcomeButton()->isVisible());
        QVERIFY(page->reopenChecklistButton()->isVisible());
        QVERIFY(!page->checklistHelp()->isVisible());
        QVERIFY(!page->openPanelButton()->isVisible());

        page->reopenChecklistButton()->click();
        QVERIFY(!f.checklist->isDismissed());
        QCOMPARE(f.files.env.defaults()->boolValue(FirstRunChecklistStore::dismissedKey), std::optional<bool>(false));
        QVERIFY(page->checklistHelp()->isVisible());
        QVERIFY(page->openPanelButton()->isVisible());

        QSignalSpy welcome(&f.requests, &RequestBus::requestOpenWelcomeGuide);
        QSignalSpy panel(&f.requests, &RequestBus::requestOpenFromMenu);
        const auto flags = [&f] {
            QList<QVariant> values;
            for (const QString& key :
                 {FirstRunChecklistStore::dismissedKey, FirstRunChecklistStore::welcomeCompletedKey,
                  FirstRunChecklistStore::successfulCopyKey}) {
                values << f.files.env.defaults()->value(key);
            }
            return values;
        };
        const QList<QVariant> flagsBefore = flags();
        page->welcomeButton()->click();
        page->openPanelButton()->click();
        QCOMPARE(welcome.count(), 1);
        QCOMPARE(panel.count(), 1);
        QCOMPARE(flags(), flagsBefore);
    }

    void theTileRecorderTakesOnlyADigitWithAPrimaryModifier() {
        Fixture f;
        SettingsView& view = f.make();
        SettingsShortcutsPage* page = view.shortcutsPage();
        RecorderState& recorder = page->tileRecorder()->state();
        QVERIFY(!page->tileDefaultLabel()->isHidden());
        QVERIFY(page->tileResetButton()->isHidden());

        const struct {
            const char* name;
            KeyEventInfo key;
            std::optional<quint64> stored;
        } cases[] = {
            {"shift and a digit", key(keyOne, ModifierFlags::shift, "1"), std::nullopt},
            {"ctrl and a letter", key(keyA, ModifierFlags::command, "a"), std::nullopt},
            {"a digit alone", key(keyOne, 0, "1"), std::nullopt},
            {"alt and a digit", key(keyOne, ModifierFlags::option, "1"), 0x80000},
            {"caps lock is dropped", key(keyFive, ModifierFlags::capsLock | ModifierFlags::control, "5"), 0x40000},
            {"ctrl, shift and a digit", key(keyFive, ModifierFlags::command | ModifierFlags::shift, "5"), 0x120000},
        };
        for (const auto& c : cases) {
            f.shortcuts->setPromptTileShortcut(PromptTileShortcut::defaultShortcut());
            recorder.start();
            recorder.handleKey(c.key);
            if (c.stored) {
                QVERIFY2(!recorder.isRecording(), c.name);
                QCOMPARE(f.shortcuts->promptTileShortcut().modifiersRawValue, *c.stored);
            } else {
                QVERIFY2(recorder.isRecording(), c.name);
                QCOMPARE(recorder.message(), QString("Use a digit from 1 to 9 with Ctrl, Alt or Super."));
                QCOMPARE(f.shortcuts->promptTileShortcut(), PromptTileShortcut::defaultShortcut());
                recorder.stop();
            }
        }
        // Ctrl+Shift is not the default: the reset is offered and brings Ctrl back.
        QVERIFY(!page->tileResetButton()->isHidden());
        QVERIFY(page->tileDefaultLabel()->isHidden());
        page->tileResetButton()->click();
        QCOMPARE(f.shortcuts->promptTileShortcut(), PromptTileShortcut::defaultShortcut());
        QVERIFY(!page->tileDefaultLabel()->isHidden());
    }

    void theHotKeyRecorderRequestsAndTheStatusLineFollows() {
        Fixture f;
        SettingsView& view = f.make();
        SettingsShortcutsPage* page = view.shortcutsPage();
        QSignalSpy requested(f.shortcuts.get(), &ShortcutSettingsStore::shortcutRequested);
        QVERIFY(page->statusLine()->isHidden());
        QVERIFY(!page->hotKeyDefaultLabel()->isHidden());
        QCOMPARE(page->findChild<QLabel*>("settingsHotKeyDefaultValue")->text(), QString("Super+Shift+P"));

        RecorderState& recorder = page->hotKeyRecorder()->state();
        recorder.start();
        recorder.handleKey(key(keySpace, ModifierFlags::control | ModifierFlags::option, " "));
        QCOMPARE(requested.count(), 1);
        const PromptKeyboardShortcut wanted{keySpace, ModifierFlags::control | ModifierFlags::option};
        QCOMPARE(requested.first().first().value<PromptKeyboardShortcut>(), wanted);
        QVERIFY(!page->statusLine()->isHidden());
        QCOMPARE(page->statusLine()->text(), QString("Registering Alt+Super+Space…"));
        QCOMPARE(page->statusLine()->palette().color(QPalette::WindowText), SettingsLook::secondaryText());

        // What the shell reports after registering.
        f.shortcuts->setTogglePanelShortcut(wanted);
        f.shortcuts->setHotKeyStatus(HotKeyStatus::registered(wanted));
        QCOMPARE(page->statusLine()->text(), QString("Global shortcut Alt+Super+Space is active."));
        QCOMPARE(page->statusLine()->palette().color(QPalette::WindowText), SettingsLook::success());
        QCOMPARE(page->hotKeyRecorder()->recordButton()->text(), QString("Alt+Super+Space"));
        QVERIFY(!page->hotKeyResetButton()->isHidden());
        QVERIFY(page->hotKeyDefaultLabel()->isHidden());

        page->hotKeyResetButton()->click();
        QCOMPARE(requested.count(), 2);
        QCOMPARE(requested.last().first().value<PromptKeyboardShortcut>(),
                 PromptKeyboardShortcut::defaultTogglePanel());

        f.shortcuts->setHotKeyStatus(HotKeyStatus::failed(PromptKeyboardShortcut::defaultTogglePanel(), 10));
        QCOMPARE(page->statusLine()->palette().color(QPalette::WindowText), SettingsLook::failure());
        QVERIFY(page->statusLine()->text().startsWith("Could not register Super+Shift+P"));

        // Without Ctrl, Alt or Super nothing is asked for: the recorder says why, and a request
        // that gets through all the same is refused by the store at once.
        recorder.start();
        recorder.handleKey(key(keyA, ModifierFlags::shift, "a"));
        QCOMPARE(requested.count(), 2);
        QCOMPARE(recorder.message(), QString("Use Ctrl, Alt or Super with another key."));
        recorder.stop();
        f.shortcuts->requestTogglePanelShortcut({keyA, ModifierFlags::shift});
        QCOMPARE(requested.count(), 2);
        QCOMPARE(f.shortcuts->hotKeyStatus().kind, HotKeyStatus::Kind::invalid);
        QCOMPARE(page->statusLine()->palette().color(QPalette::WindowText), SettingsLook::failure());

        f.shortcuts->setHotKeyStatus(HotKeyStatus::idle());
        QVERIFY(page->statusLine()->isHidden());
    }

    void updatesWithoutAnUpdaterOpenTheDownloadPage() {
        Fixture f;
        SettingsView& view = f.make();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        SettingsUpdatesPage* page = view.updatesPage();
        QVERIFY(!page->automaticSwitch()->isChecked());
        QVERIFY(!page->automaticSwitch()->isEnabled());
        QCOMPARE(page->helpLine()->text(), L10n::string(L10N("settings.updates.placeholder"), AppLanguage::english));
        page->checkButton()->click();
        QCOMPARE(f.updatePages->opened, QList<QUrl>{AppLinks::download()});

        for (QPushButton* link : page->links()) {
            link->click();
        }
        QCOMPARE(f.links.opened, (QList<QUrl>{AppLinks::download(), AppLinks::support(), AppLinks::privacy()}));
    }

    void reopeningKeepsTheCategoryAndLanguageRetextsEverything() {
        Fixture f;
        SettingsView& view = f.make();
        view.show();
        view.selectCategory(SettingsCategory::shortcuts);
        view.hide();
        view.show();
        QCOMPARE(view.selectedCategory(), SettingsCategory::shortcuts);
        QCOMPARE(view.sidebar()->currentRow(), 3);

        QComboBox* language = view.generalPage()->languagePicker();
        const int chinese = language->findData("zhHans");
        QCOMPARE(language->itemText(chinese), QString("简体中文"));
        language->setCurrentIndex(chinese);
        emit language->activated(chinese);
        QCOMPARE(f.languages->selection(), AppLanguage::zhHans);
        QCOMPARE(view.sidebar()->item(0)->text(), QString("入门"));
        QCOMPARE(view.findChild<QLabel*>("settingsSectionTitle.settings.shortcut")->text(), QString("键盘快捷键"));
        QCOMPARE(view.generalPage()->soundPicker()->itemText(0), QString("关闭"));
        QCOMPARE(view.promptsPage()->clearUsageButton()->text(), QString("清除使用记录"));
        QCOMPARE(view.promptsPage()->clearUsageButton()->accessibleName(), QString("清除使用记录"));
    }

    void screenshotsOfEveryPageShowEverythingUnclipped_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<PromptPanelTextSize>("size");
        QTest::newRow("en") << AppLanguage::english << PromptPanelTextSize::system;
        QTest::newRow("zh-Hans") << AppLanguage::zhHans << PromptPanelTextSize::system;
        QTest::newRow("en-large") << AppLanguage::english << PromptPanelTextSize::large;
        QTest::newRow("zh-Hans-large") << AppLanguage::zhHans << PromptPanelTextSize::large;
    }
    void screenshotsOfEveryPageShowEverythingUnclipped() {
        QFETCH(AppLanguage, language);
        QFETCH(PromptPanelTextSize, size);
        Fixture f;
        f.languages->setSelection(language);
        f.textSize->setSelection(size);
        // Every optional row at once: a reset for both shortcuts, a status line, the login item
        // waiting for approval.
        f.shortcuts->setTogglePanelShortcut({keySpace, ModifierFlags::control | ModifierFlags::option});
        f.shortcuts->setHotKeyStatus(
            HotKeyStatus::failed({keySpace, ModifierFlags::control | ModifierFlags::option}, 10));
        f.shortcuts->setPromptTileShortcut({0x120000});
        f.loginService->platformStatus = LaunchAtLoginServicing::requiresApproval;
        SettingsView& view = f.make();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.sidebar()->font().pixelSize(), PromptPanelTextSizes::basePixelSize(size));
        // Every category's title fits its row.
        for (int row = 0; row < view.sidebar()->count(); ++row) {
            QListWidgetItem* item = view.sidebar()->item(row);
            const int textRight = view.sidebar()->visualItemRect(item).left() + view.sidebar()->iconSize().width() + 8 +
                                  view.sidebar()->fontMetrics().horizontalAdvance(item->text());
            QVERIFY2(textRight <= view.sidebar()->viewport()->width(), qPrintable(item->text()));
        }
        const QString folder = screenshotFolder();
        const QString suffix = QTest::currentDataTag();
        for (const SettingsCategory category : SettingsModel::allCategories()) {
            view.selectCategory(category);
            QCoreApplication::processEvents();
            QScrollArea* area = view.pageArea(category);
            verifyNothingClipped(area->widget(), area->viewport()->width());
            if (!folder.isEmpty()) {
                QVERIFY(view.grab().save(QDir(folder).filePath(
                    QStringLiteral("settings-%1-%2.png").arg(SettingsModel::rawValue(category), suffix))));
            }
        }
        // The other form of Getting started: the checklist dismissed.
        f.checklist->dismiss();
        view.selectCategory(SettingsCategory::gettingStarted);
        QCoreApplication::processEvents();
        QScrollArea* area = view.pageArea(SettingsCategory::gettingStarted);
        verifyNothingClipped(area->widget(), area->viewport()->width());
        QVERIFY(view.grab().save(
            QDir(folder).filePath(QStringLiteral("settings-gettingStarted-dismissed-%1.png").arg(suffix))));
    }
};

QTEST_MAIN(SettingsViewTest)
#include "tst_settingsview.moc"
