#include "windows/manager/WorkspaceEditModel.h"

#include "context/ContextBindingStore.h"
#include "model/TextPrimitives.h"
#include "sheets/AgentChoices.h"
#include "store/PromptStore.h"

#include <QFutureWatcher>

WorkspaceEditModel::WorkspaceEditModel(PromptStore& store, PromptWorkspace workspace, QObject* parent)
    : QObject(parent), m_store(store), m_workspace(std::move(workspace)) {
    m_name = m_workspace.name;
    m_selectedAgents = boundAgents(m_workspace.id);
}

WorkspaceEditModel::~WorkspaceEditModel() {
    disconnect(m_reloadingConnection);
}

QList<AgentType> WorkspaceEditModel::agentChoices() const {
    return AgentChoices::bindable(L10n::currentLanguage());
}

QString WorkspaceEditModel::filePathText() const {
    return m_workspace.fileURL ? *m_workspace.fileURL
                               : L10n::string(L10N("workspace.not.saved"), L10n::currentLanguage());
}

QSet<AgentType> WorkspaceEditModel::boundAgents(const QString& workspaceID) const {
    QSet<AgentType> bound;
    for (const AgentType agent : AgentChoices::bindable(AppLanguage::english)) {
        if (m_store.bindingStore().agentWorkspaceBinding(agent, workspaceID)) {
            bound.insert(agent);
        }
    }
    return bound;
}

const PromptWorkspace* WorkspaceEditModel::storedWorkspace() const {
    for (const PromptWorkspace& candidate : m_store.workspaces()) {
        if (candidate.id == m_workspace.id) {
            return &candidate;
        }
    }
    return nullptr;
}

QString WorkspaceEditModel::storeMessage(const QString& fallbackKey) const {
    return m_store.lastErrorMessage().value_or(L10n::string(fallbackKey, L10n::currentLanguage()));
}

void WorkspaceEditModel::setName(const QString& name) {
    if (name != m_name) {
        m_name = name;
        emit changed();
    }
}

void WorkspaceEditModel::setAgentSelected(AgentType agent, bool selected) {
    const bool changedNow = selected ? !m_selectedAgents.contains(agent) : m_selectedAgents.remove(agent);
    if (selected) {
        m_selectedAgents.insert(agent);
    }
    if (changedNow) {
        emit changed();
    }
}

bool WorkspaceEditModel::canSave() const {
    return !m_reloading && !Text::trimWhitespaceAndNewlines(m_name).isEmpty();
}

bool WorkspaceEditModel::save() {
    if (!canSave()) {
        return false;
    }
    const bool saved = m_store.updateWorkspace(m_workspace.id, m_name, m_workspace.matchPaths.join(QLatin1Char('\n')),
                                               m_workspace.fileVersion);
    if (!saved) {
        m_errorMessage = storeMessage(L10N("status.save.failed"));
        m_showsConflictActions = m_store.lastWorkspaceSaveIssue().has_value();
        emit changed();
        return false;
    }
    // The file now holds what was just written: that is the version a later Save expects.
    if (const PromptWorkspace* written = storedWorkspace()) {
        m_workspace.name = written->name;
        m_workspace.matchPaths = written->matchPaths;
        m_workspace.fileURL = written->fileURL;
        m_workspace.fileVersion = written->fileVersion;
    }

    bool allSaved = true;
    for (const AgentType agent : AgentChoices::bindable(AppLanguage::english)) {
        bool stepSaved = true;
        if (m_selectedAgents.contains(agent)) {
            stepSaved = m_store.bindAgent(agent, m_workspace.id, false);
        } else if (const auto binding = m_store.bindingStore().agentWorkspaceBinding(agent, m_workspace.id)) {
            stepSaved = m_store.deleteBinding(binding->id);
        }
        allSaved = allSaved && stepSaved;
    }
    if (!allSaved) {
        m_errorMessage = storeMessage(L10N("status.save.binding.failed"));
        emit changed();
        return false;
    }
    m_errorMessage.reset();
    emit changed();
    return true;
}

bool WorkspaceEditModel::saveAsNewWorkspace() {
    if (m_reloading) {
        return false;
    }
    const std::optional<PromptWorkspace> copy =
        m_store.saveWorkspaceAsNewCopy(m_workspace.id, m_name, m_workspace.matchPaths.join(QLatin1Char('\n')));
    if (!copy) {
        m_errorMessage = storeMessage(L10N("status.create.workspace.failed"));
        emit changed();
        return false;
    }
    m_errorMessage.reset();
    emit changed();
    return true;
}

void WorkspaceEditModel::reloadDiskVersion() {
    if (m_reloading) {
        return;
    }
    m_reloading = true;
    emit changed();
    auto* watcher = new QFutureWatcher<void>(this);
    m_reloadWatcher = watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        waitForReload();
    });
    watcher->setFuture(m_store.reloadAndWait());
}

void WorkspaceEditModel::waitForReload() {
    // Our reload's result was dropped for a later one that is still under way: what it applies
    // is the disk's state, so wait for it rather than copy the state of this moment.
    if (m_store.isReloading()) {
        disconnect(m_reloadingConnection);
        m_reloadingConnection = connect(&m_store, &PromptStore::reloadingChanged, this, [this] {
            if (!m_store.isReloading()) {
                disconnect(m_reloadingConnection);
                takeReloadedValues();
            }
        });
        return;
    }
    takeReloadedValues();
}

void WorkspaceEditModel::takeReloadedValues() {
    m_reloading = false;
    const PromptWorkspace* reloaded = storedWorkspace();
    if (reloaded == nullptr) {
        m_errorMessage = L10n::string(L10N("error.workspace.save.deleted"), L10n::currentLanguage(), filePathText());
    } else {
        m_workspace = *reloaded;
        m_name = reloaded->name;
        m_selectedAgents = boundAgents(reloaded->id);
        m_errorMessage.reset();
        m_showsConflictActions = false;
    }
    emit changed();
    emit reloadFinished();
}
