#pragma once

#include "sheets/PromptEditorModel.h"
#include "widgets/EditingSheetBase.h"

class AppLanguageStore;
class HotKeySuspending;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class ShortcutRecorderButton;

// The sheet that creates a prompt in a user workspace or edits one: workspace, agent, title,
// group, shortcut and body. Save hands the prompt to the store and dismisses the sheet only on
// success; a failure stays open with the form as typed and the store's message inside the sheet.
// Cancel and Escape dismiss it through the host.
class PromptEditorSheet : public EditingSheetBase {
    Q_OBJECT
public:
    // `editingPrompt` none: a new prompt. `suspending` (may be null) is released while the
    // shortcut recorder listens. The store, the language store, the host and `suspending` must
    // outlive the sheet.
    PromptEditorSheet(PromptStore& store, AppLanguageStore& languageStore, SheetHost& host, AgentContext context,
                      QString targetWorkspaceID, std::optional<PromptItem> editingPrompt,
                      HotKeySuspending* suspending = nullptr, QWidget* parent = nullptr);

    static bool canCreatePrompt(const QList<PromptWorkspace>& workspaces) {
        return PromptEditorModel::canCreatePrompt(workspaces);
    }

    PromptEditorModel& model() { return m_model; }

protected:
    // Save, when the form allows it.
    bool commit() override { return m_model.canSave() && m_model.save(); }
    // Return in the body is a new line.
    bool returnSubmits() const override;

private:
    void retranslate();
    void refresh();
    void rebuildPickers();
    QLabel* makeCaption(QWidget* parent, const QString& objectName);

    PromptEditorModel m_model;
    QLabel* m_workspaceLabel = nullptr;
    QComboBox* m_workspacePicker = nullptr;
    QLabel* m_agentTitle = nullptr;
    QLabel* m_agentHelp = nullptr;
    QComboBox* m_agentPicker = nullptr;
    QLabel* m_titleTitle = nullptr;
    QLabel* m_titleHelp = nullptr;
    QLineEdit* m_titleField = nullptr;
    QLabel* m_groupTitle = nullptr;
    QLabel* m_groupHelp = nullptr;
    QLineEdit* m_groupField = nullptr;
    QToolButton* m_groupMenuButton = nullptr;
    QLabel* m_shortcutLabel = nullptr;
    ShortcutRecorderButton* m_recorder = nullptr;
    QLabel* m_bodyTitle = nullptr;
    QLabel* m_bodyHelp = nullptr;
    QPlainTextEdit* m_bodyEditor = nullptr;
    QLabel* m_errorLabel = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QStringList m_menuGroups;
    bool m_refreshing = false;
};
