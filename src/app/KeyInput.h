#pragma once

#include "model/KeyboardShortcutModels.h"

#include <optional>

class QKeyEvent;

// The one way a Qt key event becomes the stored key vocabulary: the key code of the unshifted
// key (Shift+1 is still the key "1", though Qt reports "!"), its characters without modifiers,
// and the modifier bits mapped command<->Ctrl, control<->Super, option<->Alt, shift<->Shift.
namespace KeyInput {

// None for keys the table does not know (a bare modifier, media keys).
std::optional<KeyEventInfo> fromEvent(const QKeyEvent& event);
std::optional<KeyEventInfo> fromQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace KeyInput
