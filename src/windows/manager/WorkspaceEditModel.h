#pragma once

#include "model/PromptModels.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <optional>

class PromptStore;
template <typename T> class QFutureWatcher;

// The form of the workspace edit sheet: the name of one user workspace and the agents bound to
// it. Save writes the name (with the match paths as they are) guarded by the file version the
// form holds, then adds and removes bindings one agent at a time.
//
// The form's version follows what it knows: after any successful write it expects the version
// just written, and "Reload from disk" waits for the store's reload whose result is applied before
// it takes the name, the bindings, the match paths and the version of the workspace read, so that
// a later Save no longer conflicts with the sheet's own or an accepted change. Main thread.
class WorkspaceEditModel : public QObject {
    Q_OBJECT
public:
    WorkspaceEditModel(PromptStore& store, PromptWorkspace workspace, QObject* parent = nullptr);
    ~WorkspaceEditModel() override;

    // The bindable agents, sorted for the interface language.
    QList<AgentType> agentChoices() const;

    // The workspace as the form knows it now (its version is the one the next Save expects).
    const PromptWorkspace& workspace() const { return m_workspace; }
    // The file's full path, or the "not saved" text.
    QString filePathText() const;

    const QString& name() const { return m_name; }
    void setName(const QString& name);
    const QSet<AgentType>& selectedAgents() const { return m_selectedAgents; }
    bool isAgentSelected(AgentType agent) const { return m_selectedAgents.contains(agent); }
    void setAgentSelected(AgentType agent, bool selected);

    const std::optional<QString>& errorMessage() const { return m_errorMessage; }
    bool showsConflictActions() const { return m_showsConflictActions; }
    // A reload from disk is under way: nothing can be saved until its result is in.
    bool isReloading() const { return m_reloading; }

    bool canSave() const;
    // True when the name and every binding change were saved: the sheet may close.
    bool save();
    // Saves the edited name as a new workspace (the bindings are not copied); true on success.
    bool saveAsNewWorkspace();
    // Starts the store's reload and takes the workspace's values once its result is applied;
    // reloadFinished() follows.
    void reloadDiskVersion();

signals:
    void changed();
    void reloadFinished();

private:
    QSet<AgentType> boundAgents(const QString& workspaceID) const;
    const PromptWorkspace* storedWorkspace() const;
    void waitForReload();
    void takeReloadedValues();
    QString storeMessage(const QString& fallbackKey) const;

    PromptStore& m_store;
    PromptWorkspace m_workspace;
    QString m_name;
    QSet<AgentType> m_selectedAgents;
    std::optional<QString> m_errorMessage;
    bool m_showsConflictActions = false;
    bool m_reloading = false;
    QPointer<QFutureWatcher<void>> m_reloadWatcher;
    QMetaObject::Connection m_reloadingConnection;
};
