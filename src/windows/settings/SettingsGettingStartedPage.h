#pragma once

#include "windows/settings/SettingsDependencies.h"

#include <QWidget>

class BrandButton;
class QLabel;

// The Getting started page, the one a new settings window opens on: the welcome guide again, and
// either the dismissed checklist again or, while the panel still shows it, where to find it.
class SettingsGettingStartedPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsGettingStartedPage(const SettingsDependencies& dependencies, QWidget* parent = nullptr);

    void render();

    BrandButton* welcomeButton() const { return m_welcome; }
    BrandButton* reopenChecklistButton() const { return m_reopenChecklist; }
    QLabel* checklistHelp() const { return m_checklistHelp; }
    BrandButton* openPanelButton() const { return m_openPanel; }

private:
    SettingsDependencies m_deps;
    BrandButton* m_welcome = nullptr;
    BrandButton* m_reopenChecklist = nullptr;
    QLabel* m_checklistHelp = nullptr;
    BrandButton* m_openPanel = nullptr;
};
