#include "app/Runtime.h"

#include "app/HotKeyService.h"
#include "app/IslandPanelWindow.h"
#include "app/StatusIslandController.h"
#include "app/StatusItemHost.h"
#include "config/StartupFileRecovery.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/TextSizeStore.h"
#include "model/Localization.h"
#include "panel/island/IslandMorphState.h"
#include "panel/island/IslandSurfaceView.h"
#include "panel/PanelViewModel.h"
#include "panel/PromptPanelWidget.h"
#include "platform/ClipboardService.h"
#include "platform/DesktopUrlOpener.h"
#include "platform/SystemLaunchAtLoginService.h"
#include "platform/SystemPromptCopySound.h"
#include "platform/x11/X11ContextProviders.h"
#include "platform/x11/X11Desktop.h"
#include "services/AppUpdateController.h"
#include "services/Confirmer.h"
#include "services/FileChooser.h"
#include "services/FileRevealer.h"
#include "services/LaunchAtLoginController.h"
#include "sheets/PromptEditorSheet.h"
#include "sheets/PromptImportSheet.h"
#include "sheets/WorkspaceEditorSheet.h"
#include "store/FirstRunChecklistProgressResolver.h"
#include "store/FirstRunChecklistStore.h"
#include "store/PromptCopySoundPlayer.h"
#include "store/PromptStore.h"
#include "store/PromptVariableValueStore.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/ReduceMotion.h"
#include "windows/firstrun/FirstRunWelcomeView.h"
#include "windows/manager/WorkspaceEditSheet.h"
#include "windows/manager/WorkspaceManagerView.h"
#include "windows/settings/SettingsView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFuture>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

RuntimePlatform RuntimePlatform::system(const AppEnvironment& environment) {
    RuntimePlatform platform;
    platform.makeStatusItem = [] { return std::make_unique<StatusItemHost>(); };
    platform.makeHotKeyService = [] { return HotKeyService::createPlatformService(); };
    platform.clipboard = std::make_shared<ClipboardService>();
    platform.launchAtLogin =
        std::make_shared<SystemLaunchAtLoginService>(SystemLaunchAtLoginService::forEnvironment(environment));
    platform.pointerPosition = [] { return QCursor::pos(); };
    platform.screens = [] {
        QList<PanelPlacement::Screen> screens;
        QScreen* primary = QGuiApplication::primaryScreen();
        if (primary != nullptr) {
            screens.append({primary->geometry(), primary->availableGeometry()});
        }
        for (QScreen* screen : QGuiApplication::screens()) {
            if (screen != primary) {
                screens.append({screen->geometry(), screen->availableGeometry()});
            }
        }
        return screens;
    };
    platform.reduceMotion = [reduceMotion = ReduceMotion::system(environment.environmentVariable)] {
        return reduceMotion.isOn();
    };
    return platform;
}

Runtime::Runtime(AppEnvironment environment, RuntimePlatform platform, QObject* parent)
    : QObject(parent), m_environment(std::move(environment)), m_platform(std::move(platform)) {
    // The status item first: it is what the user waits to see, and nothing below needs it yet.
    m_statusItem = m_platform.makeStatusItem();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // A save or deletion that a crash cut short leaves files behind; they are put right before
    // anything reads them, by the process that holds the data folder's instance lock (main takes
    // it first; the recovery takes it itself otherwise and does nothing when another process has it).
    StartupFileRecovery::run(m_environment);

    // Built in dependency order; each later object may use the earlier ones.
    m_languageStore = std::make_unique<AppLanguageStore>(m_environment.defaults, m_environment.preferredLanguages);
    AppLanguageStore* languageStore = m_languageStore.get();
    auto languageProvider = [languageStore] { return languageStore->resolvedLanguage(); };
    L10n::setCurrentLanguageProvider(languageProvider);

    m_promptStore = std::make_unique<PromptStore>(m_environment, languageProvider, true);

    PromptStore* store = m_promptStore.get();
    ContextDetector::Platform detectorPlatform;
    if (m_platform.detectsDesktopContext) {
        m_contextProviders = std::make_unique<X11ContextProviders>(
            m_environment, X11ContextProviders::applicationDisplayName(m_environment));
        detectorPlatform = m_contextProviders->detectorPlatform();
    } else {
        detectorPlatform = m_platform.contextPlatform;
    }
    m_contextDetector = std::make_unique<ContextDetector>(
        m_environment, [store] { return store->knownWorkspacePaths(); }, detectorPlatform);
    m_contextDetector->start();

    m_shortcutStore = std::make_unique<ShortcutSettingsStore>(m_environment.defaults, languageProvider);
    m_hotKeyService = m_platform.makeHotKeyService();
    m_promptActionService = std::make_unique<PromptActionService>(m_platform.clipboard);
    m_firstRunChecklistStore = std::make_unique<FirstRunChecklistStore>(m_environment.defaults);
    m_launchAtLoginController = std::make_unique<LaunchAtLoginController>(m_platform.launchAtLogin);
    m_copySoundPlayer = std::make_unique<PromptCopySoundPlayer>(4, SystemPromptCopySound::factory());
    m_variableValueStore = std::make_unique<PromptVariableValueStore>(m_environment);
    m_textSizeStore = std::make_unique<TextSizeStore>(m_environment.defaults);
    m_morphState = std::make_unique<IslandMorphState>(m_environment.scheduler);
    m_fileChooser = std::make_unique<DialogFileChooser>();
    m_confirmer = std::make_unique<MessageBoxConfirmer>();
    m_fileRevealer = std::make_unique<DesktopFileRevealer>();
    m_urlOpener = m_platform.urlOpener ? m_platform.urlOpener : std::make_shared<DesktopUrlOpener>();

    // A grab given up while a shortcut recorder listened could not be taken back: no hot key is
    // live now, and the settings window says so in its status line.
    connect(m_hotKeyService.get(), &HotKeyService::resumeFailed, this,
            [this](qint32 status) { m_shortcutStore->setHotKeyStatus(HotKeyStatus::restoreFailed(status, status)); });

    connect(&m_requests, &RequestBus::requestOpenSettings, this, &Runtime::openSettingsWindow);
    connect(&m_requests, &RequestBus::requestQuit, this, [] { QCoreApplication::quit(); });
    connect(&m_requests, &RequestBus::requestOpenWorkspaceManager, this, &Runtime::openWorkspaceManagerWindow);
    connect(&m_requests, &RequestBus::requestOpenWelcomeGuide, this, &Runtime::openWelcomeGuide);
    connect(m_languageStore.get(), &AppLanguageStore::selectionChanged, this,
            [this] { QTimer::singleShot(0, this, &Runtime::retitleWindows); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) {
            m_launchAtLoginController->refresh();
        }
    });
}

Runtime::~Runtime() {
    shutDown();
    delete m_settingsWindow;
    delete m_workspaceManagerWindow;
    delete m_welcomeWindow;
    m_statusController.reset();
    m_statusItem.reset();
    L10n::setCurrentLanguageProvider({});
}

void Runtime::start() {
    StatusIslandController::Dependencies dependencies{
        *m_promptStore,     *m_contextDetector, *m_shortcutStore, *m_hotKeyService,       *m_languageStore,
        m_requests,         *m_morphState,      *m_statusItem,    m_environment.defaults, m_environment.scheduler,
        m_environment.clock};
    StatusIslandController::Platform controllerPlatform{m_platform.pointerPosition, m_platform.screens,
                                                        m_platform.reduceMotion, [] { QCoreApplication::quit(); }};
    m_statusController = std::make_unique<StatusIslandController>(
        std::move(dependencies), std::move(controllerPlatform), [this]() -> std::unique_ptr<IslandPanelHosting> {
            return std::make_unique<IslandPanelWindow>([this](QWidget* parent) { return makePanelContent(parent); });
        });
    m_statusController->refreshStatusItem();
    m_statusController->bindIslandUpdates();
    m_statusController->makePanelIfNeeded();

    QPointer<Runtime> self(this);
    m_promptStore->reloadAndWait().then(this, [self] {
        if (!self) {
            return;
        }
        // The guide is due only once the first load has shown whether the user has a workspace.
        FirstRunChecklistStore& checklist = *self->m_firstRunChecklistStore;
        checklist.prepareWelcomeForLaunch(
            FirstRunChecklistProgressResolver::hasPersistedUserWorkspace(self->m_promptStore->workspaces()));
        if (checklist.shouldPresentWelcome()) {
            self->presentWelcomeGuide();
        }
        self->m_launched = true;
        emit self->launched();
    });
}

void Runtime::shutDown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    m_contextDetector->stop();
    if (m_hotKeyService) {
        m_hotKeyService->tearDown();
    }
}

QWidget* Runtime::makePanelContent(QWidget* parent) {
    PanelViewModel::Dependencies dependencies{*m_promptStore,
                                              *m_contextDetector,
                                              *m_shortcutStore,
                                              *m_morphState,
                                              *m_languageStore,
                                              m_requests,
                                              *m_promptActionService,
                                              *m_copySoundPlayer,
                                              *m_variableValueStore,
                                              m_environment.defaults,
                                              m_environment.scheduler,
                                              m_environment.clock,
                                              [this] { m_firstRunChecklistStore->markSuccessfulCopy(); },
                                              [this](const QString& query) {
                                                  if (m_statusController) {
                                                      m_statusController->panelSearchQueryChanged(query);
                                                  }
                                              },
                                              [this](bool listLayout) {
                                                  if (m_statusController) {
                                                      m_statusController->panelLayoutModeChanged(listLayout);
                                                  }
                                              },
                                              m_platform.reduceMotion,
                                              m_firstRunChecklistStore.get()};
    auto* model = new PanelViewModel(std::move(dependencies));
    auto* panel =
        new PromptPanelWidget(*model, panelSheetFactories(), PanelDesktopSeams{m_fileRevealer.get(), nullptr});
    // The model lives exactly as long as the content it draws: a language change rebuilds both.
    model->setParent(panel);
    auto* surface = new IslandSurfaceView(*m_morphState, panel, panel->toolbar(), m_environment.clock, parent);
    applyInterfaceTextSize(surface, *m_textSizeStore);
    return surface;
}

PanelSheetFactories Runtime::panelSheetFactories() {
    PanelSheetFactories factories;
    factories.promptEditor = [this](SheetHost& host, const PanelViewModel& model) -> QWidget* {
        return new PromptEditorSheet(*m_promptStore, *m_languageStore, host, model.context(),
                                     model.editableWorkspaceID().value_or(QString()), model.editingPrompt(),
                                     m_hotKeyService.get());
    };
    factories.workspaceEditor = [this](SheetHost& host, const PanelViewModel& model) -> QWidget* {
        return new WorkspaceEditorSheet(*m_promptStore, host, model.context());
    };
    factories.importer = [this](SheetHost& host, const PanelViewModel& model) -> QWidget* {
        auto* sheet = new PromptImportSheet(host, *m_promptStore, *m_languageStore, *m_environment.scheduler,
                                            *m_fileChooser, model.editableWorkspaceID(), model.context());
        applyInterfaceTextSize(sheet, *m_textSizeStore);
        return sheet;
    };
    factories.workspaceEdit = [this](SheetHost& host, const PanelViewModel& model) -> QWidget* {
        if (!model.editingWorkspace()) {
            return nullptr;
        }
        return new WorkspaceEditSheet(*m_promptStore, host, *model.editingWorkspace());
    };
    return factories;
}

// ---- windows ----

namespace {

// Calls back when the watched window is hidden (closed: our windows are only hidden).
class HideWatcher final : public QObject {
public:
    HideWatcher(QWidget* window, std::function<void()> onHidden) : QObject(window), m_onHidden(std::move(onHidden)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched == parent() && m_onHidden) {
            m_onHidden();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onHidden;
};

// Time for the window manager to settle the focus after an unmap before we look at it.
constexpr std::chrono::milliseconds focusSettleDelay{150};

} // namespace

void Runtime::handOverFocus(QWidget* closing) {
    const auto leaving = quint32(closing->internalWinId());
    QPointer<Runtime> self(this);
    m_environment.scheduler->schedule(focusSettleDelay, [self, leaving] {
        if (!self || !X11Desktop::focusIsNowhere(leaving)) {
            return;
        }
        for (QWidget* window :
             {static_cast<QWidget*>(self->m_workspaceManagerWindow), static_cast<QWidget*>(self->m_settingsWindow),
              static_cast<QWidget*>(self->m_welcomeWindow)}) {
            if (window != nullptr && window->isVisible()) {
                window->raise();
                window->activateWindow();
                return;
            }
        }
        // The monitor keeps the window the user worked in while ours were active.
        X11ActiveWindowMonitor* monitor = self->m_contextProviders ? self->m_contextProviders->monitor() : nullptr;
        if (monitor != nullptr) {
            if (const std::optional<X11WindowFacts> facts = monitor->frontmostWindow()) {
                X11Desktop::activateOtherWindow(facts->window);
            }
        }
    });
}

void Runtime::bringForward(QWidget* window) {
    // The panel stays above every window: a window it opens would appear beneath it, and keys
    // would go to a window nobody sees. The panel hands over by closing, as when the pointer
    // leaves it.
    emit m_requests.requestClose();
    window->show();
    window->raise();
    window->activateWindow();
}

void Runtime::addApplicationCommands(QWidget* window) {
    // The application's own keys work in each of its windows: Ctrl+, opens the settings, Ctrl+Q
    // quits.
    auto* settings = new QShortcut(QKeySequence(QStringLiteral("Ctrl+,")), window);
    settings->setContext(Qt::WindowShortcut);
    connect(settings, &QShortcut::activated, this, [this] { emit m_requests.requestOpenSettings(); });
    auto* quit = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), window);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, this, [] { QCoreApplication::quit(); });
    // Ctrl+W closes the window, as in other applications.
    auto* close = new QShortcut(QKeySequence::Close, window);
    close->setContext(Qt::WindowShortcut);
    connect(close, &QShortcut::activated, window, &QWidget::close);
    new HideWatcher(window, [this, window] { handOverFocus(window); });
}

QWidget* Runtime::makeWindow(const QString& objectName, const QSize& size, bool resizable) {
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(objectName);
    addApplicationCommands(window);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    if (resizable) {
        window->resize(size);
    } else {
        window->setFixedSize(size);
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    return window;
}

void Runtime::openSettingsWindow() {
    if (m_settingsWindow == nullptr) {
        m_settingsWindow = makeWindow(QStringLiteral("settingsWindow"), SettingsView::contentSize, false);
        m_settingsWindow->setWindowTitle(L10n::string(L10N("product.name"), std::nullopt) + QLatin1Char(' ') +
                                         L10n::string(L10N("action.settings"), std::nullopt));
        auto* layout = new QVBoxLayout(m_settingsWindow);
        layout->setContentsMargins(0, 0, 0, 0);
        PromptCopySoundPlayer* player = m_copySoundPlayer.get();
        SettingsDependencies dependencies{
            *m_promptStore,
            *m_shortcutStore,
            *m_firstRunChecklistStore,
            *m_launchAtLoginController,
            m_platform.appUpdates ? *m_platform.appUpdates : AppUpdateController::shared(),
            *m_languageStore,
            *m_textSizeStore,
            *m_variableValueStore,
            m_requests,
            *m_confirmer,
            *m_urlOpener,
            [player](const QString& name) { player->selectSound(name); },
            m_hotKeyService.get(),
            QUrl::fromLocalFile(SystemLaunchAtLoginService::autostartDirectory(m_environment))};
        // The window is only hidden when closed, so the view keeps its category for the next opening.
        m_settingsView = new SettingsView(dependencies, m_settingsWindow);
        layout->addWidget(m_settingsView);
        // Escape closes the settings, as a preferences window does; a shortcut being recorded
        // takes Escape first.
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_settingsWindow);
        escape->setContext(Qt::WindowShortcut);
        connect(escape, &QShortcut::activated, m_settingsWindow, &QWidget::close);
    }
    bringForward(m_settingsWindow);
}

void Runtime::openWorkspaceManagerWindow(const std::optional<QString>& initialWorkspaceID) {
    if (m_workspaceManagerWindow == nullptr) {
        m_workspaceManagerWindow = makeWindow(QStringLiteral("workspaceManagerWindow"), QSize(980, 680), true);
        m_workspaceManagerWindow->setMinimumSize(940, 620);
        m_workspaceManagerWindow->setWindowTitle(L10n::string(L10N("title.workspace.manager"), std::nullopt));
        (new QVBoxLayout(m_workspaceManagerWindow))->setContentsMargins(0, 0, 0, 0);
    }
    // Every request builds the content afresh, so the manager starts from a clean state with the
    // requested workspace selected.
    QLayout* layout = m_workspaceManagerWindow->layout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    WorkspaceManagerView::Dependencies dependencies{*m_promptStore, m_requests, *m_fileChooser, *m_confirmer,
                                                    *m_fileRevealer};
    dependencies.languageStore = m_languageStore.get();
    dependencies.makeWorkspaceEditSheet = [this](SheetHost& host, const PromptWorkspace& workspace) -> QWidget* {
        return new WorkspaceEditSheet(*m_promptStore, host, workspace);
    };
    dependencies.makePromptEditorSheet = [this](SheetHost& host, const QString& workspaceID,
                                                const std::optional<PromptItem>& prompt) -> QWidget* {
        return new PromptEditorSheet(*m_promptStore, *m_languageStore, host, m_contextDetector->currentContext(),
                                     workspaceID, prompt, m_hotKeyService.get());
    };
    dependencies.makeNewWorkspaceSheet = [this](SheetHost& host) -> QWidget* {
        return new WorkspaceEditorSheet(*m_promptStore, host, std::nullopt);
    };
    auto* content = new WorkspaceManagerView(std::move(dependencies), initialWorkspaceID, m_workspaceManagerWindow);
    content->setProperty("initialWorkspaceID", initialWorkspaceID ? QVariant(*initialWorkspaceID) : QVariant());
    applyInterfaceTextSize(content, *m_textSizeStore);
    layout->addWidget(content);
    bringForward(m_workspaceManagerWindow);
}

void Runtime::openWelcomeGuide() {
    m_firstRunChecklistStore->setShouldPresentWelcome(true);
    presentWelcomeGuide();
}

void Runtime::presentWelcomeGuide() {
    if (m_welcomeWindow == nullptr) {
        QPointer<Runtime> self(this);
        FirstRunWelcomeModel::Actions actions;
        actions.onCreateWorkspace = [self] {
            if (self) {
                self->finishWelcomeGuide([self] { emit self->m_requests.requestOpenWorkspaceManager(std::nullopt); });
            }
        };
        actions.onOpenPanel = [self] {
            if (self) {
                self->finishWelcomeGuide([self] { emit self->m_requests.requestOpenFromMenu(); });
            }
        };
        // Later and the window's close box both end here.
        actions.onDismiss = [self] {
            if (self) {
                self->finishWelcomeGuide();
            }
        };
        auto* window = new FirstRunWelcomeView(m_shortcutStore.get(), m_languageStore.get(), std::move(actions));
        window->setObjectName(QStringLiteral("welcomeWindow"));
        window->setWindowFlag(Qt::Window);
        applyInterfaceTextSize(window, *m_textSizeStore);
        addApplicationCommands(window);
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
        }
        m_welcomeWindow = window;
    }
    bringForward(m_welcomeWindow);
}

void Runtime::finishWelcomeGuide(const std::function<void()>& then) {
    m_firstRunChecklistStore->markWelcomeCompleted();
    if (m_welcomeWindow != nullptr && m_welcomeWindow->isVisible()) {
        m_welcomeWindow->close();
    }
    if (then) {
        then();
    }
}

void Runtime::retitleWindows() {
    if (m_settingsWindow != nullptr) {
        m_settingsWindow->setWindowTitle(L10n::string(L10N("product.name"), std::nullopt) + QLatin1Char(' ') +
                                         L10n::string(L10N("action.settings"), std::nullopt));
    }
    if (m_workspaceManagerWindow != nullptr) {
        m_workspaceManagerWindow->setWindowTitle(L10n::string(L10N("title.workspace.manager"), std::nullopt));
    }
}
