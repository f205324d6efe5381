#include "windows/settings/SettingsModel.h"

#include "config/PromptPackService.h"

namespace SettingsModel {

QList<SettingsCategory> allCategories() {
    return {SettingsCategory::gettingStarted, SettingsCategory::general, SettingsCategory::prompts,
            SettingsCategory::shortcuts, SettingsCategory::updates};
}

QString rawValue(SettingsCategory category) {
    switch (category) {
    case SettingsCategory::gettingStarted:
        return QStringLiteral("gettingStarted");
    case SettingsCategory::general:
        return QStringLiteral("general");
    case SettingsCategory::prompts:
        return QStringLiteral("prompts");
    case SettingsCategory::shortcuts:
        return QStringLiteral("shortcuts");
    case SettingsCategory::updates:
        return QStringLiteral("updates");
    }
    return {};
}

QString categoryTitleKey(SettingsCategory category) {
    switch (category) {
    case SettingsCategory::gettingStarted:
        return L10N("settings.category.getting.started");
    case SettingsCategory::general:
        return L10N("settings.category.general");
    case SettingsCategory::prompts:
        return L10N("settings.category.prompts");
    case SettingsCategory::shortcuts:
        return L10N("settings.category.shortcuts");
    case SettingsCategory::updates:
        return L10N("settings.category.updates");
    }
    return {};
}

QString categorySymbol(SettingsCategory category) {
    switch (category) {
    case SettingsCategory::gettingStarted:
        return QStringLiteral("sparkles");
    case SettingsCategory::general:
        return QStringLiteral("gearshape");
    case SettingsCategory::prompts:
        return QStringLiteral("text.bubble");
    case SettingsCategory::shortcuts:
        return QStringLiteral("keyboard");
    case SettingsCategory::updates:
        return QStringLiteral("arrow.triangle.2.circlepath");
    }
    return {};
}

QString languageTitleKey(AppLanguage language) {
    switch (language) {
    case AppLanguage::system:
        return L10N("language.system");
    case AppLanguage::zhHans:
        return L10N("language.zhHans");
    case AppLanguage::english:
        return L10N("language.english");
    }
    return {};
}

const QList<SettingsSection>& sections() {
    // The packs come after the shortcuts here, yet the Prompts page still shows them last among
    // its own: each page takes its sections in this order.
    static const QList<SettingsSection> all{
        {SettingsCategory::gettingStarted, L10N("first.checklist.settings.section")},
        {SettingsCategory::general, L10N("settings.display.feedback")},
        {SettingsCategory::general, L10N("settings.startup.title")},
        {SettingsCategory::prompts, L10N("settings.environment.binding")},
        {SettingsCategory::prompts, L10N("settings.usage.title")},
        {SettingsCategory::shortcuts, L10N("settings.shortcut")},
        {SettingsCategory::prompts, L10N("settings.prompt.packs")},
        {SettingsCategory::updates, L10N("settings.updates.title")},
    };
    return all;
}

QList<SettingsSection> sectionsFor(SettingsCategory category) {
    QList<SettingsSection> shown;
    for (const SettingsSection& section : sections()) {
        if (section.category == category) {
            shown.append(section);
        }
    }
    return shown;
}

QString startupHelpKey(LaunchAtLoginStatus status, bool hasError) {
    if (hasError || status == LaunchAtLoginStatus::unavailable) {
        return L10N("settings.startup.error");
    }
    if (status == LaunchAtLoginStatus::requiresApproval) {
        return L10N("settings.startup.requires.approval");
    }
    return L10N("settings.startup.help");
}

bool showsStartupSettingsButton(LaunchAtLoginStatus status) {
    return status == LaunchAtLoginStatus::requiresApproval;
}

QString updateHelpKey(bool isConfigured, bool automaticUpdatesEnabled) {
    if (!isConfigured) {
        return L10N("settings.updates.placeholder");
    }
    return automaticUpdatesEnabled ? L10N("settings.updates.auto.enabled.help")
                                   : L10N("settings.updates.auto.disabled.help");
}

StatusTone hotKeyStatusTone(HotKeyStatus::Kind kind) {
    switch (kind) {
    case HotKeyStatus::Kind::failed:
    case HotKeyStatus::Kind::restoreFailed:
    case HotKeyStatus::Kind::invalid:
        return StatusTone::failure;
    case HotKeyStatus::Kind::registered:
        return StatusTone::success;
    case HotKeyStatus::Kind::registering:
    case HotKeyStatus::Kind::idle:
        break;
    }
    return StatusTone::secondary;
}

bool isDefaultToggleShortcut(const PromptKeyboardShortcut& shortcut) {
    return shortcut == PromptKeyboardShortcut::defaultTogglePanel();
}

bool isDefaultTileShortcut(const PromptTileShortcut& shortcut) {
    return shortcut.modifiersRawValue == PromptTileShortcut::defaultShortcut().modifiersRawValue;
}

QString copySoundTitle(const ShortcutSettingsStore::CopySoundOption& option, AppLanguage language) {
    if (option.title.startsWith(QLatin1String("copy."))) {
        return L10n::string(option.title, language);
    }
    return option.title;
}

bool chooseCopySound(ShortcutSettingsStore& store, const QString& soundName,
                     const std::function<void(const QString&)>& selectSound) {
    if (store.copySoundName() == soundName) {
        return false;
    }
    store.setCopySoundName(soundName);
    if (selectSound) {
        selectSound(soundName);
    }
    return true;
}

QList<GettingStartedRow> rowsFor(bool isDismissed) {
    if (isDismissed) {
        return {GettingStartedRow::reopenWelcome, GettingStartedRow::reopenChecklist};
    }
    return {GettingStartedRow::reopenWelcome, GettingStartedRow::checklistHelp, GettingStartedRow::openPanel};
}

const QList<PromptPack>& builtInPacksFor(AppLanguage selection, const QStringList& preferredLanguages) {
    return PromptPackService::builtInPacks(selection, preferredLanguages);
}

} // namespace SettingsModel
