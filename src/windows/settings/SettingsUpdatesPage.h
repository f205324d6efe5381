#pragma once

#include "windows/settings/SettingsDependencies.h"

#include <QWidget>

class BrandButton;
class QLabel;
class QPushButton;
class SettingsSwitch;

// The Updates page: the automatic-update switch, the check for updates, a line on the current
// update state and the product's download, support and privacy pages. Without a configured
// updater the switch stays off and locked and the check opens the download page.
class SettingsUpdatesPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsUpdatesPage(const SettingsDependencies& dependencies, QWidget* parent = nullptr);

    void render();

    SettingsSwitch* automaticSwitch() const { return m_automatic; }
    BrandButton* checkButton() const { return m_check; }
    QLabel* helpLine() const { return m_help; }
    QList<QPushButton*> links() const { return m_links; }

private:
    SettingsDependencies m_deps;
    SettingsSwitch* m_automatic = nullptr;
    BrandButton* m_check = nullptr;
    QLabel* m_help = nullptr;
    QList<QPushButton*> m_links;
};
