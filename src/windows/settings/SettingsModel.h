#pragma once

#include "model/environment/ShortcutSettingsStore.h"
#include "model/KeyboardShortcutModels.h"
#include "model/Localization.h"
#include "model/PromptPack.h"
#include "services/LaunchAtLoginController.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The rows of the settings window's sidebar, in their order.
enum class SettingsCategory { gettingStarted, general, prompts, shortcuts, updates };

// One titled section of the settings form and the category that shows it.
struct SettingsSection {
    SettingsCategory category;
    QString titleKey;

    bool operator==(const SettingsSection& other) const = default;
};

// What the settings window shows, worked out without a widget.
namespace SettingsModel {

QList<SettingsCategory> allCategories();
QString rawValue(SettingsCategory category);
QString categoryTitleKey(SettingsCategory category);
// The symbol drawn beside the category's title.
QString categorySymbol(SettingsCategory category);

// The language picker's row titles.
QString languageTitleKey(AppLanguage language);

// Every section in the one fixed order of the form; a category shows its own, in this order.
const QList<SettingsSection>& sections();
QList<SettingsSection> sectionsFor(SettingsCategory category);

// The start-up help line: the error text when the last change failed or there is no login item
// on this desktop, the approval text while it waits for approval, else the plain help.
QString startupHelpKey(LaunchAtLoginStatus status, bool hasError);
// The button to the desktop's startup settings is offered only while approval is pending.
bool showsStartupSettingsButton(LaunchAtLoginStatus status);

QString updateHelpKey(bool isConfigured, bool automaticUpdatesEnabled);

// The colour role of the hot-key status line.
enum class StatusTone { secondary, success, failure };
StatusTone hotKeyStatusTone(HotKeyStatus::Kind kind);

bool isDefaultToggleShortcut(const PromptKeyboardShortcut& shortcut);
bool isDefaultTileShortcut(const PromptTileShortcut& shortcut);

// A copy-sound title that begins with "copy." is a catalog key; any other is a sound name.
QString copySoundTitle(const ShortcutSettingsStore::CopySoundOption& option, AppLanguage language);
// Stores the chosen sound and hands it to the player, unless it is the sound already chosen.
// Returns whether anything changed.
bool chooseCopySound(ShortcutSettingsStore& store, const QString& soundName,
                     const std::function<void(const QString&)>& selectSound);

// The rows of the Getting started section.
enum class GettingStartedRow { reopenWelcome, reopenChecklist, checklistHelp, openPanel };
QList<GettingStartedRow> rowsFor(bool isDismissed);

// The built-in packs offered for the interface language the user chose; system follows the
// preferred languages.
const QList<PromptPack>& builtInPacksFor(AppLanguage selection, const QStringList& preferredLanguages);

} // namespace SettingsModel
