#pragma once

#include "sheets/SheetLook.h"
#include "windows/WorkspaceEditModel.h"

#include <QHash>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SheetHost;

// The sheet that renames one user workspace and chooses the agents bound to it. A Save that
// loses against a change on disk stays open with the store's message and offers "Reload from
// disk" and "Save as new workspace". The sheet dismisses itself through the host after a
// successful Save or Save as new, or on Cancel and Escape.
class WorkspaceEditSheet : public QWidget {
    Q_OBJECT
public:
    // The store and the host must outlive the sheet.
    WorkspaceEditSheet(PromptStore& store, SheetHost& host, PromptWorkspace workspace, QWidget* parent = nullptr);

    WorkspaceEditModel& model() { return m_model; }
    // Runs Save as the button does.
    void submit();

    // The card's fixed size, so that a host centres it as it is.
    QSize sizeHint() const override { return minimumSize(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish();
    void retranslate();
    void refresh();

    WorkspaceEditModel m_model;
    SheetHost& m_host;
    bool m_finished = false;
    SheetLook::TextSize m_textSize;
    QLabel* m_heading = nullptr;
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
