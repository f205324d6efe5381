#include "FakeRuntimePlatform.h"
#include "FakeShellPorts.h"
#include "FakeUrlOpener.h"
#include "TestEnvironment.h"

#include "app/HotKeyService.h"
#include "app/IslandPanelWindow.h"
#include "app/Runtime.h"
#include "app/StatusIslandController.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/TextSizeStore.h"
#include "panel/island/IslandSurfaceView.h"
#include "services/AppUpdateController.h"
#include "widgets/ShortcutRecorderButton.h"
#include "windows/settings/SettingsGeneralPage.h"
#include "windows/settings/SettingsLook.h"
#include "windows/settings/SettingsShortcutsPage.h"
#include "windows/settings/SettingsView.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Platform {
    std::shared_ptr<FakeHotKeyPlatform> hotKeys = std::make_shared<FakeHotKeyPlatform>();
    std::shared_ptr<FakeUrlOpener> pages = std::make_shared<FakeUrlOpener>();
    std::unique_ptr<AppUpdateController> updates = std::make_unique<AppUpdateController>(
        AppUpdateController::Configuration{}, AppUpdateController::UpdaterFactory{}, pages);

    RuntimePlatform make() {
        RuntimePlatform platform = fakeRuntimePlatform(hotKeys);
        platform.appUpdates = updates.get();
        platform.urlOpener = pages;
        return platform;
    }
};

QWidget* panelContent(Runtime& runtime) {
    auto* window = dynamic_cast<IslandPanelWindow*>(runtime.statusController().panel());
    return window != nullptr ? window->content() : nullptr;
}

} // namespace

class RuntimeSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void oneWindowKeepsItsCategoryAcrossClosing() {
        TestEnvironment env;
        Platform platform;
        Runtime runtime(env.environment(), platform.make());
        emit runtime.requests().requestOpenSettings();
        QWidget* window = runtime.settingsWindow();
        QVERIFY(window != nullptr && window->isVisible());
        QCOMPARE(window->size(), QSize(760, 640));
        QCOMPARE(window->windowTitle(), QString("Orris Hollows Settings"));
        SettingsView* view = runtime.settingsView();
        QVERIFY(view != nullptr && view->window() == window);
        QCOMPARE(view->selectedCategory(), SettingsCategory::gettingStarted);

        view->sidebar()->setCurrentRow(3);
        window->close();
        QVERIFY(!window->isVisible());
        emit runtime.requests().requestOpenSettings();
        QCOMPARE(runtime.settingsWindow(), window);
        QCOMPARE(runtime.settingsView(), view);
        QVERIFY(window->isVisible());
        QCOMPARE(view->selectedCategory(), SettingsCategory::shortcuts);
        QCOMPARE(window->findChildren<SettingsView*>().size(), 1);
    }

    void chineseRetextsEveryOpenWindowAndThePanel() {
        TestEnvironment env;
        env.setPreferredLanguages({"en-US"});
        Platform platform;
        Runtime runtime(env.environment(), platform.make());
        QSignalSpy launched(&runtime, &Runtime::launched);
        runtime.start();
        QVERIFY(launched.wait(5000));
        emit runtime.requests().requestOpenWorkspaceManager(std::nullopt);
        emit runtime.requests().requestOpenSettings();
        QVERIFY(panelContent(runtime) != nullptr);
        QCOMPARE(panelContent(runtime)->findChild<QLineEdit*>()->placeholderText(), QString("Search prompts"));

        QComboBox* language = runtime.settingsView()->generalPage()->languagePicker();
        const int chinese = language->findData("zhHans");
        language->setCurrentIndex(chinese);
        emit language->activated(chinese);

        QTRY_COMPARE(runtime.settingsWindow()->windowTitle(), QString("Orris Hollows 设置"));
        QCOMPARE(runtime.workspaceManagerWindow()->windowTitle(), QString("工作区管理"));
        QCOMPARE(runtime.settingsView()->sidebar()->item(1)->text(), QString("通用"));
        QTRY_COMPARE(panelContent(runtime)->findChild<QLineEdit*>()->placeholderText(), QString("搜索提示词"));
    }

    void largeRefontsTheWindowAndThePanelAtOnce() {
        TestEnvironment env;
        Platform platform;
        Runtime runtime(env.environment(), platform.make());
        QSignalSpy launched(&runtime, &Runtime::launched);
        runtime.start();
        QVERIFY(launched.wait(5000));
        emit runtime.requests().requestOpenSettings();
        QWidget* panel = panelContent(runtime);
        QVERIFY(panel != nullptr);
        QCOMPARE(panel->font().pixelSize(), 13);

        runtime.settingsView()->generalPage()->textSizeButtons()->button(int(PromptPanelTextSize::large))->click();
        QCOMPARE(runtime.textSizeStore().selection(), PromptPanelTextSize::large);
        QCOMPARE(runtime.settingsView()->font().pixelSize(), 17);
        QCOMPARE(panel->font().pixelSize(), 17);
        QCOMPARE(env.defaults()->stringValue(TextSizeStore::key), std::optional<QString>("large"));
    }

    void aGrabLostWhileRecordingTurnsTheStatusLineRed() {
        TestEnvironment env;
        Platform platform;
        Runtime runtime(env.environment(), platform.make());
        QSignalSpy launched(&runtime, &Runtime::launched);
        runtime.start();
        QVERIFY(launched.wait(5000));
        QCOMPARE(runtime.shortcutStore().hotKeyStatus().kind, HotKeyStatus::Kind::registered);
        emit runtime.requests().requestOpenSettings();
        SettingsShortcutsPage* page = runtime.settingsView()->shortcutsPage();
        QCOMPARE(page->statusLine()->palette().color(QPalette::WindowText), SettingsLook::success());

        // Recording releases the grab; meanwhile another client takes the combination.
        RecorderState& recorder = page->hotKeyRecorder()->state();
        recorder.start();
        QVERIFY(runtime.hotKeyService().isSuspended());
        platform.hotKeys->registerStatuses = {-9876};
        recorder.stop();
        QCOMPARE(runtime.shortcutStore().hotKeyStatus().kind, HotKeyStatus::Kind::restoreFailed);
        QVERIFY(!page->statusLine()->isHidden());
        QCOMPARE(page->statusLine()->palette().color(QPalette::WindowText), SettingsLook::failure());
        QVERIFY(page->statusLine()->text().contains("-9876"));
    }
};

QTEST_MAIN(RuntimeSettingsTest)
#include "tst_runtimesettings.moc"
