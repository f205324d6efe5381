#include "panel/PanelViewModel.h"

#include "config/PromptPackService.h"
#include "context/ContextDetector.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/UserDefaults.h"
#include "model/TextPrimitives.h"
#include "panel/island/IslandMorphState.h"
#include "panel/PromptPanelRendering.h"
#include "services/RequestBus.h"
#include "store/FirstRunChecklistStore.h"
#include "store/PanelRenderSnapshotBuilder.h"
#include "store/PromptCopySoundPlayer.h"
#include "store/PromptStore.h"
#include "store/PromptUsageStore.h"

using namespace std::chrono_literals;

namespace {

constexpr quint32 keyReturn = 36;
constexpr quint32 keyEscape = 53;
constexpr quint32 keyKeypadEnter = 76;
constexpr quint32 keyLeft = 123;
constexpr quint32 keyRight = 124;
constexpr quint32 keyDown = 125;
constexpr quint32 keyUp = 126;

} // namespace

PanelViewModel::PanelViewModel(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies)) {
    m_listLayout = m_deps.defaults && m_deps.defaults->stringValue(layoutModeKey) == QStringLiteral("list");

    PromptStore* store = &m_deps.promptStore;
    for (auto changed : {&PromptStore::contentChanged, &PromptStore::configIssuesChanged, &PromptStore::statusChanged,
                         &PromptStore::sortModeChanged, &PromptStore::bindingsChanged, &PromptStore::usageChanged}) {
        connect(store, changed, this, &PanelViewModel::evaluate);
    }
    ContextDetector* detector = &m_deps.contextDetector;
    connect(detector, &ContextDetector::currentContextChanged, this, &PanelViewModel::evaluate);
    connect(detector, &ContextDetector::needsAutomationPermissionChanged, this, &PanelViewModel::evaluate);
    connect(detector, &ContextDetector::lastDetectionErrorChanged, this, &PanelViewModel::evaluate);
    IslandMorphState* morph = &m_deps.morphState;
    connect(morph, &IslandMorphState::pinnedContextChanged, this, [this] {
        // The panel pins the detected context as it opens, and lets it go as it closes: mostly the
        // context it shows already, whose prompts need no second look.
        const std::optional<AgentContext>& pinned = m_deps.morphState.pinnedContext();
        if ((pinned ? *pinned : m_deps.contextDetector.currentContext()) != m_context) {
            evaluate();
        }
    });
    connect(morph, &IslandMorphState::contentVisibleChanged, this, &PanelViewModel::contentVisibilityChanged);
    connect(morph, &IslandMorphState::interactionLockedChanged, this, [this](bool locked) {
        if (!locked) {
            focusSearchWhenReady();
        }
        emit changed();
    });
    connect(&m_deps.shortcutStore, &ShortcutSettingsStore::promptTileShortcutChanged, this, &PanelViewModel::evaluate);
    connect(&m_deps.languageStore, &AppLanguageStore::selectionChanged, this, &PanelViewModel::evaluate);
    if (m_deps.checklist != nullptr) {
        connect(m_deps.checklist, &FirstRunChecklistStore::changed, this, &PanelViewModel::changed);
    }
    evaluate();
}

PanelViewModel::~PanelViewModel() {
    *m_alive = false;
    cancel(m_initialSelection);
    cancel(m_hoverPreview);
}

// ---- derived values ----

void PanelViewModel::evaluate() {
    const std::optional<AgentContext>& pinned = m_deps.morphState.pinnedContext();
    m_context = pinned ? *pinned : m_deps.contextDetector.currentContext();

    // Another application or agent: what the user typed for the last one means nothing here.
    const QString identity = panelContextIdentity(m_context);
    const bool identityChanged = identity != m_contextIdentity;
    m_contextIdentity = identity;
    if (identityChanged && !m_searchText.isEmpty() && m_appeared) {
        m_searchText.clear();
        emit searchTextChanged(m_searchText);
        if (m_deps.onSearchQueryChange) {
            m_deps.onSearchQueryChange(m_searchText);
        }
    }

    m_snapshot = PanelRenderSnapshotBuilder::make(m_deps.promptStore, m_context, m_searchText,
                                                  m_deps.contextDetector.needsAutomationPermission());
    const QStringList ids = m_snapshot.visiblePromptIDs();
    // A selection or preview the new prompts move is told with this evaluation's one change
    // below: told on its own, the panel would render every visible tile twice for one key.
    m_evaluating = true;
    if (ids != m_visiblePromptIDs) {
        m_visiblePromptIDs = ids;
        if (m_selectedPromptID) {
            validateSelection();
        } else {
            scheduleInitialSelection();
        }
        if (m_previewPrompt && !m_visiblePromptIDs.contains(m_previewPrompt->id)) {
            cancelHoverPreview();
        }
    }
    m_evaluating = false;
    emit changed();
}

QString PanelViewModel::panelContextIdentity(const AgentContext& context) {
    if (context.frontmostBundleIdentifier) {
        const QString trimmed = Text::trimWhitespaceAndNewlines(*context.frontmostBundleIdentifier).toLower();
        if (!trimmed.isEmpty()) {
            return trimmed;
        }
    }
    return AgentTypes::rawValue(context.agent) + QLatin1Char(':') + context.frontmostAppName.toLower();
}

std::optional<PromptWorkspace> PanelViewModel::editableWorkspace() const {
    if (m_snapshot.activeWorkspace && m_snapshot.activeWorkspace->source == PromptWorkspaceSource::userWorkspace) {
        return m_snapshot.activeWorkspace;
    }
    return std::nullopt;
}

std::optional<QString> PanelViewModel::editableWorkspaceID() const {
    if (const std::optional<PromptWorkspace> workspace = editableWorkspace()) {
        return workspace->id;
    }
    return std::nullopt;
}

bool PanelViewModel::canCreatePrompt() const {
    for (const PromptWorkspace& workspace : m_deps.promptStore.workspaces()) {
        if (workspace.source == PromptWorkspaceSource::userWorkspace) {
            return true;
        }
    }
    return false;
}

int PanelViewModel::promptCount() const {
    if (Text::trimWhitespaceAndNewlines(m_searchText).isEmpty()) {
        return m_snapshot.activeWorkspace ? int(m_snapshot.activeWorkspace->prompts.size())
                                          : int(m_deps.promptStore.globalPrompts().size());
    }
    return int(m_snapshot.visiblePrompts.size());
}

bool PanelViewModel::isLocked() const {
    return m_deps.morphState.isInteractionLocked();
}

// ---- lifecycle ----

void PanelViewModel::appeared() {
    m_appeared = true;
    syncInteractionLock();
    scheduleInitialSelection();
    focusSearchWhenReady();
    if (m_deps.onLayoutModeChange) {
        m_deps.onLayoutModeChange(m_listLayout);
    }
}

void PanelViewModel::disappeared() {
    cancel(m_initialSelection);
}

void PanelViewModel::contentVisibilityChanged(bool visible) {
    if (!visible) {
        cancel(m_initialSelection);
        setSelectedPromptID(std::nullopt);
        cancelHoverPreview();
        return;
    }
    scheduleInitialSelection();
    focusSearchWhenReady();
}

// ---- search, selection, focus ----

void PanelViewModel::setSearchText(const QString& text) {
    if (text == m_searchText) {
        return;
    }
    m_searchText = text;
    emit searchTextChanged(m_searchText);
    if (m_deps.onSearchQueryChange) {
        m_deps.onSearchQueryChange(m_searchText);
    }
    evaluate();
}

void PanelViewModel::setSelectedPromptID(const std::optional<QString>& id) {
    if (m_selectedPromptID == id) {
        return;
    }
    m_selectedPromptID = id;
    if (!m_evaluating) {
        emit changed();
    }
}

void PanelViewModel::select(const QString& promptID) {
    setSelectedPromptID(promptID);
    focusSearchWhenReady();
}

void PanelViewModel::moveSelection(int delta) {
    const PromptSelection& prompts = m_snapshot.visiblePrompts;
    if (prompts.isEmpty()) {
        setSelectedPromptID(std::nullopt);
        return;
    }
    const qsizetype index = m_selectedPromptID ? m_visiblePromptIDs.indexOf(*m_selectedPromptID) : -1;
    if (index < 0) {
        setSelectedPromptID(prompts.first().id);
        return;
    }
    const qsizetype moved = std::clamp<qsizetype>(index + delta, 0, prompts.size() - 1);
    setSelectedPromptID(prompts.at(moved).id);
    focusSearchWhenReady();
}

void PanelViewModel::scheduleInitialSelection() {
    cancel(m_initialSelection);
    if (!m_deps.morphState.contentVisible() || m_selectedPromptID) {
        return;
    }
    const std::chrono::milliseconds delay = m_deps.morphState.accessibilityReduceMotion() ? 0ms : initialSelectionDelay;
    std::weak_ptr<bool> alive = m_alive;
    const QStringList ids = m_visiblePromptIDs;
    m_initialSelection = m_deps.scheduler->schedule(delay, [this, alive, ids] {
        if (alive.expired()) {
            return;
        }
        m_initialSelection.reset();
        if (m_deps.morphState.contentVisible() && !m_selectedPromptID) {
            setSelectedPromptID(ids.isEmpty() ? std::nullopt : std::optional<QString>(ids.first()));
        }
    });
}

void PanelViewModel::validateSelection() {
    if (m_selectedPromptID && m_visiblePromptIDs.contains(*m_selectedPromptID)) {
        return;
    }
    setSelectedPromptID(m_visiblePromptIDs.isEmpty() ? std::nullopt
                                                     : std::optional<QString>(m_visiblePromptIDs.first()));
}

void PanelViewModel::focusSearchWhenReady() {
    if (!m_deps.morphState.contentVisible() || m_deps.morphState.isInteractionLocked()) {
        return;
    }
    std::weak_ptr<bool> alive = m_alive;
    m_deps.scheduler->schedule(searchFocusDelay, [this, alive] {
        if (!alive.expired() && m_deps.morphState.contentVisible() && !m_deps.morphState.isInteractionLocked()) {
            emit searchFocusRequested();
        }
    });
}

// ---- keys ----

bool PanelViewModel::handleKey(const KeyEventInfo& key) {
    if (!m_deps.morphState.contentVisible() || m_deps.morphState.isInteractionLocked()) {
        return false;
    }
    evaluate();
    const quint64 kept = key.modifierFlags & ModifierFlags::keptBits;
    if (kept == ModifierFlags::command && key.charactersIgnoringModifiers == QStringLiteral(",")) {
        requestSettings();
        return true;
    }
    if (const std::optional<PromptItem> prompt = PromptPanelRendering::promptForKeyboardShortcut(
            key, m_snapshot, m_deps.shortcutStore.promptTileShortcut())) {
        copyPrompt(*prompt, true);
        return true;
    }
    // Quit, as in every window of the app; after the prompts' own shortcuts, which come first.
    if (kept == ModifierFlags::command &&
        key.charactersIgnoringModifiers.compare(QStringLiteral("q"), Qt::CaseInsensitive) == 0) {
        emit m_deps.requests.requestQuit();
        return true;
    }
    // A list has one column, so Up and Down move by one there.
    const int rowStep = m_listLayout ? 1 : 3;
    switch (key.keyCode) {
    case keyLeft:
        moveSelection(-1);
        return true;
    case keyRight:
        moveSelection(1);
        return true;
    case keyDown:
        moveSelection(rowStep);
        return true;
    case keyUp:
        moveSelection(-rowStep);
        return true;
    case keyReturn:
    case keyKeypadEnter:
        copySelectedPrompt();
        return true;
    case keyEscape:
        if (!m_searchText.isEmpty()) {
            setSearchText(QString());
            focusSearchWhenReady();
        } else {
            emit m_deps.requests.requestClose();
        }
        return true;
    default:
        return false;
    }
}

// ---- hover preview ----

void PanelViewModel::handleTileHover(const PromptItem& prompt, bool hovering) {
    if (!m_deps.morphState.contentVisible() || m_deps.morphState.isInteractionLocked()) {
        cancelHoverPreview();
        return;
    }
    if (hovering) {
        m_hoveredPromptID = prompt.id;
        cancel(m_hoverPreview);
        std::weak_ptr<bool> alive = m_alive;
        m_hoverPreview = m_deps.scheduler->schedule(hoverPreviewDelay, [this, alive, prompt] {
            if (alive.expired()) {
                return;
            }
            m_hoverPreview.reset();
            if (m_hoveredPromptID == prompt.id && m_deps.morphState.contentVisible() &&
                !m_deps.morphState.isInteractionLocked()) {
                m_previewPrompt = prompt;
                emit changed();
            }
        });
        return;
    }
    cancel(m_hoverPreview);
    if (m_hoveredPromptID == prompt.id) {
        m_hoveredPromptID.reset();
        if (m_previewPrompt) {
            m_previewPrompt.reset();
            emit changed();
        }
    }
}

void PanelViewModel::cancelHoverPreview() {
    cancel(m_hoverPreview);
    m_hoveredPromptID.reset();
    if (m_previewPrompt) {
        m_previewPrompt.reset();
        if (!m_evaluating) {
            emit changed();
        }
    }
}

// ---- interaction lock ----

void PanelViewModel::syncInteractionLock() {
    const bool locked = m_showDebugDetails || m_openSheet != Sheet::none || m_pendingDeletion.has_value() ||
                        m_pendingVariableForm.has_value() || m_popupOpen;
    m_deps.morphState.setInteractionLocked(locked);
    if (locked) {
        cancelHoverPreview();
    }
}

void PanelViewModel::setShowDebugDetails(bool show) {
    if (m_showDebugDetails != show) {
        m_showDebugDetails = show;
        syncInteractionLock();
        emit changed();
    }
}

void PanelViewModel::setPopupOpen(bool open) {
    if (m_popupOpen != open) {
        m_popupOpen = open;
        syncInteractionLock();
    }
}

void PanelViewModel::setListLayout(bool list) {
    if (m_listLayout == list) {
        return;
    }
    m_listLayout = list;
    if (m_deps.defaults) {
        m_deps.defaults->setString(layoutModeKey, list ? QStringLiteral("list") : QStringLiteral("grid"));
    }
    if (m_deps.onLayoutModeChange) {
        m_deps.onLayoutModeChange(list);
    }
    emit changed();
}

// ---- copy ----

PromptCopyCoordinator PanelViewModel::coordinator() const {
    return PromptCopyCoordinator(m_deps.actionService, m_deps.variableValues, m_deps.clock);
}

void PanelViewModel::copyPrompt(const PromptItem& prompt, bool keepSearchFocused) {
    cancelHoverPreview();
    const PromptCopyPreparation preparation = coordinator().prepare(prompt);
    if (preparation.kind == PromptCopyPreparation::Kind::immediate) {
        const PromptCopyResult result = m_deps.actionService.copyText(preparation.text);
        if (result == PromptCopyResult::success) {
            m_deps.promptStore.usageStore().recordSuccessfulCopy(prompt.id, m_deps.clock->now());
        }
        applyCopyResult(result, prompt, keepSearchFocused);
        return;
    }
    m_pendingVariablePrompt = prompt;
    m_pendingVariableKeepsSearchFocused = keepSearchFocused;
    m_pendingVariableForm = preparation.form;
    openSheet(Sheet::variableForm);
}

void PanelViewModel::applyCopyResult(PromptCopyResult result, const PromptItem& prompt, bool keepSearchFocused) {
    if (result != PromptCopyResult::success) {
        m_copyFeedback = PromptCopyFeedback{PromptCopyFeedback::Kind::failed, prompt.id};
        m_failedPrompt = prompt;
        emit changed();
        return;
    }
    if (m_deps.onSuccessfulCopy) {
        m_deps.onSuccessfulCopy();
    }
    m_copyFeedback = PromptCopyFeedback{PromptCopyFeedback::Kind::copied, prompt.id};
    m_failedPrompt.reset();
    const qint64 generation = ++m_feedbackGeneration;
    std::weak_ptr<bool> alive = m_alive;
    const QString promptID = prompt.id;
    m_deps.scheduler->schedule(copiedBadgeLifetime, [this, alive, generation, promptID] {
        if (alive.expired() || m_feedbackGeneration != generation ||
            m_copyFeedback != PromptCopyFeedback{PromptCopyFeedback::Kind::copied, promptID}) {
            return;
        }
        m_copyFeedback.reset();
        emit changed();
    });
    m_deps.soundPlayer.play(m_deps.shortcutStore.copySoundName());
    m_selectedPromptID = prompt.id;
    // This desktop has no haptic feedback: the setting is kept but nothing taps.
    if (keepSearchFocused) {
        focusSearchWhenReady();
    }
    // The copy was counted: a panel sorted by recent or frequent use shows the new order at once.
    evaluate();
}

void PanelViewModel::copySelectedPrompt() {
    const PromptSelection& prompts = m_snapshot.visiblePrompts;
    if (prompts.isEmpty()) {
        return;
    }
    const qsizetype index = m_selectedPromptID ? m_visiblePromptIDs.indexOf(*m_selectedPromptID) : -1;
    copyPrompt(prompts.at(index < 0 ? 0 : index), true);
}

void PanelViewModel::retry(const QString& promptID) {
    if (m_copyFeedback && m_copyFeedback->kind == PromptCopyFeedback::Kind::failed &&
        m_copyFeedback->promptID == promptID && m_failedPrompt) {
        copyPrompt(*m_failedPrompt, true);
    }
}

PromptCopySubmissionResult PanelViewModel::confirmVariables(const QHash<QString, QString>& values) {
    if (!m_pendingVariableForm) {
        return PromptCopySubmissionResult::cancelled();
    }
    const PromptVariableForm form = *m_pendingVariableForm;
    const PromptCopySubmissionResult result = coordinator().submit(form, values);
    if (result.kind != PromptCopySubmissionResult::Kind::copy) {
        return result;
    }
    if (result.copyResult == PromptCopyResult::success) {
        m_deps.promptStore.usageStore().recordSuccessfulCopy(form.promptID, m_deps.clock->now());
    }
    if (m_pendingVariablePrompt) {
        const PromptItem prompt = *m_pendingVariablePrompt;
        m_pendingVariableForm.reset();
        m_pendingVariablePrompt.reset();
        m_openSheet = Sheet::none;
        syncInteractionLock();
        emit sheetChanged(m_openSheet);
        applyCopyResult(result.copyResult, prompt, m_pendingVariableKeepsSearchFocused);
    }
    return result;
}

void PanelViewModel::cancelVariables() {
    m_pendingVariableForm.reset();
    m_pendingVariablePrompt.reset();
    if (m_openSheet == Sheet::variableForm) {
        m_openSheet = Sheet::none;
        emit sheetChanged(m_openSheet);
    }
    syncInteractionLock();
}

// ---- deletion ----

void PanelViewModel::requestDelete(const PromptItem& prompt) {
    m_pendingDeletion = PendingPromptDeletion{prompt, editableWorkspaceID()};
    syncInteractionLock();
    emit pendingDeletionChanged();
}

void PanelViewModel::confirmDelete() {
    if (m_pendingDeletion && m_pendingDeletion->workspaceID) {
        const PendingPromptDeletion deletion = *m_pendingDeletion;
        m_pendingDeletion.reset();
        m_deps.promptStore.deletePrompt(deletion.prompt.id, *deletion.workspaceID);
    }
    m_pendingDeletion.reset();
    syncInteractionLock();
    emit pendingDeletionChanged();
}

void PanelViewModel::cancelDelete() {
    m_pendingDeletion.reset();
    syncInteractionLock();
    emit pendingDeletionChanged();
}

// ---- sheets and requests ----

void PanelViewModel::openSheet(Sheet sheet) {
    m_openSheet = sheet;
    syncInteractionLock();
    emit sheetChanged(sheet);
}

void PanelViewModel::openPromptEditor(const std::optional<PromptItem>& prompt) {
    if (!prompt && !canCreatePrompt()) {
        return;
    }
    m_editingPrompt = prompt;
    openSheet(Sheet::promptEditor);
}

void PanelViewModel::openWorkspaceEditor() {
    openSheet(Sheet::workspaceEditor);
}

void PanelViewModel::openImporter() {
    openSheet(Sheet::importer);
}

void PanelViewModel::openWorkspaceEdit(const PromptWorkspace& workspace) {
    m_editingWorkspace = workspace;
    openSheet(Sheet::workspaceEdit);
}

void PanelViewModel::sheetClosed() {
    if (m_openSheet == Sheet::variableForm) {
        cancelVariables();
        return;
    }
    m_editingPrompt.reset();
    m_editingWorkspace.reset();
    openSheet(Sheet::none);
}

void PanelViewModel::requestWorkspaceManager() {
    emit m_deps.requests.requestOpenWorkspaceManager(
        m_snapshot.activeWorkspace ? std::optional<QString>(m_snapshot.activeWorkspace->id) : std::nullopt);
}

void PanelViewModel::requestSettings() {
    emit m_deps.requests.requestOpenSettings();
}

bool PanelViewModel::needsAutomationPermission() const {
    return m_deps.contextDetector.needsAutomationPermission();
}

std::optional<QString> PanelViewModel::lastDetectionError() const {
    return m_deps.contextDetector.lastDetectionError();
}

bool PanelViewModel::canInstallBuiltInPack() const {
    return m_deps.promptStore.workspaces().isEmpty();
}

void PanelViewModel::installBuiltInPack() {
    const QList<PromptPack>& packs = PromptPackService::builtInPacks(m_deps.languageStore.resolvedLanguage());
    if (!packs.isEmpty()) {
        m_deps.promptStore.installPromptPack(packs.first(), std::nullopt);
    }
}

void PanelViewModel::dismissChecklist() {
    if (m_deps.checklist != nullptr) {
        m_deps.checklist->dismiss();
    }
}

void PanelViewModel::bindWorkspace(const QString& workspaceID) {
    m_deps.promptStore.bindContext(m_context, workspaceID);
}

void PanelViewModel::trustProjectConfig(const QString& path) {
    m_deps.promptStore.trustProjectConfig(path);
}

bool PanelViewModel::canMove(const PromptItem& prompt, PromptMoveDirection direction) const {
    const std::optional<QString> workspaceID = editableWorkspaceID();
    if (!workspaceID || !m_snapshot.allowsPromptOrdering) {
        return false;
    }
    return m_deps.promptStore.canMovePrompt(prompt.id, *workspaceID, direction);
}

void PanelViewModel::move(const PromptItem& prompt, PromptMoveDirection direction) {
    if (const std::optional<QString> workspaceID = editableWorkspaceID()) {
        m_deps.promptStore.movePrompt(prompt.id, *workspaceID, direction);
    }
}

void PanelViewModel::togglePinned(const PromptItem& prompt) {
    if (const std::optional<QString> workspaceID = editableWorkspaceID()) {
        m_deps.promptStore.togglePinned(prompt.id, *workspaceID);
    }
}

void PanelViewModel::cancel(std::optional<Scheduler::Token>& token) {
    if (token) {
        m_deps.scheduler->cancel(*token);
        token.reset();
    }
}
