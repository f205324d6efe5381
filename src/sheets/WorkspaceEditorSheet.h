#pragma once

#include "sheets/SheetLook.h"
#include "sheets/WorkspaceCreateModel.h"

#include <QHash>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SheetHost;

// The quick workspace editor: creates a user workspace from a name and binds the chosen agents
// to it at once. Create dismisses the sheet only when the workspace exists and every binding was
// stored; otherwise it stays open with the store's message, and Create again retries the failed
// bindings against the workspace already made. Cancel and Escape dismiss it through the host.
class WorkspaceEditorSheet : public QWidget {
    Q_OBJECT
public:
    // `bindingContext`: the context the sheet was opened for (its agent starts ticked), or none.
    // The store and the host must outlive the sheet.
    WorkspaceEditorSheet(PromptStore& store, SheetHost& host, std::optional<AgentContext> bindingContext,
                         QWidget* parent = nullptr);

    WorkspaceCreateModel& model() { return m_model; }
    // Runs Create as the button does.
    void submit();

    // The card's fixed size, so that a host centres it as it is.
    QSize sizeHint() const override { return minimumSize(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish();
    void retranslate();
    void refresh();

    WorkspaceCreateModel m_model;
    SheetHost& m_host;
    bool m_finished = false;
    SheetLook::TextSize m_textSize;
    QLabel* m_heading = nullptr;
    QLineEdit* m_nameField = nullptr;
    QLabel* m_bindCaption = nullptr;
    QHash<AgentType, QCheckBox*> m_agentToggles;
    QWidget* m_agentList = nullptr;
    QLabel* m_errorLabel = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_createButton = nullptr;
};
