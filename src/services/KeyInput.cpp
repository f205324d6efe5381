#include "services/KeyInput.h"

#include "model/KeyTable.h"

#include <QKeyEvent>

std::optional<KeyEventInfo> KeyInput::fromKeyEvent(const QKeyEvent& event) {
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    const KeyTableEntry* entry = KeyTable::byQtKey(event.key(), keypad);
    if (entry == nullptr && keypad) {
        // Some layouts report keys of the main block with the keypad flag (arrows, for one).
        entry = KeyTable::byQtKey(event.key(), false);
    }
    if (entry == nullptr && event.nativeVirtualKey() != 0) {
        // A key Qt names after another layout's symbol: its X keysym still names the key.
        entry = KeyTable::byKeysym(event.nativeVirtualKey());
    }
    if (entry == nullptr) {
        return std::nullopt;
    }
    KeyEventInfo info;
    info.keyCode = entry->keyCode;
    info.modifierFlags = KeyTable::flagsFromQtModifiers(int(event.modifiers()));
    info.charactersIgnoringModifiers = QString::fromUtf8(entry->text);
    return info;
}

bool KeyInput::isModifierKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}
