#pragma once

#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class PromptStore;

// The form of the prompt editor: a new prompt (no editing prompt) or an edit of one, saved into a
// user workspace through the store. Filled from its inputs at construction; the sheet shows it.
// Main thread.
class PromptEditorModel : public QObject {
    Q_OBJECT
public:
    struct WorkspaceChoice {
        QString id;
        QString name;
    };

    // `targetWorkspaceID` preselects the workspace (empty: none); the context is kept for the
    // caller and fills no field.
    PromptEditorModel(PromptStore& store, AgentContext context, QString targetWorkspaceID,
                      std::optional<PromptItem> editingPrompt, QObject* parent = nullptr);

    // Whether a prompt can be created at all: some workspace is a user workspace.
    static bool canCreatePrompt(const QList<PromptWorkspace>& workspaces);

    bool isEditing() const { return m_editingPrompt.has_value(); }
    const AgentContext& context() const { return m_context; }

    // The user workspaces of the store, in store order (the picker's choices after "none").
    QList<WorkspaceChoice> workspaceChoices() const;
    // The distinct trimmed group names of the chosen workspace, in order of first appearance.
    QStringList availableGroups() const;

    const QString& selectedTargetWorkspaceID() const { return m_selectedTargetWorkspaceID; }
    AgentType selectedAgent() const { return m_selectedAgent; }
    const QString& title() const { return m_title; }
    const QString& group() const { return m_group; }
    const QString& text() const { return m_text; }
    const std::optional<PromptKeyboardShortcut>& shortcut() const { return m_shortcut; }

    void setSelectedTargetWorkspaceID(const QString& id);
    void setSelectedAgent(AgentType agent);
    void setTitle(const QString& title);
    void setGroup(const QString& group);
    void setText(const QString& text);
    void setShortcut(const std::optional<PromptKeyboardShortcut>& shortcut);

    // A workspace is chosen and the trimmed title and body are not empty.
    bool canSave() const;
    // The prompt the form would save now (a new id for each new prompt).
    PromptItem makePrompt() const;
    // Saves through the store. On failure the form stays as typed and errorMessage() holds the
    // store's last error, else its status.
    bool save();
    // The outcome of the last failed save; none after a success or before any save.
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }

signals:
    // A field, the outcome or the store's workspaces changed.
    void changed();
    // The store's workspaces changed (the picker's choices and the groups may differ).
    void workspacesChanged();

private:
    PromptStore& m_store;
    AgentContext m_context;
    std::optional<PromptItem> m_editingPrompt;
    QString m_selectedTargetWorkspaceID;
    AgentType m_selectedAgent = AgentType::unknown;
    QString m_title;
    QString m_group;
    QString m_text;
    std::optional<PromptKeyboardShortcut> m_shortcut;
    std::optional<QString> m_errorMessage;
};
