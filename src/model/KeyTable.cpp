#include "model/KeyTable.h"

#include <Qt>

#include <QHash>

namespace KeyTable {

namespace {

constexpr quint32 xkF1 = 0xffbe;
constexpr quint32 xkKP0 = 0xffb0;

QList<KeyTableEntry> buildEntries() {
    QList<KeyTableEntry> table = {
        {0, Qt::Key_A, false, 'a', "a"},
        {1, Qt::Key_S, false, 's', "s"},
        {2, Qt::Key_D, false, 'd', "d"},
        {3, Qt::Key_F, false, 'f', "f"},
        {4, Qt::Key_H, false, 'h', "h"},
        {5, Qt::Key_G, false, 'g', "g"},
        {6, Qt::Key_Z, false, 'z', "z"},
        {7, Qt::Key_X, false, 'x', "x"},
        {8, Qt::Key_C, false, 'c', "c"},
        {9, Qt::Key_V, false, 'v', "v"},
        {11, Qt::Key_B, false, 'b', "b"},
        {12, Qt::Key_Q, false, 'q', "q"},
        {13, Qt::Key_W, false, 'w', "w"},
        {14, Qt::Key_E, false, 'e', "e"},
        {15, Qt::Key_R, false, 'r', "r"},
        {16, Qt::Key_Y, false, 'y', "y"},
        {17, Qt::Key_T, false, 't', "t"},
        {18, Qt::Key_1, false, '1', "1"},
        {19, Qt::Key_2, false, '2', "2"},
        {20, Qt::Key_3, false, '3', "3"},
        {21, Qt::Key_4, false, '4', "4"},
        {22, Qt::Key_6, false, '6', "6"},
        {23, Qt::Key_5, false, '5', "5"},
        {24, Qt::Key_Equal, false, '=', "="},
        {25, Qt::Key_9, false, '9', "9"},
        {26, Qt::Key_7, false, '7', "7"},
        {27, Qt::Key_Minus, false, '-', "-"},
        {28, Qt::Key_8, false, '8', "8"},
        {29, Qt::Key_0, false, '0', "0"},
        {30, Qt::Key_BracketRight, false, ']', "]"},
        {31, Qt::Key_O, false, 'o', "o"},
        {32, Qt::Key_U, false, 'u', "u"},
        {33, Qt::Key_BracketLeft, false, '[', "["},
        {34, Qt::Key_I, false, 'i', "i"},
        {35, Qt::Key_P, false, 'p', "p"},
        {36, Qt::Key_Return, false, 0xff0d, ""},
        {37, Qt::Key_L, false, 'l', "l"},
        {38, Qt::Key_J, false, 'j', "j"},
        {39, Qt::Key_Apostrophe, false, '\'', "'"},
        {40, Qt::Key_K, false, 'k', "k"},
        {41, Qt::Key_Semicolon, false, ';', ";"},
        {42, Qt::Key_Backslash, false, '\\', "\\"},
        {43, Qt::Key_Comma, false, ',', ","},
        {44, Qt::Key_Slash, false, '/', "/"},
        {45, Qt::Key_N, false, 'n', "n"},
        {46, Qt::Key_M, false, 'm', "m"},
        {47, Qt::Key_Period, false, '.', "."},
        {48, Qt::Key_Tab, false, 0xff09, ""},
        {49, Qt::Key_Space, false, ' ', " "},
        {50, Qt::Key_QuoteLeft, false, '`', "`"},
        {51, Qt::Key_Backspace, false, 0xff08, ""},
        {53, Qt::Key_Escape, false, 0xff1b, ""},
        {65, Qt::Key_Period, true, 0xffae, "."},
        {67, Qt::Key_Asterisk, true, 0xffaa, "*"},
        {69, Qt::Key_Plus, true, 0xffab, "+"},
        {71, Qt::Key_Clear, true, 0xff0b, ""},
        {75, Qt::Key_Slash, true, 0xffaf, "/"},
        {76, Qt::Key_Enter, true, 0xff8d, ""},
        {78, Qt::Key_Minus, true, 0xffad, "-"},
        {81, Qt::Key_Equal, true, 0xffbd, "="},
        {96, Qt::Key_F5, false, xkF1 + 4, ""},
        {97, Qt::Key_F6, false, xkF1 + 5, ""},
        {98, Qt::Key_F7, false, xkF1 + 6, ""},
        {99, Qt::Key_F3, false, xkF1 + 2, ""},
        {100, Qt::Key_F8, false, xkF1 + 7, ""},
        {101, Qt::Key_F9, false, xkF1 + 8, ""},
        {103, Qt::Key_F11, false, xkF1 + 10, ""},
        {105, Qt::Key_F13, false, xkF1 + 12, ""},
        {107, Qt::Key_F14, false, xkF1 + 13, ""},
        {109, Qt::Key_F10, false, xkF1 + 9, ""},
        {111, Qt::Key_F12, false, xkF1 + 11, ""},
        {113, Qt::Key_F15, false, xkF1 + 14, ""},
        {114, Qt::Key_Insert, false, 0xff63, ""},
        {115, Qt::Key_Home, false, 0xff50, ""},
        {116, Qt::Key_PageUp, false, 0xff55, ""},
        {117, Qt::Key_Delete, false, 0xffff, ""},
        {118, Qt::Key_F4, false, xkF1 + 3, ""},
        {119, Qt::Key_End, false, 0xff57, ""},
        {120, Qt::Key_F2, false, xkF1 + 1, ""},
        {121, Qt::Key_PageDown, false, 0xff56, ""},
        {122, Qt::Key_F1, false, xkF1, ""},
        {123, Qt::Key_Left, false, 0xff51, ""},
        {124, Qt::Key_Right, false, 0xff53, ""},
        {125, Qt::Key_Down, false, 0xff54, ""},
        {126, Qt::Key_Up, false, 0xff52, ""},
    };
    // Keypad digits: 82..89 are 0..7, 91 and 92 are 8 and 9.
    static const char* const digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (int digit = 0; digit <= 9; ++digit) {
        const quint32 code = digit <= 7 ? quint32(82 + digit) : quint32(91 + digit - 8);
        table.append({code, Qt::Key_0 + digit, true, xkKP0 + quint32(digit), digits[digit]});
    }
    return table;
}

// What Qt reports for a key pressed with Shift on a US layout, mapped to the unshifted key.
const QHash<int, int>& shiftedSymbols() {
    static const QHash<int, int> symbols = {
        {Qt::Key_Exclam, Qt::Key_1},
        {Qt::Key_At, Qt::Key_2},
        {Qt::Key_NumberSign, Qt::Key_3},
        {Qt::Key_Dollar, Qt::Key_4},
        {Qt::Key_Percent, Qt::Key_5},
        {Qt::Key_AsciiCircum, Qt::Key_6},
        {Qt::Key_Ampersand, Qt::Key_7},
        {Qt::Key_Asterisk, Qt::Key_8},
        {Qt::Key_ParenLeft, Qt::Key_9},
        {Qt::Key_ParenRight, Qt::Key_0},
        {Qt::Key_Underscore, Qt::Key_Minus},
        {Qt::Key_Plus, Qt::Key_Equal},
        {Qt::Key_BraceLeft, Qt::Key_BracketLeft},
        {Qt::Key_BraceRight, Qt::Key_BracketRight},
        {Qt::Key_Bar, Qt::Key_Backslash},
        {Qt::Key_Colon, Qt::Key_Semicolon},
        {Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
        {Qt::Key_Less, Qt::Key_Comma},
        {Qt::Key_Greater, Qt::Key_Period},
        {Qt::Key_Question, Qt::Key_Slash},
        {Qt::Key_AsciiTilde, Qt::Key_QuoteLeft},
        {Qt::Key_Backtab, Qt::Key_Tab},
    };
    return symbols;
}

} // namespace

const QList<KeyTableEntry>& entries() {
    static const QList<KeyTableEntry> table = buildEntries();
    return table;
}

const KeyTableEntry* byKeyCode(quint32 keyCode) {
    for (const KeyTableEntry& entry : entries()) {
        if (entry.keyCode == keyCode) {
            return &entry;
        }
    }
    return nullptr;
}

const KeyTableEntry* byQtKey(int qtKey, bool keypad) {
    for (const KeyTableEntry& entry : entries()) {
        if (entry.qtKey == qtKey && entry.keypad == keypad) {
            return &entry;
        }
    }
    if (!keypad) {
        const auto unshifted = shiftedSymbols().constFind(qtKey);
        if (unshifted != shiftedSymbols().constEnd()) {
            return byQtKey(*unshifted, false);
        }
    }
    return nullptr;
}

const KeyTableEntry* byKeysym(quint32 keysym) {
    if (keysym >= 'A' && keysym <= 'Z') {
        keysym += 'a' - 'A';
    }
    for (const KeyTableEntry& entry : entries()) {
        if (entry.keysym == keysym) {
            return &entry;
        }
    }
    return nullptr;
}

int qtModifiersFromFlags(quint64 flags) {
    int modifiers = Qt::NoModifier;
    if (flags & ModifierFlags::command) {
        modifiers |= Qt::ControlModifier;
    }
    if (flags & ModifierFlags::control) {
        modifiers |= Qt::MetaModifier;
    }
    if (flags & ModifierFlags::option) {
        modifiers |= Qt::AltModifier;
    }
    if (flags & ModifierFlags::shift) {
        modifiers |= Qt::ShiftModifier;
    }
    return modifiers;
}

quint64 flagsFromQtModifiers(int qtModifiers) {
    quint64 flags = 0;
    if (qtModifiers & Qt::ControlModifier) {
        flags |= ModifierFlags::command;
    }
    if (qtModifiers & Qt::MetaModifier) {
        flags |= ModifierFlags::control;
    }
    if (qtModifiers & Qt::AltModifier) {
        flags |= ModifierFlags::option;
    }
    if (qtModifiers & Qt::ShiftModifier) {
        flags |= ModifierFlags::shift;
    }
    return flags;
}

quint16 x11MaskFromFlags(quint64 flags) {
    quint16 mask = 0;
    if (flags & ModifierFlags::shift) {
        mask |= 0x1;
    }
    if (flags & ModifierFlags::command) {
        mask |= 0x4;
    }
    if (flags & ModifierFlags::option) {
        mask |= 0x8;
    }
    if (flags & ModifierFlags::control) {
        mask |= 0x40;
    }
    return mask;
}

quint64 flagsFromX11Mask(quint16 mask) {
    quint64 flags = 0;
    if (mask & 0x1) {
        flags |= ModifierFlags::shift;
    }
    if (mask & 0x2) {
        flags |= ModifierFlags::capsLock;
    }
    if (mask & 0x4) {
        flags |= ModifierFlags::command;
    }
    if (mask & 0x8) {
        flags |= ModifierFlags::option;
    }
    if (mask & 0x40) {
        flags |= ModifierFlags::control;
    }
    return flags;
}

QString modifierPrefix(quint64 flags) {
    QString prefix;
    if (flags & ModifierFlags::command) {
        prefix += QLatin1String("Ctrl+");
    }
    if (flags & ModifierFlags::option) {
        prefix += QLatin1String("Alt+");
    }
    if (flags & ModifierFlags::control) {
        prefix += QLatin1String("Super+");
    }
    if (flags & ModifierFlags::shift) {
        prefix += QLatin1String("Shift+");
    }
    return prefix;
}

} // namespace KeyTable
