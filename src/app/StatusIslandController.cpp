#include "app/StatusIslandController.h"

#include "app/HotKeyService.h"
#include "app/StatusItemHosting.h"
#include "context/ContextDetector.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/ToggleShortcutRegistrar.h"
#include "model/environment/UserDefaults.h"
#include "panel/island/IslandMorphState.h"
#include "services/RequestBus.h"
#include "store/PanelRenderSnapshotBuilder.h"
#include "store/PromptStore.h"

#include <QTimer>

StatusIslandController::StatusIslandController(Dependencies dependencies, Platform platform, PanelFactory makePanel,
                                               QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies)), m_platform(std::move(platform)),
      m_makePanel(std::move(makePanel)) {
    m_listLayout = m_deps.defaults && m_deps.defaults->stringValue(panelLayoutModeKey) == QStringLiteral("list");
}

StatusIslandController::~StatusIslandController() {
    *m_alive = false;
    for (const auto& connection : std::as_const(m_connections)) {
        disconnect(connection);
    }
    for (auto* token : {&m_scheduledOpen, &m_scheduledClose, &m_scheduledFrame}) {
        cancel(*token);
    }
}

// ---- status item ----

int StatusIslandController::currentPromptCount() const {
    PromptStore& store = m_deps.promptStore;
    const AgentContext& context = m_deps.contextDetector.currentContext();
    const ContextMatchDetails details = store.matchingService().matchDetails(context);
    return int(store.visiblePrompts(context, details, QString()).size());
}

void StatusIslandController::refreshStatusItem() {
    m_deps.statusItem.apply(
        StatusItemPresentation::make(currentPromptCount(), m_deps.languageStore.resolvedLanguage()));
    if (pointerOverStatusItem()) {
        statusItemPointerEntered();
    } else {
        m_deps.statusItem.setHovered(false);
    }
}

void StatusIslandController::scheduleStatusRefresh() {
    // Store and detector changes arrive in bursts; one refresh in a later turn covers them all.
    if (m_statusRefreshQueued) {
        return;
    }
    m_statusRefreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_statusRefreshQueued = false;
        m_deps.statusItem.apply(
            StatusItemPresentation::make(currentPromptCount(), m_deps.languageStore.resolvedLanguage()));
        schedulePanelFrameRefresh();
    });
}

void StatusIslandController::statusItemClicked(Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        // Hiding the panel while the menu is up would take the menu down with it (the window
        // that had the focus goes away): a close that is under way ends before the menu opens.
        if (m_isClosing) {
            finishClose();
        }
        QPointer<StatusIslandController> self(this);
        m_deps.statusItem.showMenu(
            StatusItemPresentation::make(currentPromptCount(), m_deps.languageStore.resolvedLanguage()),
            [self](StatusItemMenuCommand command) {
                if (self) {
                    self->runMenuCommand(command);
                }
            });
        return;
    }
    togglePanel();
    m_pointerVisitedIsland = true;
}

void StatusIslandController::runMenuCommand(StatusItemMenuCommand command) {
    switch (command) {
    case StatusItemMenuCommand::open:
        showPanel();
        break;
    case StatusItemMenuCommand::manageWorkspaces:
        emit m_deps.requests.requestOpenWorkspaceManager(std::nullopt);
        break;
    case StatusItemMenuCommand::settings:
        emit m_deps.requests.requestOpenSettings();
        break;
    case StatusItemMenuCommand::welcomeGuide:
        emit m_deps.requests.requestOpenWelcomeGuide();
        break;
    case StatusItemMenuCommand::reload:
        m_deps.promptStore.reload();
        m_deps.contextDetector.refresh(true);
        break;
    case StatusItemMenuCommand::quit:
        if (m_platform.quit) {
            m_platform.quit();
        }
        break;
    }
}

void StatusIslandController::statusItemPointerEntered() {
    m_pointerOverStatusItem = true;
    m_pointerVisitedIsland = true;
    m_deps.statusItem.setHovered(true);
    scheduleHoverOpen();
}

void StatusIslandController::statusItemPointerExited() {
    m_pointerOverStatusItem = false;
    m_deps.statusItem.setHovered(false);
    scheduleGraceClose();
}

bool StatusIslandController::pointerOverStatusItem() const {
    const QRect anchor = m_deps.statusItem.anchorRect();
    return !anchor.isEmpty() && m_platform.pointerPosition && anchor.contains(m_platform.pointerPosition());
}

// ---- subscriptions ----

void StatusIslandController::bindIslandUpdates() {
    for (const auto& connection : std::as_const(m_connections)) {
        disconnect(connection);
    }
    m_connections.clear();

    PromptStore* store = &m_deps.promptStore;
    for (auto changed : {&PromptStore::contentChanged, &PromptStore::configIssuesChanged, &PromptStore::statusChanged,
                         &PromptStore::sortModeChanged, &PromptStore::bindingsChanged}) {
        m_connections << connect(store, changed, this, &StatusIslandController::scheduleStatusRefresh);
    }
    ContextDetector* detector = &m_deps.contextDetector;
    m_connections << connect(detector, &ContextDetector::needsAutomationPermissionChanged, this,
                             &StatusIslandController::scheduleStatusRefresh);
    m_connections << connect(detector, &ContextDetector::currentContextChanged, this, [this] {
        scheduleStatusRefresh();
        syncExpandedPanelContext();
    });
    m_connections << connect(&m_deps.morphState, &IslandMorphState::interactionLockedChanged, this,
                             [this](bool locked) {
                                 if (locked) {
                                     cancel(m_scheduledClose);
                                 } else if (m_panel && m_panel->isVisible()) {
                                     scheduleGraceClose();
                                 }
                             });
    m_connections << connect(&m_deps.languageStore, &AppLanguageStore::selectionChanged, this,
                             [this] { QTimer::singleShot(0, this, &StatusIslandController::languageChanged); });
    m_connections << connect(&m_deps.requests, &RequestBus::requestClose, this, &StatusIslandController::closePanel);
    m_connections << connect(&m_deps.requests, &RequestBus::requestOpenFromMenu, this,
                             &StatusIslandController::showPanel);
    StatusItemHosting* item = &m_deps.statusItem;
    m_connections << connect(item, &StatusItemHosting::clicked, this, &StatusIslandController::statusItemClicked);
    m_connections << connect(item, &StatusItemHosting::menuCommandChosen, this,
                             &StatusIslandController::runMenuCommand);
    m_connections << connect(item, &StatusItemHosting::pointerEntered, this,
                             &StatusIslandController::statusItemPointerEntered);
    m_connections << connect(item, &StatusItemHosting::pointerExited, this,
                             &StatusIslandController::statusItemPointerExited);

    registerCurrentToggleShortcut();
    m_connections << connect(&m_deps.shortcutStore, &ShortcutSettingsStore::shortcutRequested, this,
                             &StatusIslandController::registerRequestedToggleShortcut);
}

void StatusIslandController::languageChanged() {
    m_deps.promptStore.reload();
    m_deps.statusItem.apply(
        StatusItemPresentation::make(currentPromptCount(), m_deps.languageStore.resolvedLanguage()));
    if (m_panel) {
        m_panel->rebuildContent();
    }
}

// ---- the panel ----

void StatusIslandController::makePanelIfNeeded() {
    if (m_panel || !m_makePanel) {
        return;
    }
    m_panel = m_makePanel();
    if (!m_panel) {
        return;
    }
    m_panel->onPointerEntered = [this] { panelPointerEntered(); };
    m_panel->onPointerExited = [this] { panelPointerExited(); };
    m_panel->onHeaderLinesHeightChanged = [this] { schedulePanelFrameRefresh(); };
    m_panel->setIgnoresInput(true);
    // Every opening sets the frame afresh; until then the panel is not asked to measure its
    // header lines, which would build its content while nobody looks at it.
    m_panel->setFrame(QRect(QPoint(0, 0), currentPanelSize(false)));
}

bool StatusIslandController::isPanelShown() const {
    return m_panel && m_panel->isVisible() && !m_isClosing;
}

void StatusIslandController::showPanel() {
    makePanelIfNeeded();
    if (!m_panel) {
        return;
    }
    cancel(m_scheduledOpen);
    cancel(m_scheduledClose);
    m_pointerOverStatusItem = pointerOverStatusItem();
    // While a sheet or dialog of the panel is open it works on the context it was opened for.
    if (!m_deps.morphState.isInteractionLocked()) {
        m_deps.morphState.setPinnedContext(m_deps.contextDetector.currentContext());
    }
    ++m_transitionGeneration;
    m_isClosing = false;

    m_panel->setFrame(panelFrame());
    const bool wasVisible = m_panel->isVisible();
    if (!wasVisible) {
        m_deps.morphState.resetCollapsed();
        m_pointerVisitedIsland = m_pointerOverStatusItem || (m_platform.pointerPosition &&
                                                             m_panel->frame().contains(m_platform.pointerPosition()));
    }
    m_panel->setIgnoresInput(false);
    m_panel->orderFront();
    m_deps.morphState.open(reduceMotion());
    m_lastOpenedAt = m_deps.clock->monotonicNow();
    // A tray icon never says that the pointer left it: watch the pointer from the start, as
    // leaving the capsule would have started the check.
    if (m_pointerOverStatusItem && !m_deps.statusItem.reportsPointerLeaving()) {
        scheduleGraceClose();
    }
    if (!wasVisible) {
        emit panelShown();
    }
}

void StatusIslandController::closePanel() {
    if (!m_panel || !m_panel->isVisible() || m_isClosing || m_deps.morphState.isInteractionLocked()) {
        return;
    }
    cancel(m_scheduledOpen);
    cancel(m_scheduledClose);
    m_pointerOverPanel = false;
    const quint64 generation = ++m_transitionGeneration;
    m_isClosing = true;
    m_panel->setIgnoresInput(true);

    QPointer<StatusIslandController> self(this);
    m_deps.morphState.close(reduceMotion(), [self, generation] {
        if (self && self->m_isClosing && self->m_transitionGeneration == generation) {
            self->finishClose();
        }
    });
}

void StatusIslandController::finishClose() {
    ++m_transitionGeneration;
    m_isClosing = false;
    if (m_panel) {
        m_panel->orderOut();
    }
    m_deps.morphState.resetCollapsed();
    m_deps.morphState.setPinnedContext(std::nullopt);
    emit panelHidden();
}

void StatusIslandController::togglePanel() {
    if (isPanelShown() && !m_deps.morphState.isInteractionLocked()) {
        closePanel();
    } else {
        showPanel();
    }
}

// ---- hover and grace ----

void StatusIslandController::scheduleHoverOpen() {
    cancel(m_scheduledClose);
    if (!m_deps.shortcutStore.hoverOpenEnabled()) {
        cancel(m_scheduledOpen);
        return;
    }
    if ((m_panel && m_panel->isVisible()) || m_isClosing) {
        return;
    }
    cancel(m_scheduledOpen);
    std::weak_ptr<bool> alive = m_alive;
    m_scheduledOpen = m_deps.scheduler->schedule(hoverOpenDelay, [this, alive] {
        if (alive.expired()) {
            return;
        }
        m_scheduledOpen.reset();
        if (m_pointerOverStatusItem && m_deps.shortcutStore.hoverOpenEnabled() && !(m_panel && m_panel->isVisible()) &&
            !m_isClosing) {
            showPanel();
        }
    });
}

void StatusIslandController::scheduleGraceClose() {
    cancel(m_scheduledOpen);
    if (!m_panel || !m_panel->isVisible() || m_deps.morphState.isInteractionLocked()) {
        return;
    }
    cancel(m_scheduledClose);
    std::weak_ptr<bool> alive = m_alive;
    m_scheduledClose = m_deps.scheduler->schedule(hoverCloseGrace, [this, alive] {
        if (alive.expired()) {
            return;
        }
        m_scheduledClose.reset();
        closePanelIfPointerLeftIsland();
    });
}

void StatusIslandController::panelPointerEntered() {
    m_pointerOverPanel = true;
    m_pointerVisitedIsland = true;
    cancel(m_scheduledClose);
}

void StatusIslandController::panelPointerExited() {
    m_pointerOverPanel = false;
    m_pointerVisitedIsland = true;
    scheduleGraceClose();
}

void StatusIslandController::closePanelIfPointerLeftIsland() {
    if (!m_panel || !m_panel->isVisible() || m_deps.morphState.isInteractionLocked()) {
        return;
    }
    if (m_lastOpenedAt && m_deps.clock->monotonicNow() - *m_lastOpenedAt < openingProtection) {
        scheduleGraceClose();
        return;
    }
    if (m_pointerOverPanel || !m_pointerVisitedIsland) {
        return;
    }
    if (m_deps.statusItem.reportsPointerLeaving()) {
        if (m_pointerOverStatusItem) {
            return;
        }
    } else {
        // No word will come when the pointer leaves a tray icon: ask where it is now, and keep
        // asking while it stays on the icon.
        m_pointerOverStatusItem = pointerOverStatusItem();
        if (m_pointerOverStatusItem) {
            scheduleGraceClose();
            return;
        }
    }
    // A menu or popover of the panel takes the pointer away from the panel window without the
    // user leaving the island: keep checking until it closes.
    if (m_panel->hasOpenPopup()) {
        scheduleGraceClose();
        return;
    }
    const QRect grown = m_panel->frame().adjusted(-20, -12, 20, 32);
    if (m_platform.pointerPosition && grown.contains(m_platform.pointerPosition())) {
        scheduleGraceClose();
        return;
    }
    closePanel();
}

// ---- context and frame ----

void StatusIslandController::syncExpandedPanelContext() {
    if (!m_panel || !m_panel->isVisible() || !m_deps.morphState.isExpanded() ||
        m_deps.morphState.isInteractionLocked() || m_isClosing) {
        return;
    }
    m_deps.morphState.setPinnedContext(m_deps.contextDetector.currentContext());
    schedulePanelFrameRefresh();
}

void StatusIslandController::panelSearchQueryChanged(const QString& query) {
    if (query == m_panelSearchQuery) {
        return;
    }
    m_panelSearchQuery = query;
    schedulePanelFrameRefresh();
}

void StatusIslandController::panelLayoutModeChanged(bool listLayout) {
    if (listLayout == m_listLayout) {
        return;
    }
    m_listLayout = listLayout;
    schedulePanelFrameRefresh();
}

void StatusIslandController::schedulePanelFrameRefresh() {
    if (!m_panel || !m_panel->isVisible() || !m_deps.morphState.isExpanded() || m_isClosing) {
        return;
    }
    cancel(m_scheduledFrame);
    std::weak_ptr<bool> alive = m_alive;
    m_scheduledFrame = m_deps.scheduler->schedule(frameRefreshDelay, [this, alive] {
        if (alive.expired()) {
            return;
        }
        m_scheduledFrame.reset();
        if (m_panel && m_panel->isVisible() && m_deps.morphState.isExpanded() && !m_isClosing) {
            applyPanelFrame();
        }
    });
}

void StatusIslandController::applyPanelFrame() {
    const QRect frame = panelFrame();
    if (frame != m_panel->frame()) {
        ++m_frameRefreshCount;
        m_panel->setFrame(frame);
    }
}

std::optional<PanelPlacement::Screen> StatusIslandController::chosenScreen() const {
    const QList<PanelPlacement::Screen> screens =
        m_platform.screens ? m_platform.screens() : QList<PanelPlacement::Screen>();
    if (screens.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<int> index = PanelPlacement::screenContaining(screens, m_deps.statusItem.anchorRect());
    return screens[index.value_or(0)];
}

int StatusIslandController::maximumAvailablePanelHeight() const {
    const std::optional<PanelPlacement::Screen> screen = chosenScreen();
    return PanelPlacement::maximumAvailableHeight(screen ? std::optional<QRect>(screen->availableGeometry)
                                                         : std::nullopt);
}

QSize StatusIslandController::currentPanelSize(bool measureHeaderLines) const {
    ContextDetector& detector = m_deps.contextDetector;
    const PanelRenderSnapshot snapshot = PanelRenderSnapshotBuilder::make(
        m_deps.promptStore, detector.currentContext(), m_panelSearchQuery, detector.needsAutomationPermission());
    // The fixed part of the rule leaves no room for the lines under the header; the panel
    // measures them, so that three banners at once squeeze none of them.
    const int headerLines = m_panel && measureHeaderLines ? m_panel->headerLinesHeight(PanelPlacement::panelWidth) : 0;
    int promptCount = int(snapshot.visiblePrompts.size());
    if (!m_listLayout && !snapshot.sections.isEmpty()) {
        // A section's last row is a whole row in the grid, however few tiles it holds.
        QList<int> sizes;
        sizes.reserve(snapshot.sections.size());
        for (const PromptSection& section : snapshot.sections) {
            sizes.append(int(section.prompts.size()));
        }
        promptCount = PanelPlacement::gridCellCount(sizes);
    }
    const int height = PanelPlacement::panelHeight(promptCount, int(snapshot.sections.size()), m_listLayout,
                                                   maximumAvailablePanelHeight(), headerLines);
    return QSize(PanelPlacement::panelWidth, height);
}

QRect StatusIslandController::panelFrame() const {
    const std::optional<PanelPlacement::Screen> screen = chosenScreen();
    return PanelPlacement::panelFrame(currentPanelSize(), m_deps.statusItem.anchorRect(),
                                      screen ? screen->availableGeometry : QRect(),
                                      screen ? screen->geometry : QRect());
}

// ---- hot key ----

qint32 StatusIslandController::registerToggle(const PromptKeyboardShortcut& shortcut) {
    std::weak_ptr<bool> alive = m_alive;
    return m_deps.hotKeyService.registerHotKey(shortcut, [this, alive] {
        if (!alive.expired()) {
            togglePanel();
        }
    });
}

void StatusIslandController::registerCurrentToggleShortcut() {
    ToggleShortcutRegistrar(
        m_deps.shortcutStore, [this](const PromptKeyboardShortcut& shortcut) { return registerToggle(shortcut); },
        [this] { return m_deps.hotKeyService.isRunning(); })
        .registerCurrentToggleShortcut();
}

void StatusIslandController::registerRequestedToggleShortcut(const PromptKeyboardShortcut& requested) {
    ToggleShortcutRegistrar(
        m_deps.shortcutStore, [this](const PromptKeyboardShortcut& shortcut) { return registerToggle(shortcut); },
        [this] { return m_deps.hotKeyService.isRunning(); })
        .registerRequestedToggleShortcut(requested);
}

// ---- helpers ----

void StatusIslandController::cancel(std::optional<Scheduler::Token>& token) {
    if (token) {
        m_deps.scheduler->cancel(*token);
        token.reset();
    }
}

bool StatusIslandController::reduceMotion() const {
    return m_platform.reduceMotion && m_platform.reduceMotion();
}
