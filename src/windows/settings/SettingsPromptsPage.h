#pragma once

#include "windows/settings/SettingsDependencies.h"

#include <QWidget>

class BrandButton;
class QComboBox;
class QLabel;
class QMenu;

// The Prompts page: a way into the workspace manager, the sort order, clearing the usage records
// (after a confirmation) and the remembered variable values, and installing a built-in pack of
// the interface language.
class SettingsPromptsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPromptsPage(const SettingsDependencies& dependencies, QWidget* parent = nullptr);

    void render();

    QComboBox* sortPicker() const { return m_sort; }
    BrandButton* clearUsageButton() const { return m_clearUsage; }
    // The store's error after a clear that failed; hidden otherwise.
    QLabel* clearUsageError() const { return m_clearUsageError; }
    BrandButton* clearValuesButton() const { return m_clearValues; }
    BrandButton* packsButton() const { return m_packs; }
    // Rebuilt from the interface language each time it opens.
    QMenu* packsMenu() const { return m_packsMenu; }
    void rebuildPacksMenu();

    // Asks, then clears the usage records; the answer comes from the confirmer seam.
    void clearUsage();

private:
    SettingsDependencies m_deps;
    QComboBox* m_sort = nullptr;
    BrandButton* m_clearUsage = nullptr;
    QLabel* m_clearUsageError = nullptr;
    BrandButton* m_clearValues = nullptr;
    BrandButton* m_packs = nullptr;
    QMenu* m_packsMenu = nullptr;
};
