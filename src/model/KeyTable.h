#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// Files and settings keep keys as the virtual key codes of the ANSI layout and modifiers as
// the flag bits below, so that prompt files stay exchangeable. This table maps each such key
// code to its Qt key and its X keysym.
namespace ModifierFlags {
constexpr quint64 capsLock = 0x10000;
constexpr quint64 shift = 0x20000;
constexpr quint64 control = 0x40000;
constexpr quint64 option = 0x80000;
constexpr quint64 command = 0x100000;
constexpr quint64 primarySet = 0x1C0000;
constexpr quint64 tileSet = 0x1E0000;
constexpr quint64 keptBits = 0xFFFE0000;
} // namespace ModifierFlags

struct KeyTableEntry {
    quint32 keyCode;  // stored virtual key code
    int qtKey;        // Qt::Key
    bool keypad;      // a keypad key (Qt reports it with the keypad modifier)
    quint32 keysym;   // X keysym (lower-case for letters)
    const char* text; // the character the key prints without modifiers, or "" for none
};

namespace KeyTable {

const QList<KeyTableEntry>& entries();
const KeyTableEntry* byKeyCode(quint32 keyCode);
// Shifted symbols (Qt reports "!" for Shift+1) resolve to their key as well.
const KeyTableEntry* byQtKey(int qtKey, bool keypad);
const KeyTableEntry* byKeysym(quint32 keysym);

// Modifier mapping, the cross-platform Qt convention: command <-> Ctrl, control <-> Super
// (Qt's Meta), option <-> Alt, shift <-> Shift.
int qtModifiersFromFlags(quint64 flags);
quint64 flagsFromQtModifiers(int qtModifiers);

// X11 modifier masks: Shift 0x1, Control 0x4, Mod1 (Alt) 0x8, Mod4 (Super) 0x40.
quint16 x11MaskFromFlags(quint64 flags);
quint64 flagsFromX11Mask(quint16 mask);

// "Ctrl+Alt+Super+Shift+", the Linux way of naming held modifiers; empty for none.
QString modifierPrefix(quint64 flags);

} // namespace KeyTable
