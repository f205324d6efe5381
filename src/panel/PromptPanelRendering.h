#pragma once

#include "model/KeyboardShortcutModels.h"
#include "model/PromptModels.h"
#include "store/PanelRenderSnapshot.h"

#include <optional>

// Pure rendering rules of the panel.
namespace PromptPanelRendering {

// The first visible prompt that carries the tile number; nothing below 1 or for a number whose
// prompt is not visible.
std::optional<PromptItem> prompt(int shortcutNumber, const PanelRenderSnapshot& snapshot);

// The prompt a key press copies: a visible prompt's own shortcut first (key code and the
// modifiers from bit 17 up, so Caps Lock never counts), else a numbered tile shortcut whose
// four modifiers match exactly. The digit is the unshifted key's, so Shift may be one of the
// tile modifiers.
std::optional<PromptItem> promptForKeyboardShortcut(const KeyEventInfo& key, const PanelRenderSnapshot& snapshot,
                                                    const PromptTileShortcut& tileShortcut);

} // namespace PromptPanelRendering
