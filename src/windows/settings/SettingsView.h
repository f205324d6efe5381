#pragma once

#include "windows/settings/SettingsDependencies.h"
#include "windows/settings/SettingsModel.h"

#include <QList>
#include <QSize>
#include <QWidget>

class QListWidget;
class QScrollArea;
class QStackedWidget;
class SettingsGeneralPage;
class SettingsGettingStartedPage;
class SettingsPromptsPage;
class SettingsShortcutsPage;
class SettingsUpdatesPage;

// The whole content of the settings window: a sidebar of the categories and, beside it, the
// sections of the selected one. It opens on Getting started and keeps its category for as long
// as it lives; the window that hosts it hides instead of closing, so a reopened window shows
// the category last chosen. Each time it comes on screen the updater's and then the login
// item's state are read again. It applies the interface text size and language to itself.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize contentSize{760, 640};

    explicit SettingsView(const SettingsDependencies& dependencies, QWidget* parent = nullptr);

    SettingsCategory selectedCategory() const { return m_selected; }
    // As a click in the sidebar does.
    void selectCategory(SettingsCategory category);

    QListWidget* sidebar() const { return m_sidebar; }
    // The scrolling page of a category.
    QScrollArea* pageArea(SettingsCategory category) const;
    SettingsGettingStartedPage* gettingStartedPage() const { return m_gettingStarted; }
    SettingsGeneralPage* generalPage() const { return m_general; }
    SettingsPromptsPage* promptsPage() const { return m_prompts; }
    SettingsShortcutsPage* shortcutsPage() const { return m_shortcuts; }
    SettingsUpdatesPage* updatesPage() const { return m_updates; }
    // The section frames of the page shown now, top to bottom.
    QList<QWidget*> visibleSections() const;

    // Texts of the whole window in the interface language now.
    void retranslate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void renderSidebar();
    // The narrowest sidebar, within its limits, that shows every title whole.
    void fitSidebar();

    SettingsDependencies m_deps;
    SettingsCategory m_selected = SettingsCategory::gettingStarted;
    QWidget* m_sidebarPane = nullptr;
    QListWidget* m_sidebar = nullptr;
    QStackedWidget* m_stack = nullptr;
    QList<QScrollArea*> m_areas;
    SettingsGettingStartedPage* m_gettingStarted = nullptr;
    SettingsGeneralPage* m_general = nullptr;
    SettingsPromptsPage* m_prompts = nullptr;
    SettingsShortcutsPage* m_shortcuts = nullptr;
    SettingsUpdatesPage* m_updates = nullptr;
};
