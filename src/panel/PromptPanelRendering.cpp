#include "panel/PromptPanelRendering.h"

#include "model/KeyTable.h"

namespace PromptPanelRendering {

std::optional<PromptItem> prompt(int shortcutNumber, const PanelRenderSnapshot& snapshot) {
    if (shortcutNumber < 1) {
        return std::nullopt;
    }
    for (const PromptItem& item : snapshot.visiblePrompts) {
        const auto number = snapshot.shortcutNumbers.constFind(item.id);
        if (number != snapshot.shortcutNumbers.cend() && *number == shortcutNumber) {
            return item;
        }
    }
    return std::nullopt;
}

std::optional<PromptItem> promptForKeyboardShortcut(const KeyEventInfo& key, const PanelRenderSnapshot& snapshot,
                                                    const PromptTileShortcut& tileShortcut) {
    const auto kept = quint32(key.modifierFlags & ModifierFlags::keptBits);
    for (const PromptItem& item : snapshot.visiblePrompts) {
        if (item.shortcut && item.shortcut->keyCode == key.keyCode &&
            quint32(item.shortcut->modifiersRawValue & ModifierFlags::keptBits) == kept) {
            return item;
        }
    }
    if ((key.modifierFlags & ModifierFlags::tileSet) != (tileShortcut.modifiersRawValue & ModifierFlags::tileSet)) {
        return std::nullopt;
    }
    const std::optional<int> index = PromptTileShortcut::numberIndex(key);
    if (!index) {
        return std::nullopt;
    }
    return prompt(*index + 1, snapshot);
}

} // namespace PromptPanelRendering
