#include "model/environment/ShortcutSettingsStore.h"

const QList<ShortcutSettingsStore::CopySoundOption>& ShortcutSettingsStore::copySoundOptions() {
    static const QList<CopySoundOption> options = {
        {QStringLiteral("copy.sound.off"), QString()},    {QStringLiteral("Glass"), QStringLiteral("Glass")},
        {QStringLiteral("Ping"), QStringLiteral("Ping")}, {QStringLiteral("Pop"), QStringLiteral("Pop")},
        {QStringLiteral("Tink"), QStringLiteral("Tink")}, {QStringLiteral("Hero"), QStringLiteral("Hero")},
    };
    return options;
}

ShortcutSettingsStore::ShortcutSettingsStore(std::shared_ptr<UserDefaults> defaults,
                                             std::function<AppLanguage()> languageProvider, QObject* parent)
    : QObject(parent), m_defaults(std::move(defaults)), m_languageProvider(std::move(languageProvider)) {
    bool migrated = false;
    if (const auto data = m_defaults->dataValue(key)) {
        if (const auto stored = PromptKeyboardShortcut::fromJson(*data); stored && stored->hasPrimaryModifier()) {
            if (PromptKeyboardShortcut::replacedDefaultTogglePanels().contains(*stored)) {
                migrated = true;
            } else {
                m_togglePanelShortcut = *stored;
            }
        }
    }
    if (const auto data = m_defaults->dataValue(promptTileShortcutKey)) {
        if (const auto stored = PromptTileShortcut::fromJson(*data);
            stored && (stored->modifiersRawValue & ModifierFlags::primarySet) != 0) {
            m_promptTileShortcut = *stored;
        }
    }
    m_hoverOpenEnabled = m_defaults->boolValue(hoverOpenEnabledKey).value_or(false);
    m_copyHapticsEnabled = m_defaults->boolValue(copyHapticsEnabledKey).value_or(true);
    m_copySoundName = m_defaults->stringValue(copySoundNameKey).value_or(defaultCopySoundName);
    if (migrated) {
        save(m_togglePanelShortcut);
    }
}

void ShortcutSettingsStore::setTogglePanelShortcut(const PromptKeyboardShortcut& shortcut) {
    m_togglePanelShortcut = shortcut;
    emit togglePanelShortcutChanged(shortcut);
    save(shortcut);
}

void ShortcutSettingsStore::setPromptTileShortcut(const PromptTileShortcut& shortcut) {
    m_promptTileShortcut = shortcut;
    emit promptTileShortcutChanged(shortcut);
    savePromptTileShortcut(shortcut);
}

void ShortcutSettingsStore::setHotKeyStatus(const HotKeyStatus& status) {
    m_hotKeyStatus = status;
    emit hotKeyStatusChanged(status);
}

void ShortcutSettingsStore::setHoverOpenEnabled(bool enabled) {
    m_hoverOpenEnabled = enabled;
    emit hoverOpenEnabledChanged(enabled);
    m_defaults->setBool(hoverOpenEnabledKey, enabled);
}

void ShortcutSettingsStore::setCopyHapticsEnabled(bool enabled) {
    m_copyHapticsEnabled = enabled;
    emit copyHapticsEnabledChanged(enabled);
    m_defaults->setBool(copyHapticsEnabledKey, enabled);
}

void ShortcutSettingsStore::setCopySoundName(const QString& name) {
    m_copySoundName = name;
    emit copySoundNameChanged(name);
    m_defaults->setString(copySoundNameKey, name);
}

void ShortcutSettingsStore::requestTogglePanelShortcut(const PromptKeyboardShortcut& shortcut) {
    if (!shortcut.hasPrimaryModifier()) {
        setHotKeyStatus(HotKeyStatus::invalid());
        return;
    }
    setHotKeyStatus(HotKeyStatus::registering(shortcut));
    emit shortcutRequested(shortcut);
}

QString ShortcutSettingsStore::hotKeyStatusMessage() const {
    return m_hotKeyStatus.message(m_languageProvider ? m_languageProvider() : L10n::currentLanguage());
}

void ShortcutSettingsStore::save(const PromptKeyboardShortcut& shortcut) {
    m_defaults->setData(key, shortcut.toJson());
}

void ShortcutSettingsStore::savePromptTileShortcut(const PromptTileShortcut& shortcut) {
    m_defaults->setData(promptTileShortcutKey, shortcut.toJson());
}
