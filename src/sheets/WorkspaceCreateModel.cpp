#include "sheets/WorkspaceCreateModel.h"

#include "model/TextPrimitives.h"
#include "sheets/AgentChoices.h"
#include "store/PromptStore.h"

WorkspaceCreateModel::WorkspaceCreateModel(PromptStore& store, std::optional<AgentContext> bindingContext,
                                           QObject* parent)
    : QObject(parent), m_store(store), m_bindingContext(std::move(bindingContext)) {
    if (m_bindingContext && m_bindingContext->agent != AgentType::unknown) {
        m_selectedAgents.insert(m_bindingContext->agent);
    }
}

QList<AgentType> WorkspaceCreateModel::agentChoices() const {
    return AgentChoices::bindable(L10n::currentLanguage());
}

void WorkspaceCreateModel::setName(const QString& name) {
    if (name != m_name) {
        m_name = name;
        emit changed();
    }
}

void WorkspaceCreateModel::setAgentSelected(AgentType agent, bool selected) {
    const bool changedNow = selected ? !m_selectedAgents.contains(agent) : m_selectedAgents.remove(agent);
    if (selected) {
        m_selectedAgents.insert(agent);
    }
    if (changedNow) {
        emit changed();
    }
}

bool WorkspaceCreateModel::canCreate() const {
    return !Text::trimWhitespaceAndNewlines(m_name).isEmpty();
}

void WorkspaceCreateModel::fail() {
    m_errorMessage = m_store.lastErrorMessage().value_or(m_store.statusMessage());
    emit changed();
}

bool WorkspaceCreateModel::create() {
    if (!canCreate()) {
        return false;
    }
    if (!m_created) {
        // The name goes to the store as typed; the store decides how to use it.
        m_created = m_store.createWorkspace(m_name, QString());
        if (!m_created) {
            fail();
            return false;
        }
        emit changed();
    }

    bool allBound = true;
    // A stable order, so that a retry repeats the same sequence.
    for (const AgentType agent : AgentChoices::bindable(AppLanguage::english)) {
        if (!m_selectedAgents.contains(agent) || m_boundAgents.contains(agent)) {
            continue;
        }
        if (m_store.bindAgent(agent, m_created->id, false)) {
            m_boundAgents.insert(agent);
        } else {
            allBound = false;
        }
    }
    if (m_bindingContext && m_selectedAgents.contains(m_bindingContext->agent)) {
        m_store.selectWorkspace(m_created->id, *m_bindingContext);
    }
    if (!allBound) {
        fail();
        return false;
    }
    m_errorMessage.reset();
    emit changed();
    return true;
}
