#pragma once

#include "model/AgentContext.h"
#include "panel/header/WorkspacePickerSpec.h"

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>

class BrandButton;
class PromptStore;
class QLabel;

class QPushButton;

// The row under the search field that says which workspace the panel shows and lets the user
// change it: a hint when no workspace exists, the bind / create / settings actions for a
// recognised agent with nothing bound, else a caption and a menu of the bound workspaces.
// Keeps no state; `refresh` redraws from the store. Its menus are children of the panel's
// window, and an open menu is reported so the panel stays open under it.
class WorkspacePickerView final : public QWidget {
    Q_OBJECT
public:
    explicit WorkspacePickerView(PromptStore& store, QWidget* parent = nullptr);
    ~WorkspacePickerView() override;

    void refresh(const AgentContext& context);

    std::function<void(const QString& workspaceID)> onBindWorkspace;
    std::function<void(const QString& workspaceID)> onSelectWorkspace;
    std::function<void()> onCreateAndBindWorkspace;
    std::function<void()> onOpenSettings;
    std::function<void(bool open)> onPopupOpenChanged;

    const WorkspacePickerSpec& spec() const { return m_spec; }
    QMenu* menu() const { return m_menu; }

private:
    void openMenu(QWidget* anchor);

    PromptStore& m_store;
    AgentContext m_context = AgentContext::unknown();
    WorkspacePickerSpec m_spec;
    QLabel* m_hint = nullptr;
    QWidget* m_unboundRow = nullptr;
    BrandButton* m_bindButton = nullptr;
    BrandButton* m_createButton = nullptr;
    BrandButton* m_settingsButton = nullptr;
    QWidget* m_boundRow = nullptr;
    QLabel* m_caption = nullptr;
    QPushButton* m_menuButton = nullptr;
    QPointer<QMenu> m_menu;
};
