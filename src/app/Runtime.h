#pragma once

#include "app/IslandPanelHosting.h"
#include "app/PanelPlacement.h"
#include "context/ContextDetector.h"
#include "model/environment/AppEnvironment.h"
#include "panel/PromptPanelWidget.h"
#include "services/PromptActionService.h"
#include "services/RequestBus.h"
#include "windows/firstrun/FirstRunWelcomeView.h"
#include "windows/settings/SettingsView.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AppLanguageStore;
class AppUpdateController;
class Confirmer;
class FileChooser;
class FileRevealer;
class FirstRunChecklistStore;
class HotKeyService;
class IslandMorphState;
class LaunchAtLoginController;
class LaunchAtLoginServicing;
class PromptCopySoundPlayer;
class PromptStore;
class TextSizeStore;
class PromptVariableValueStore;
class ShortcutSettingsStore;
class StatusIslandController;
class StatusItemHosting;
class UrlOpening;
class X11ContextProviders;

// What the runtime takes from the desktop. `system()` gives the real one; tests replace parts.
struct RuntimePlatform {
    std::function<std::unique_ptr<StatusItemHosting>()> makeStatusItem;
    std::function<std::unique_ptr<HotKeyService>()> makeHotKeyService;
    std::shared_ptr<ClipboardWriting> clipboard;
    std::shared_ptr<LaunchAtLoginServicing> launchAtLogin;
    std::function<QPoint()> pointerPosition;
    std::function<QList<PanelPlacement::Screen>()> screens;
    std::function<bool()> reduceMotion;
    // The updater controller of the settings window; null means the application's shared one.
    AppUpdateController* appUpdates = nullptr;
    // Opens the settings window's web links; null means the desktop's browser.
    std::shared_ptr<UrlOpening> urlOpener;
    // Follow the X11 desktop for the context; false gives the detector `contextPlatform` (by
    // default no application, no title and no timer).
    bool detectsDesktopContext = true;
    ContextDetector::Platform contextPlatform{.startsTimer = false};

    static RuntimePlatform system(const AppEnvironment& environment);
};

// The composition root: builds every long-lived store and service once, in dependency order,
// wires the status controller, and hosts the settings, workspace-manager and welcome windows.
// Main thread; lives for the life of the process.
class Runtime : public QObject {
    Q_OBJECT
public:
    Runtime(AppEnvironment environment, RuntimePlatform platform, QObject* parent = nullptr);
    ~Runtime() override;

    // After construction: the status item, the subscriptions, the hidden panel, then the launch
    // task (the first reload, then whether to show the welcome guide).
    void start();
    // At termination: the detector stops and the hot key is released.
    void shutDown();

    const AppEnvironment& environment() const { return m_environment; }
    AppLanguageStore& languageStore() const { return *m_languageStore; }
    PromptStore& promptStore() const { return *m_promptStore; }
    ContextDetector& contextDetector() const { return *m_contextDetector; }
    ShortcutSettingsStore& shortcutStore() const { return *m_shortcutStore; }
    HotKeyService& hotKeyService() const { return *m_hotKeyService; }
    const PromptActionService& promptActionService() const { return *m_promptActionService; }
    FirstRunChecklistStore& firstRunChecklistStore() const { return *m_firstRunChecklistStore; }
    LaunchAtLoginController& launchAtLoginController() const { return *m_launchAtLoginController; }
    PromptCopySoundPlayer& copySoundPlayer() const { return *m_copySoundPlayer; }
    PromptVariableValueStore& variableValueStore() const { return *m_variableValueStore; }
    TextSizeStore& textSizeStore() const { return *m_textSizeStore; }
    RequestBus& requests() { return m_requests; }
    IslandMorphState& morphState() const { return *m_morphState; }
    StatusItemHosting& statusItem() const { return *m_statusItem; }
    StatusIslandController& statusController() const { return *m_statusController; }

    QWidget* settingsWindow() const { return m_settingsWindow; }
    SettingsView* settingsView() const { return m_settingsView; }
    QWidget* workspaceManagerWindow() const { return m_workspaceManagerWindow; }
    FirstRunWelcomeView* welcomeWindow() const { return m_welcomeWindow; }
    // Set when the first reload has finished and the welcome decision was taken.
    bool hasLaunched() const { return m_launched; }

    void openSettingsWindow();
    void openWorkspaceManagerWindow(const std::optional<QString>& initialWorkspaceID);
    void openWelcomeGuide();

signals:
    void launched();

private:
    void presentWelcomeGuide();
    void finishWelcomeGuide(const std::function<void()>& then = {});
    void retitleWindows();
    QWidget* makeWindow(const QString& objectName, const QSize& size, bool resizable);
    void addApplicationCommands(QWidget* window);
    void bringForward(QWidget* window);
    // When one of our windows closes and the keyboard is left on no window, another of ours that
    // is still shown takes it, else the window the user worked in before ours.
    void handOverFocus(QWidget* closing);
    QWidget* makePanelContent(QWidget* parent);
    PanelSheetFactories panelSheetFactories();

    AppEnvironment m_environment;
    RuntimePlatform m_platform;
    RequestBus m_requests;
    std::unique_ptr<AppLanguageStore> m_languageStore;
    std::unique_ptr<PromptStore> m_promptStore;
    std::unique_ptr<X11ContextProviders> m_contextProviders;
    std::unique_ptr<ContextDetector> m_contextDetector;
    std::unique_ptr<ShortcutSettingsStore> m_shortcutStore;
    std::unique_ptr<HotKeyService> m_hotKeyService;
    std::unique_ptr<PromptActionService> m_promptActionService;
    std::unique_ptr<FirstRunChecklistStore> m_firstRunChecklistStore;
    std::unique_ptr<LaunchAtLoginController> m_launchAtLoginController;
    std::unique_ptr<PromptCopySoundPlayer> m_copySoundPlayer;
    std::unique_ptr<PromptVariableValueStore> m_variableValueStore;
    std::unique_ptr<TextSizeStore> m_textSizeStore;
    std::unique_ptr<IslandMorphState> m_morphState;
    std::unique_ptr<StatusItemHosting> m_statusItem;
    std::unique_ptr<StatusIslandController> m_statusController;

    // The desktop seams of the windows.
    std::unique_ptr<FileChooser> m_fileChooser;
    std::unique_ptr<Confirmer> m_confirmer;
    std::unique_ptr<FileRevealer> m_fileRevealer;
    std::shared_ptr<UrlOpening> m_urlOpener;

    QPointer<QWidget> m_settingsWindow;
    QPointer<SettingsView> m_settingsView;
    QPointer<QWidget> m_workspaceManagerWindow;
    QPointer<FirstRunWelcomeView> m_welcomeWindow;
    bool m_launched = false;
    bool m_shutDown = false;
};
