#pragma once

#include "windows/settings/SettingsDependencies.h"

#include <QWidget>

class BrandButton;
class QLabel;
class ShortcutRecorderButton;

// The Shortcuts page: the recorder of the panel's global hot key with its registration status,
// the recorder of the modifiers of the numbered tile shortcuts, the defaults of both and a reset
// for each while it differs from its default.
class SettingsShortcutsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsShortcutsPage(const SettingsDependencies& dependencies, QWidget* parent = nullptr);

    void render();

    ShortcutRecorderButton* hotKeyRecorder() const { return m_hotKeyRecorder; }
    ShortcutRecorderButton* tileRecorder() const { return m_tileRecorder; }
    // Hidden while the status has no message.
    QLabel* statusLine() const { return m_status; }
    QWidget* hotKeyDefaultLabel() const { return m_hotKeyUsingDefault; }
    BrandButton* hotKeyResetButton() const { return m_hotKeyReset; }
    QWidget* tileDefaultLabel() const { return m_tileUsingDefault; }
    BrandButton* tileResetButton() const { return m_tileReset; }

private:
    void applyRecorderFonts();

    SettingsDependencies m_deps;
    ShortcutRecorderButton* m_hotKeyRecorder = nullptr;
    ShortcutRecorderButton* m_tileRecorder = nullptr;
    QLabel* m_hotKeyDefault = nullptr;
    QLabel* m_tileDefault = nullptr;
    QLabel* m_status = nullptr;
    QWidget* m_hotKeyUsingDefault = nullptr;
    BrandButton* m_hotKeyReset = nullptr;
    QWidget* m_tileUsingDefault = nullptr;
    BrandButton* m_tileReset = nullptr;
};
