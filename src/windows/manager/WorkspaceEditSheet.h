#pragma once

#include "widgets/EditingSheetBase.h"
#include "windows/manager/WorkspaceEditModel.h"

class QLineEdit;

// The sheet that renames one user workspace and chooses the agents bound to it. A Save that
// loses against a change on disk stays open with the store's message and offers "Reload from
// disk" and "Save as new workspace". The sheet dismisses itself through the host after a
// successful Save or Save as new, or on Cancel and Escape.
class WorkspaceEditSheet : public EditingSheetBase {
    Q_OBJECT
public:
    // The store and the host must outlive the sheet.
    WorkspaceEditSheet(PromptStore& store, SheetHost& host, PromptWorkspace workspace, QWidget* parent = nullptr);

    WorkspaceEditModel& model() { return m_model; }

protected:
    // Save.
    bool commit() override { return m_model.save(); }

private:
    void retranslate();
    void refresh();

    WorkspaceEditModel m_model;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_nameField = nullptr;
    QLabel* m_fileCaption = nullptr;
    QLabel* m_filePath = nullptr;
    QLabel* m_bindCaption = nullptr;
    QHash<AgentType, QCheckBox*> m_agentToggles;
    QLabel* m_errorLabel = nullptr;
    QWidget* m_conflictActions = nullptr;
    QPushButton* m_reloadButton = nullptr;
    QPushButton* m_saveAsNewButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_saveButton = nullptr;
};
