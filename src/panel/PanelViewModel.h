#pragma once

#include "model/AgentContext.h"
#include "model/environment/Scheduler.h"
#include "model/KeyboardShortcutModels.h"
#include "model/PromptModels.h"
#include "panel/tiles/PromptCopyFeedback.h"
#include "services/PromptCopyCoordinator.h"
#include "store/PanelRenderSnapshot.h"

#include <QObject>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AppLanguageStore;
class ContextDetector;
class FirstRunChecklistStore;
class IslandMorphState;
class PromptCopySoundPlayer;
class PromptStore;
class PromptVariableValueStore;
class RequestBus;
class ShortcutSettingsStore;
class UserDefaults;

// The prompt the delete confirmation asks about, with the workspace it was shown in when the
// user asked: a later re-evaluation must not send the deletion to another workspace.
struct PendingPromptDeletion {
    PromptItem prompt;
    std::optional<QString> workspaceID;
};

// Everything the island panel shows and does, without a widget: the render snapshot for the
// pinned (or current) context and the search text, the keyboard selection, the hover preview,
// the copy flow and its feedback, the open sheet and the interaction lock. The widget draws it
// and forwards input. Main thread; delays go through the scheduler.
class PanelViewModel : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds initialSelectionDelay{320};
    static constexpr std::chrono::milliseconds searchFocusDelay{40};
    static constexpr std::chrono::milliseconds hoverPreviewDelay{700};
    static constexpr std::chrono::milliseconds copiedBadgeLifetime{1600};
    static inline const QString layoutModeKey = QStringLiteral("OrrisHollows.panelLayoutMode.v1");

    enum class Sheet { none, promptEditor, workspaceEditor, importer, workspaceEdit, variableForm };

    struct Dependencies {
        PromptStore& promptStore;
        ContextDetector& contextDetector;
        ShortcutSettingsStore& shortcutStore;
        IslandMorphState& morphState;
        AppLanguageStore& languageStore;
        RequestBus& requests;
        PromptActionService actionService;
        PromptCopySoundPlayer& soundPlayer;
        PromptVariableValueStore& variableValues;
        std::shared_ptr<UserDefaults> defaults;
        std::shared_ptr<Scheduler> scheduler;
        std::shared_ptr<Clock> clock;
        // Marks the first-run checklist's copy step after every successful copy.
        std::function<void()> onSuccessfulCopy;
        // Reports the search query and the layout mode, for the panel's size.
        std::function<void(const QString&)> onSearchQueryChange;
        std::function<void(bool listLayout)> onLayoutModeChange;
        std::function<bool()> reduceMotion;
        // The first-run checklist shown at the top of the stage; none shows no card.
        FirstRunChecklistStore* checklist = nullptr;
    };

    explicit PanelViewModel(Dependencies dependencies, QObject* parent = nullptr);
    ~PanelViewModel() override;

    PromptStore& promptStore() const { return m_deps.promptStore; }
    FirstRunChecklistStore* checklist() const { return m_deps.checklist; }
    const ShortcutSettingsStore& shortcutStore() const { return m_deps.shortcutStore; }
    const AppLanguageStore& languageStore() const { return m_deps.languageStore; }

    // ---- derived values, as of the last evaluation ----
    const AgentContext& context() const { return m_context; }
    const PanelRenderSnapshot& snapshot() const { return m_snapshot; }
    std::optional<PromptWorkspace> editableWorkspace() const;
    std::optional<QString> editableWorkspaceID() const;
    bool canCreatePrompt() const;
    int promptCount() const;
    const QStringList& visiblePromptIDs() const { return m_visiblePromptIDs; }
    static QString panelContextIdentity(const AgentContext& context);

    // ---- transient state ----
    const QString& searchText() const { return m_searchText; }
    const std::optional<QString>& selectedPromptID() const { return m_selectedPromptID; }
    const std::optional<PromptItem>& previewPrompt() const { return m_previewPrompt; }
    const std::optional<PromptCopyFeedback>& copyFeedback() const { return m_copyFeedback; }
    const std::optional<PromptVariableForm>& pendingVariableForm() const { return m_pendingVariableForm; }
    const std::optional<PendingPromptDeletion>& pendingDeletion() const { return m_pendingDeletion; }
    Sheet openSheet() const { return m_openSheet; }
    const std::optional<PromptItem>& editingPrompt() const { return m_editingPrompt; }
    const std::optional<PromptWorkspace>& editingWorkspace() const { return m_editingWorkspace; }
    bool showDebugDetails() const { return m_showDebugDetails; }
    bool listLayout() const { return m_listLayout; }
    bool isLocked() const;
    bool hasPendingInitialSelection() const { return m_initialSelection.has_value(); }
    bool hasPendingHoverPreview() const { return m_hoverPreview.has_value(); }
    // What the header's diagnostics show of the detector.
    bool needsAutomationPermission() const;
    std::optional<QString> lastDetectionError() const;
    RequestBus& requests() const { return m_deps.requests; }

    // ---- lifecycle ----
    // The panel came on screen / went away.
    void appeared();
    void disappeared();
    // Re-reads the stores and rebuilds the snapshot; the widget calls it on store changes.
    void evaluate();

    // ---- input ----
    void setSearchText(const QString& text);
    // True when the panel used the key; false passes it on to the focused control.
    bool handleKey(const KeyEventInfo& key);
    void moveSelection(int delta);
    void select(const QString& promptID);
    void handleTileHover(const PromptItem& prompt, bool hovering);
    void cancelHoverPreview();
    void setShowDebugDetails(bool show);
    void setListLayout(bool list);
    // An open menu or popover of the panel counts as interaction: the island must not close.
    void setPopupOpen(bool open);

    // ---- actions ----
    void copyPrompt(const PromptItem& prompt, bool keepSearchFocused = true);
    void copySelectedPrompt();
    void retry(const QString& promptID);
    PromptCopySubmissionResult confirmVariables(const QHash<QString, QString>& values);
    void cancelVariables();
    void requestDelete(const PromptItem& prompt);
    void confirmDelete();
    void cancelDelete();
    void openPromptEditor(const std::optional<PromptItem>& prompt);
    void openWorkspaceEditor();
    void openImporter();
    void openWorkspaceEdit(const PromptWorkspace& workspace);
    // A sheet closed itself.
    void sheetClosed();
    void requestWorkspaceManager();
    void requestSettings();
    void installBuiltInPack();
    void dismissChecklist();
    bool canInstallBuiltInPack() const;
    void bindWorkspace(const QString& workspaceID);
    void trustProjectConfig(const QString& path);
    bool canMove(const PromptItem& prompt, PromptMoveDirection direction) const;
    void move(const PromptItem& prompt, PromptMoveDirection direction);
    void togglePinned(const PromptItem& prompt);

signals:
    // Anything drawn changed: the snapshot, the selection, the feedback, the preview.
    void changed();
    void searchTextChanged(const QString& text);
    // The search field should take the keyboard focus now.
    void searchFocusRequested();
    void sheetChanged(Sheet sheet);
    void pendingDeletionChanged();

private:
    void applyCopyResult(PromptCopyResult result, const PromptItem& prompt, bool keepSearchFocused);
    void scheduleInitialSelection();
    void validateSelection();
    void focusSearchWhenReady();
    void syncInteractionLock();
    void setSelectedPromptID(const std::optional<QString>& id);
    void openSheet(Sheet sheet);
    void contentVisibilityChanged(bool visible);
    PromptCopyCoordinator coordinator() const;
    void cancel(std::optional<Scheduler::Token>& token);

    Dependencies m_deps;
    AgentContext m_context = AgentContext::unknown();
    QString m_contextIdentity;
    PanelRenderSnapshot m_snapshot;
    QStringList m_visiblePromptIDs;

    QString m_searchText;
    std::optional<QString> m_selectedPromptID;
    std::optional<QString> m_hoveredPromptID;
    std::optional<PromptItem> m_previewPrompt;
    std::optional<PromptCopyFeedback> m_copyFeedback;
    qint64 m_feedbackGeneration = 0;
    std::optional<PromptItem> m_failedPrompt;
    std::optional<PromptVariableForm> m_pendingVariableForm;
    std::optional<PromptItem> m_pendingVariablePrompt;
    bool m_pendingVariableKeepsSearchFocused = false;
    std::optional<PendingPromptDeletion> m_pendingDeletion;
    Sheet m_openSheet = Sheet::none;
    std::optional<PromptItem> m_editingPrompt;
    std::optional<PromptWorkspace> m_editingWorkspace;
    bool m_showDebugDetails = false;
    bool m_popupOpen = false;
    bool m_listLayout = false;
    bool m_appeared = false;
    // Set while evaluate() runs: changes made on its way are told by its own changed().
    bool m_evaluating = false;

    std::optional<Scheduler::Token> m_initialSelection;
    std::optional<Scheduler::Token> m_hoverPreview;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
