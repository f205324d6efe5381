#pragma once

#include "config/PromptConfigLoading.h"
#include "config/PromptLoadResult.h"
#include "config/PromptPersistenceService.h"
#include "config/WorkspaceFileMetadata.h"
#include "context/ContextMatchDetails.h"
#include "context/PromptMatchingService.h"
#include "model/AgentContext.h"
#include "model/environment/AppEnvironment.h"
#include "model/Localization.h"
#include "model/PromptConfigIssue.h"
#include "model/PromptModels.h"
#include "model/PromptPack.h"
#include "model/PromptSelection.h"
#include "model/PromptUsage.h"
#include "store/WorkspaceDeletionResult.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class ContextBindingStore;
class ProjectConfigTrustStore;
class ProjectPromptConfigLoader;
class PromptPackService;
class PromptUsageStore;

// The collaborators a caller may hand to the prompt store; each one left out is built for the
// store's environment. The stores handed in are not owned and must outlive the prompt store.
struct PromptStoreServices {
    std::shared_ptr<PromptConfigLoading> configLoader;
    std::shared_ptr<PromptPersistenceService> persistence;
    PromptUsageStore* usageStore = nullptr;
    ContextBindingStore* bindingStore = nullptr;
};

// The one store of prompts, workspaces, configuration issues and status that every view edits
// through. Main thread only.
//
// A reload hands the loading of every prompt file to the loader, which works off the main
// thread; the result comes back to the main thread and is applied only when no later reload was
// started meanwhile. A load that reports issues keeps the last good state; while there has never
// been one, it shows the files that did load beside the issues of the others.
//
// Edits reach the disk before they are published: an edit changes a copy of a user workspace,
// saves it guarded by the file version last read, and publishes only what the save returned. A
// failed save leaves the published state as it was. Edits, trust and project files are read and
// written on the main thread; each file is small and its read is capped.
//
// Signals, each emitted after the change it announces:
// - contentChanged: globalPrompts, workspaces, workspaceMetadata or showsTransientSamples; also
//   after every applied reload and every trust, since project workspaces are then read afresh;
// - configIssuesChanged: configIssues (also when a reload publishes the same list again);
// - statusChanged: statusMessage, lastErrorMessage or lastWorkspaceSaveIssue;
// - lastEditedWorkspaceIDChanged, sortModeChanged: the property of that name;
// - reloadingChanged: isReloading;
// - bindingsChanged: after every binding operation and remembered selection, since matching
//   reads the binding store.
class PromptStore : public QObject {
    Q_OBJECT
public:
    static inline const QString advancedAutomaticMatchingEnabledKey =
        QStringLiteral("OrrisHollows.advancedAutomaticMatchingEnabled.v1");
    static inline const QString projectConfigsEnabledKey = QStringLiteral("OrrisHollows.projectConfigsEnabled.v1");
    static inline const QString sortModeKey = QStringLiteral("OrrisHollows.promptSortMode.v1");
    // The id under which the workspace manager lists the global prompts.
    static inline const QString globalWorkspaceID = QStringLiteral("__orris_hollows_global__");

    using Services = PromptStoreServices;

    PromptStore(const AppEnvironment& environment, std::function<AppLanguage()> languageProvider, bool loadsOnInit,
                Services services = {}, QObject* parent = nullptr);
    ~PromptStore() override;

    // Published state.
    const QList<PromptItem>& globalPrompts() const { return m_globalPrompts; }
    const QList<PromptWorkspace>& workspaces() const { return m_workspaces; }
    const std::optional<QString>& lastEditedWorkspaceID() const { return m_lastEditedWorkspaceID; }
    const QString& statusMessage() const { return m_statusMessage; }
    const std::optional<QString>& lastErrorMessage() const { return m_lastErrorMessage; }
    // Why the last failed save lost a race with another writer; none after a success or a
    // failure of another kind.
    const std::optional<WorkspaceSaveError>& lastWorkspaceSaveIssue() const { return m_lastWorkspaceSaveIssue; }
    const QList<PromptConfigIssue>& configIssues() const { return m_configIssues; }
    bool showsTransientSamples() const { return m_showsTransientSamples; }
    bool advancedAutomaticMatchingEnabled() const { return m_advancedAutomaticMatchingEnabled; }
    bool projectConfigsEnabled() const { return m_projectConfigsEnabled; }
    PromptSortMode sortMode() const { return m_sortMode; }
    const QHash<QString, WorkspaceFileMetadata>& workspaceMetadata() const { return m_workspaceMetadata; }
    // A reload was started and the latest one has not come back yet.
    bool isReloading() const { return m_reloading; }

    const QString& homeDirectory() const { return m_environment.homePath; }
    const AppEnvironment& environment() const { return m_environment; }
    AppLanguage language() const;
    PromptUsageStore& usageStore() const { return *m_usageStore; }
    // The usage store says nothing when its records change; whoever changes them outside a copy
    // (clearing the history) calls this so that the views sorted by usage redraw with them.
    void announceUsageChange() { emit usageChanged(); }
    PromptPersistenceService& persistence() const { return *m_persistence; }
    ProjectConfigTrustStore& projectConfigTrustStore() const { return *m_projectConfigTrustStore; }
    ContextBindingStore& bindingStore() const { return *m_bindingStore; }
    PromptPackService& promptPackService() const { return *m_promptPackService; }

    // Sets the last edited workspace; a reload keeps it only while a loaded workspace has its id.
    void setLastEditedWorkspaceID(const std::optional<QString>& id);

    // Sets the panel's ordering and keeps it in the user defaults.
    void setSortMode(PromptSortMode mode);
    // Why a workspace cannot be edited; empty for a user workspace.
    QString readOnlyReason(const PromptWorkspace& workspace) const;
    // Puts a workspace that was just written to disk into `workspaces`, in place of the one with
    // its id or at the end.
    void publishPersistedWorkspace(const PromptWorkspace& workspace);

    // Edits of a user workspace in `workspaces`, each saved at once. Any other id (the global
    // prompts, a project workspace) is refused as not found, a sample with its read-only reason.
    // Every failure sets lastErrorMessage and the "save failed" status and returns false.

    // An empty list returns false at once and changes nothing.
    bool importPrompts(const QList<PromptItem>& prompts, const QString& workspaceID);
    bool addPrompt(const PromptItem& prompt, const QString& workspaceID);
    // Replaces the first prompt with the prompt's id. A prompt that is no longer in the workspace
    // (a reload removed or renamed it while the editor was open) is refused: nothing is written.
    bool updatePrompt(const PromptItem& prompt, const QString& workspaceID);
    void togglePinned(const QString& promptID, const QString& workspaceID);
    // Removes every prompt with the id and, once saved, its usage record.
    bool deletePrompt(const QString& promptID, const QString& workspaceID);
    // A name that is blank once trimmed keeps the old name; the match paths are the text's
    // non-empty trimmed lines. The save is guarded by `expectedVersion` when given.
    bool updateWorkspace(const QString& workspaceID, const QString& name, const QString& matchPathsText,
                         const std::optional<WorkspaceFileVersion>& expectedVersion);
    // Moves apply to user workspaces only.
    bool canMovePrompt(const QString& promptID, const QString& workspaceID, PromptMoveDirection direction) const;
    // A move that changes nothing writes nothing and leaves the status alone.
    void movePrompt(const QString& promptID, const QString& workspaceID, PromptMoveDirection direction);
    // Creates an empty workspace file, publishes it as the last edited workspace and reloads.
    std::optional<PromptWorkspace> createWorkspace(const QString& name, const QString& matchPathsText);

    // Deletes the workspaces with the ids, taken in code-point order from the manager's list
    // (workspaceManagerWorkspaces with the extra workspaces), one after the other. Each deletion
    // removes the file, the bindings that name the workspace and the store's entry, and forgets
    // the usage of its prompts; when a step fails, all three are put back. Every id gets a result.
    WorkspaceBatchDeletionResult deleteWorkspaces(const QSet<QString>& ids,
                                                  const QList<PromptWorkspace>& extraWorkspaces = {});

    // Saves the prompts of a workspace in `workspaces` as a new workspace file, leaving the
    // workspace and its file as they are: the way out when its own file can no longer be saved.
    // A blank name takes the copied workspace's name. The copy becomes the last edited workspace.
    std::optional<PromptWorkspace> saveWorkspaceAsNewCopy(const QString& workspaceID, const QString& name,
                                                          const QString& matchPathsText);
    // Saves a transient sample as a user workspace (a blank name takes the sample's) and stops
    // offering the samples.
    std::optional<PromptWorkspace> saveTransientSampleAsWorkspace(const PromptWorkspace& sample, const QString& name);
    // Stops offering the samples, for good.
    void dismissTransientSamples();
    // The workspaces of the context's valid agent bindings, in binding order.
    QList<PromptWorkspace> boundWorkspaces(const AgentContext& context);
    // Remembers the workspace as the context's last choice; only a bound workspace is remembered.
    void selectWorkspace(const QString& workspaceID, const AgentContext& context);
    // What the workspace manager lists: the global prompts as a pseudo-workspace (when there are
    // any), the workspaces, the project workspaces loaded so far and the extra ones, each id once.
    QList<PromptWorkspace> workspaceManagerWorkspaces(const QList<PromptWorkspace>& extraWorkspaces = {}) const;

    // Binds the context's agent to the workspace and remembers it as the context's choice.
    bool bindContext(const AgentContext& context, const QString& workspaceID);
    bool bindAgent(AgentType agentType, const QString& workspaceID, bool isDefault);
    bool deleteBinding(const QString& bindingID);

    // Writes a saved user workspace as a pack file at the destination, replacing a file there.
    bool exportPromptPack(const QString& workspaceID, const QString& destination);
    // Installs the pack as a new user workspace, binds the context's agent to it when a context
    // with a known agent is given, and reloads.
    bool installPromptPack(const PromptPack& pack, const std::optional<AgentContext>& bindingContext = std::nullopt);

    // The project file for the context's folder (the folder or up to two parents), standardised.
    std::optional<QString> projectConfigPath(const AgentContext& context) const;
    // The workspace of a project file, loaded once until the next reload or trust; a file that
    // gives none is not read again until then.
    std::optional<PromptWorkspace> projectWorkspace(const AgentContext& context, const QString& configPath);
    // Trusts the project file's current content; its prompts show at the next match.
    bool trustProjectConfig(const QString& path);

    // Starts a reload and returns at once. A status given here replaces the status line once
    // this reload's result is applied.
    void reload(const std::optional<QString>& preservingStatus = std::nullopt);
    // The same reload; the future finishes on the main thread once its result was applied or
    // dropped for a later reload. Never wait on it on the main thread: continue from it.
    QFuture<void> reloadAndWait();

    // A matching service over the current state, built anew on every call. Its project-file
    // functions call back into this store, so it must not outlive the store.
    PromptMatchingService matchingService();
    // The prompts a match offers, in their base order: the global prompts and the matched
    // workspace's, grouped, pinned first.
    QList<PromptItem> allPrompts(const ContextMatchDetails& matchDetails) const;
    // allPrompts ordered by the sort mode, then filtered by the search text. The context takes no
    // part: it reaches matching only through the details. The selection shares the store's lists;
    // what a key press needs of them (order, search form) is kept until they change.
    PromptSelection visiblePrompts(const AgentContext& context, const ContextMatchDetails& matchDetails,
                                   const QString& searchText) const;
    // The ids of the matched workspace's prompts when it is a user workspace; none otherwise. Kept
    // until the workspace changes.
    QSet<QString> editablePromptIDs(const ContextMatchDetails& matchDetails) const;

    // The match paths of every workspace, in workspace order, duplicates kept.
    QStringList knownWorkspacePaths() const;
    // One section per group in manual order (groups in order of first appearance), else one
    // section named after the sort mode.
    QList<PromptSection> promptSections(const QList<PromptItem>& prompts) const;
    // The same for a selection; the sections share it.
    QList<PromptSection> promptSectionsOf(const PromptSelection& prompts) const;

    // The lines of a text, each trimmed of white space and line breaks, empty ones dropped.
    static QStringList parseLines(const QString& text);
    // Whether the query, trimmed and lower-cased, occurs in the lower-cased title, group, text or
    // space-joined tags. An empty query matches every prompt.
    static bool promptMatchesSearch(const PromptItem& prompt, const QString& query);
    // The global prompts followed by the workspace's, grouped by group in order of first
    // appearance, the pinned ones first within each group.
    static QList<PromptItem> basePromptOrder(const QList<PromptItem>& globalPrompts,
                                             const QList<PromptItem>& workspacePrompts);

signals:
    void contentChanged();
    void configIssuesChanged();
    void statusChanged();
    void lastEditedWorkspaceIDChanged();
    void sortModeChanged();
    void reloadingChanged();
    void bindingsChanged();
    void usageChanged();

private:
    // The ids of every loaded prompt, global and in workspaces.
    QSet<QString> loadedPromptIDs() const;
    QString text(const QString& key) const;
    void setStatusMessage(const QString& message);
    void setLastErrorMessage(const std::optional<QString>& message);
    void setReloading(bool reloading);

    QFuture<void> startReload(const std::optional<QString>& preservedStatus);
    void applyLoadResult(PromptLoadResult result, const std::optional<QString>& previousSelection, AppLanguage language,
                         const std::optional<QString>& preservedStatus);
    void forgetUsageOfRemovedPrompts(const QList<PromptItem>& newGlobalPrompts,
                                     const QList<PromptWorkspace>& newWorkspaces);
    void clearProjectWorkspaceCaches();

    const PromptWorkspace* workspaceWithID(const QString& id) const;
    void reportSaveFailure(const QString& errorMessage);
    // The edit path: applies `change` to a copy of the user workspace and saves it. A change that
    // returns false refuses the edit with `refusal` as the error.
    bool mutateWorkspace(const QString& workspaceID, const std::optional<WorkspaceFileVersion>& expectedVersion,
                         const std::function<bool(PromptWorkspace&)>& change, const QString& refusal = QString());
    bool saveMutatedWorkspace(const PromptWorkspace& workspace,
                              const std::optional<WorkspaceFileVersion>& expectedVersion);

    WorkspaceDeletionResult deleteWorkspaceForManager(const PromptWorkspace& workspace);
    void removeTransientSamplesFromCurrentState();
    // Publishes a workspace just created from content the user already sees: last edited, a
    // fresh status, and a reload that keeps that status.
    void publishCreatedWorkspace(const PromptWorkspace& created);

    AppEnvironment m_environment;
    std::function<AppLanguage()> m_languageProvider;
    std::shared_ptr<PromptConfigLoading> m_configLoader;
    std::shared_ptr<PromptPersistenceService> m_persistence;
    std::unique_ptr<ProjectPromptConfigLoader> m_projectConfigLoader;
    std::unique_ptr<ProjectConfigTrustStore> m_projectConfigTrustStore;
    // Installs packs through a persistence service of its own.
    std::unique_ptr<PromptPackService> m_promptPackService;
    PromptUsageStore* m_usageStore = nullptr;
    ContextBindingStore* m_bindingStore = nullptr;

    QList<PromptItem> m_globalPrompts;
    QList<PromptWorkspace> m_workspaces;
    std::optional<QString> m_lastEditedWorkspaceID;
    QString m_statusMessage;
    std::optional<QString> m_lastErrorMessage;
    std::optional<WorkspaceSaveError> m_lastWorkspaceSaveIssue;
    QList<PromptConfigIssue> m_configIssues;
    bool m_showsTransientSamples = false;
    bool m_advancedAutomaticMatchingEnabled = false;
    bool m_projectConfigsEnabled = true;
    PromptSortMode m_sortMode = PromptSortMode::manual;
    QHash<QString, WorkspaceFileMetadata> m_workspaceMetadata;

    // Project workspaces by normalised file path, and the project files that gave none. Both are
    // emptied by every applied reload and every successful trust.
    QHash<QString, PromptWorkspace> m_projectWorkspaceCache;
    QSet<QString> m_projectWorkspaceMisses;
    // Every project prompt id shown since launch: a reload never loads project files, so their
    // usage must not be taken for that of removed prompts.
    QSet<QString> m_projectPromptIDsSeen;

    bool m_hasSuccessfulConfigSnapshot = false;
    quint64 m_reloadGeneration = 0;
    bool m_reloading = false;

    // What the panel's key presses need of the current lists, kept while the lists stay the same
    // (their shared data is the key) and dropped with every applied reload.
    struct SnapshotCache;
    std::unique_ptr<SnapshotCache> m_snapshotCache;
};
