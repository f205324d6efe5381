#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class AppLanguageStore;
class AppUpdateController;
class Confirmer;
class FirstRunChecklistStore;
class HotKeySuspending;
class LaunchAtLoginController;
class PromptStore;
class PromptVariableValueStore;
class RequestBus;
class ShortcutSettingsStore;
class TextSizeStore;
class UrlOpening;

// What the settings window reads and changes: the stores and controllers that own each setting,
// and the desktop seams its actions need. All must outlive the window.
struct SettingsDependencies {
    PromptStore& promptStore;
    ShortcutSettingsStore& shortcutStore;
    FirstRunChecklistStore& checklistStore;
    LaunchAtLoginController& launchAtLogin;
    AppUpdateController& updates;
    AppLanguageStore& languageStore;
    TextSizeStore& textSizeStore;
    PromptVariableValueStore& variableValues;
    RequestBus& requests;
    Confirmer& confirmer;
    UrlOpening& urlOpener;
    // Makes a newly chosen copy sound the player's current one.
    std::function<void(const QString& soundName)> selectCopySound;
    // Released while a shortcut recorder listens; may be null.
    HotKeySuspending* hotKeys = nullptr;
    // The folder of the desktop's startup entries, opened while the login item awaits approval.
    QUrl startupSettingsUrl;
};
