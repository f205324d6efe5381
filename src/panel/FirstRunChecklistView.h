#pragma once

#include "model/PromptModels.h"
#include "panel/FirstRunChecklistCardModel.h"
#include "store/FirstRunChecklistSnapshot.h"
#include "widgets/FirstRunRoundedFrame.h"

#include <QList>
#include <QString>

#include <functional>

class AppLanguageStore;
class QLabel;
class QMenu;
class QPushButton;

// The first-run checklist card: a head with a done button and one row per step. A step that is
// not done offers its control (create a workspace, or a menu of workspaces to bind the current
// app to); a done step shows a tick only. The card stays, all ticked, until it is dismissed.
class FirstRunChecklistView : public FirstRunRoundedFrame {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> onOpenWorkspaceManager;
        std::function<void(const QString& workspaceID)> onBindWorkspace;
        std::function<void()> onDismiss;
    };

    // `languageStore` may be null: the texts then follow L10n::currentLanguage() when redrawn.
    FirstRunChecklistView(const AppLanguageStore* languageStore, Actions actions, QWidget* parent = nullptr);

    // Redraws the rows for a fresh snapshot and the store's workspaces.
    void setState(const FirstRunChecklistSnapshot& snapshot, const QList<PromptWorkspace>& workspaces);
    const FirstRunChecklistCardModel& model() const { return m_model; }

protected:
    void changeEvent(QEvent* event) override;

private:
    struct RowWidgets {
        QLabel* icon = nullptr;
        QLabel* title = nullptr;
        QPushButton* control = nullptr; // none for the copy step
    };

    void render();
    void rebuildBindMenu();
    void applyFonts();
    AppLanguage language() const;

    const AppLanguageStore* m_languageStore;
    Actions m_actions;
    FirstRunChecklistCardModel m_model;
    QLabel* m_title = nullptr;
    QPushButton* m_doneButton = nullptr;
    QList<RowWidgets> m_rows; // in the order of the model's rows
    QMenu* m_bindMenu = nullptr;
};
