#pragma once

#include "model/environment/UserDefaults.h"
#include "model/KeyboardShortcutModels.h"
#include "model/Localization.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>

// The shortcut settings and the copy-feedback and hover settings, kept in user defaults.
// Every setter publishes the new value, then persists it. The hot-key status is not persisted.
class ShortcutSettingsStore : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("OrrisHollows.togglePanelShortcut.v1");
    static inline const QString promptTileShortcutKey = QStringLiteral("OrrisHollows.promptTileShortcut.v1");
    static inline const QString hoverOpenEnabledKey = QStringLiteral("OrrisHollows.hoverOpenEnabled.v1");
    static inline const QString copyHapticsEnabledKey = QStringLiteral("OrrisHollows.copyHapticsEnabled.v1");
    static inline const QString copySoundNameKey = QStringLiteral("OrrisHollows.copySoundName.v1");
    static inline const QString defaultCopySoundName = QStringLiteral("Glass");

    // A choice of the copy-sound picker: a title that begins with "copy." is a catalog key, any
    // other title is a sound name shown as it is. The empty name means no sound.
    struct CopySoundOption {
        QString title;
        QString soundName;
    };
    // "Off" first, then the sounds the platform maps to theme events.
    static const QList<CopySoundOption>& copySoundOptions();

    ShortcutSettingsStore(std::shared_ptr<UserDefaults> defaults, std::function<AppLanguage()> languageProvider,
                          QObject* parent = nullptr);

    PromptKeyboardShortcut togglePanelShortcut() const { return m_togglePanelShortcut; }
    PromptTileShortcut promptTileShortcut() const { return m_promptTileShortcut; }
    HotKeyStatus hotKeyStatus() const { return m_hotKeyStatus; }
    bool hoverOpenEnabled() const { return m_hoverOpenEnabled; }
    bool copyHapticsEnabled() const { return m_copyHapticsEnabled; }
    QString copySoundName() const { return m_copySoundName; }

    void setTogglePanelShortcut(const PromptKeyboardShortcut& shortcut);
    void setPromptTileShortcut(const PromptTileShortcut& shortcut);
    void setHotKeyStatus(const HotKeyStatus& status);
    void setHoverOpenEnabled(bool enabled);
    void setCopyHapticsEnabled(bool enabled);
    void setCopySoundName(const QString& name);

    // Asks the shell to register a new hot key: a shortcut without command, option or control
    // is refused with the invalid status and nothing is sent.
    void requestTogglePanelShortcut(const PromptKeyboardShortcut& shortcut);

    QString hotKeyStatusMessage() const;

signals:
    void togglePanelShortcutChanged(const PromptKeyboardShortcut& shortcut);
    void promptTileShortcutChanged(const PromptTileShortcut& shortcut);
    void hotKeyStatusChanged(const HotKeyStatus& status);
    void hoverOpenEnabledChanged(bool enabled);
    void copyHapticsEnabledChanged(bool enabled);
    void copySoundNameChanged(const QString& name);
    // A hot key the user asked for; delivered synchronously to the shell.
    void shortcutRequested(const PromptKeyboardShortcut& shortcut);

private:
    void save(const PromptKeyboardShortcut& shortcut);
    void savePromptTileShortcut(const PromptTileShortcut& shortcut);

    PromptKeyboardShortcut m_togglePanelShortcut = PromptKeyboardShortcut::defaultTogglePanel();
    PromptTileShortcut m_promptTileShortcut = PromptTileShortcut::defaultShortcut();
    HotKeyStatus m_hotKeyStatus;
    bool m_hoverOpenEnabled = false;
    bool m_copyHapticsEnabled = true;
    QString m_copySoundName = defaultCopySoundName;
    std::shared_ptr<UserDefaults> m_defaults;
    std::function<AppLanguage()> m_languageProvider;
};
