#pragma once

#include "windows/settings/SettingsDependencies.h"

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class BrandButton;
class SettingsSwitch;

// The General page: the interface language, the text size, hover opening, the copy feedback and
// starting at login. Each control writes straight to the store or controller that owns the
// setting; the stores drive the controls back without the controls writing again.
class SettingsGeneralPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsGeneralPage(const SettingsDependencies& dependencies, QWidget* parent = nullptr);

    // Reads every setting into its control, and the texts that depend on them.
    void render();

    QComboBox* languagePicker() const { return m_language; }
    QButtonGroup* textSizeButtons() const { return m_textSize; }
    SettingsSwitch* hoverSwitch() const { return m_hover; }
    SettingsSwitch* hapticsSwitch() const { return m_haptics; }
    QComboBox* soundPicker() const { return m_sound; }
    SettingsSwitch* loginSwitch() const { return m_login; }
    QLabel* startupHelp() const { return m_startupHelp; }
    BrandButton* startupSettingsButton() const { return m_startupSettings; }

private:
    SettingsDependencies m_deps;
    QComboBox* m_language = nullptr;
    QButtonGroup* m_textSize = nullptr;
    SettingsSwitch* m_hover = nullptr;
    SettingsSwitch* m_haptics = nullptr;
    QComboBox* m_sound = nullptr;
    SettingsSwitch* m_login = nullptr;
    QLabel* m_startupHelp = nullptr;
    BrandButton* m_startupSettings = nullptr;
};
