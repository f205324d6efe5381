#pragma once

#include "model/KeyboardShortcutModels.h"

#include <optional>

class QKeyEvent;

// The one adapter from a Qt key press to the key input the shortcut models read (the stored key
// code, the modifier flags and the key's unshifted characters). The key code comes from the
// unshifted key, so Shift+1 is still the key "1"; modifiers map command <-> Ctrl,
// control <-> Super, option <-> Alt, shift <-> Shift.
class KeyInput {
public:
    // None for a key the key table does not know, modifier keys included.
    static std::optional<KeyEventInfo> fromKeyEvent(const QKeyEvent& event);
    // Ctrl, Shift, Alt, Super and the other keys that only modify: a shortcut is still being
    // held together while one of them goes down.
    static bool isModifierKey(int qtKey);
};
