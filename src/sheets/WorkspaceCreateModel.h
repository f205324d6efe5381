#pragma once

#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

class PromptStore;

// The form of the quick workspace editor: a name and the agents to bind. Create makes the
// workspace, binds every chosen agent to it and, when the detected agent is among them,
// remembers the workspace as that agent's choice.
//
// The created workspace is remembered: when a binding failed, the form stays open and a retry
// binds only the chosen agents not yet bound (and remembers the choice again) against that same
// workspace, instead of creating a second one. Main thread.
class WorkspaceCreateModel : public QObject {
    Q_OBJECT
public:
    WorkspaceCreateModel(PromptStore& store, std::optional<AgentContext> bindingContext, QObject* parent = nullptr);

    // The bindable agents, sorted for the interface language.
    QList<AgentType> agentChoices() const;

    const QString& name() const { return m_name; }
    void setName(const QString& name);
    const QSet<AgentType>& selectedAgents() const { return m_selectedAgents; }
    bool isAgentSelected(AgentType agent) const { return m_selectedAgents.contains(agent); }
    void setAgentSelected(AgentType agent, bool selected);

    // The trimmed name is not empty.
    bool canCreate() const;
    // True when the workspace exists and every chosen agent is bound: the sheet may close.
    bool create();

    // The workspace made by an earlier attempt whose bindings did not all succeed.
    const std::optional<PromptWorkspace>& createdWorkspace() const { return m_created; }
    // The outcome of the last failed attempt; none after a success.
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }

signals:
    void changed();

private:
    void fail();

    PromptStore& m_store;
    std::optional<AgentContext> m_bindingContext;
    QString m_name;
    QSet<AgentType> m_selectedAgents;
    std::optional<PromptWorkspace> m_created;
    QSet<AgentType> m_boundAgents;
    std::optional<QString> m_errorMessage;
};
