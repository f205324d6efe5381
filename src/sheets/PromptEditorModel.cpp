#include "sheets/PromptEditorModel.h"

#include "model/TextPrimitives.h"
#include "store/PromptStore.h"

#include <QSet>
#include <QUuid>

PromptEditorModel::PromptEditorModel(PromptStore& store, AgentContext context, QString targetWorkspaceID,
                                     std::optional<PromptItem> editingPrompt, QObject* parent)
    : QObject(parent), m_store(store), m_context(std::move(context)), m_editingPrompt(std::move(editingPrompt)),
      m_selectedTargetWorkspaceID(std::move(targetWorkspaceID)) {
    if (m_editingPrompt) {
        m_title = m_editingPrompt->title.toString();
        m_group = m_editingPrompt->group;
        m_text = m_editingPrompt->text.toString();
        m_shortcut = m_editingPrompt->shortcut;
        m_selectedAgent = m_editingPrompt->agent.value_or(AgentType::unknown);
    }
    connect(&m_store, &PromptStore::contentChanged, this, [this] {
        emit workspacesChanged();
        emit changed();
    });
}

bool PromptEditorModel::canCreatePrompt(const QList<PromptWorkspace>& workspaces) {
    return std::any_of(workspaces.cbegin(), workspaces.cend(), [](const PromptWorkspace& workspace) {
        return workspace.source == PromptWorkspaceSource::userWorkspace;
    });
}

QList<PromptEditorModel::WorkspaceChoice> PromptEditorModel::workspaceChoices() const {
    QList<WorkspaceChoice> choices;
    for (const PromptWorkspace& workspace : m_store.workspaces()) {
        if (workspace.source == PromptWorkspaceSource::userWorkspace) {
            choices.append({workspace.id, workspace.name});
        }
    }
    return choices;
}

QStringList PromptEditorModel::availableGroups() const {
    QStringList groups;
    for (const PromptWorkspace& workspace : m_store.workspaces()) {
        if (workspace.id != m_selectedTargetWorkspaceID) {
            continue;
        }
        QSet<QString> seen;
        for (const PromptItem& prompt : workspace.prompts) {
            const QString name = Text::trimWhitespaceAndNewlines(prompt.group);
            if (!name.isEmpty() && !seen.contains(name)) {
                seen.insert(name);
                groups.append(name);
            }
        }
        break;
    }
    return groups;
}

void PromptEditorModel::setSelectedTargetWorkspaceID(const QString& id) {
    // An edited prompt stays in its workspace.
    if (isEditing() || id == m_selectedTargetWorkspaceID) {
        return;
    }
    m_selectedTargetWorkspaceID = id;
    emit changed();
}

void PromptEditorModel::setSelectedAgent(AgentType agent) {
    if (agent != m_selectedAgent) {
        m_selectedAgent = agent;
        emit changed();
    }
}

void PromptEditorModel::setTitle(const QString& title) {
    if (title != m_title) {
        m_title = title;
        emit changed();
    }
}

void PromptEditorModel::setGroup(const QString& group) {
    if (group != m_group) {
        m_group = group;
        emit changed();
    }
}

void PromptEditorModel::setText(const QString& text) {
    if (text != m_text) {
        m_text = text;
        emit changed();
    }
}

void PromptEditorModel::setShortcut(const std::optional<PromptKeyboardShortcut>& shortcut) {
    if (shortcut != m_shortcut) {
        m_shortcut = shortcut;
        emit changed();
    }
}

bool PromptEditorModel::canSave() const {
    return !m_selectedTargetWorkspaceID.isEmpty() && !Text::trimWhitespaceAndNewlines(m_title).isEmpty() &&
           !Text::trimWhitespaceAndNewlines(m_text).isEmpty();
}

PromptItem PromptEditorModel::makePrompt() const {
    PromptItem prompt;
    prompt.id = m_editingPrompt ? m_editingPrompt->id : QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    prompt.title = Text::trimWhitespaceAndNewlines(m_title);
    prompt.group = Text::trimWhitespaceAndNewlines(m_group);
    if (prompt.group.isEmpty()) {
        // The text in the interface language is stored, not the key.
        prompt.group = L10n::string(L10N("prompt.default.group"), L10n::currentLanguage());
    }
    if (m_selectedAgent != AgentType::unknown) {
        prompt.agent = m_selectedAgent;
    }
    prompt.text = Text::trimWhitespaceAndNewlines(m_text);
    prompt.tags = m_editingPrompt ? m_editingPrompt->tags : QStringList();
    prompt.isPinned = m_editingPrompt ? m_editingPrompt->isPinned : false;
    prompt.shortcut = m_shortcut;
    return prompt;
}

bool PromptEditorModel::save() {
    if (!canSave()) {
        return false;
    }
    const PromptItem prompt = makePrompt();
    const bool saved = m_editingPrompt ? m_store.updatePrompt(prompt, m_selectedTargetWorkspaceID)
                                       : m_store.addPrompt(prompt, m_selectedTargetWorkspaceID);
    if (saved) {
        m_errorMessage.reset();
    } else {
        // The store's own message may be hidden behind the sheet: show it here as well.
        m_errorMessage = m_store.lastErrorMessage().value_or(m_store.statusMessage());
    }
    emit changed();
    return saved;
}
