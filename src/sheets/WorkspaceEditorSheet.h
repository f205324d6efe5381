#pragma once

#include "sheets/WorkspaceCreateModel.h"
#include "widgets/EditingSheetBase.h"

class QLineEdit;

// The quick workspace editor: creates a user workspace from a name and binds the chosen agents
// to it at once. Create dismisses the sheet only when the workspace exists and every binding was
// stored; otherwise it stays open with the store's message, and Create again retries the failed
// bindings against the workspace already made. Cancel and Escape dismiss it through the host.
class WorkspaceEditorSheet : public EditingSheetBase {
    Q_OBJECT
public:
    // `bindingContext`: the context the sheet was opened for (its agent starts ticked), or none.
    // The store and the host must outlive the sheet.
    WorkspaceEditorSheet(PromptStore& store, SheetHost& host, std::optional<AgentContext> bindingContext,
                         QWidget* parent = nullptr);

    WorkspaceCreateModel& model() { return m_model; }

protected:
    // Create.
    bool commit() override { return m_model.create(); }

private:
    void retranslate();
    void refresh();

    WorkspaceCreateModel m_model;
    QLineEdit* m_nameField = nullptr;
    QLabel* m_bindCaption = nullptr;
    QHash<AgentType, QCheckBox*> m_agentToggles;
    QWidget* m_agentList = nullptr;
    QLabel* m_errorLabel = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_createButton = nullptr;
};
