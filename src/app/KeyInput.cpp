#include "app/KeyInput.h"

#include "model/KeyTable.h"

#include <QKeyEvent>

namespace KeyInput {

std::optional<KeyEventInfo> fromQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    const KeyTableEntry* entry = KeyTable::byQtKey(qtKey, modifiers.testFlag(Qt::KeypadModifier));
    if (entry == nullptr) {
        return std::nullopt;
    }
    KeyEventInfo info;
    info.keyCode = entry->keyCode;
    info.modifierFlags = KeyTable::flagsFromQtModifiers(int(modifiers & ~Qt::KeypadModifier));
    info.charactersIgnoringModifiers = QString::fromUtf8(entry->text);
    return info;
}

std::optional<KeyEventInfo> fromEvent(const QKeyEvent& event) {
    return fromQtKey(event.key(), event.modifiers());
}

} // namespace KeyInput
