#pragma once

#include "model/KeyTable.h"
#include "model/Localization.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// A key-down as the shortcut models see it: the stored key code, the modifier flags and the
// characters of the key without modifiers. The UI layer builds it from a Qt key event.
struct KeyEventInfo {
    quint32 keyCode = 0;
    quint64 modifierFlags = 0;
    QString charactersIgnoringModifiers;
};

// A key with modifiers: the global hot key and per-prompt shortcuts. Every prompt of a library
// holds an optional one, so it is packed to 12 bytes (an optional one then takes 16, not 24).
struct __attribute__((packed, aligned(4))) PromptKeyboardShortcut {
    quint32 keyCode = 0;
    quint64 modifiersRawValue = 0;

    static PromptKeyboardShortcut defaultTogglePanel() { return {35, ModifierFlags::control | ModifierFlags::shift}; }
    // Former default hot keys, replaced by the current default at start.
    static const QList<PromptKeyboardShortcut>& replacedDefaultTogglePanels();

    bool hasPrimaryModifier() const { return (modifiersRawValue & ModifierFlags::primarySet) != 0; }

    // "Ctrl+Alt+Super+Shift+P": modifiers the Linux way, then the key's name.
    QString displayString() const;
    static QString keyName(quint32 keyCode);
    // Carbon-style hot-key mask: command 0x100, shift 0x200, option 0x800, control 0x1000.
    quint32 carbonModifierFlags() const;

    static std::optional<PromptKeyboardShortcut> fromEvent(const KeyEventInfo& event);
    static std::optional<PromptKeyboardShortcut> fromStorageString(const QString& text);
    QString storageString() const;

    QByteArray toJson() const;
    static std::optional<PromptKeyboardShortcut> fromJson(const QByteArray& data);

    bool operator==(const PromptKeyboardShortcut& other) const = default;
};

static_assert(sizeof(PromptKeyboardShortcut) == 12 && sizeof(std::optional<PromptKeyboardShortcut>) == 16);

inline size_t qHash(const PromptKeyboardShortcut& shortcut, size_t seed = 0) {
    return qHashMulti(seed, shortcut.keyCode, shortcut.modifiersRawValue);
}

// The modifiers that, held with a digit 1 to 9, copy the tile with that number.
struct PromptTileShortcut {
    quint64 modifiersRawValue = ModifierFlags::command;

    static PromptTileShortcut defaultShortcut() { return {ModifierFlags::command}; }

    static std::optional<PromptTileShortcut> fromEvent(const KeyEventInfo& event);
    // Zero-based tile index when the event's tile modifiers equal ours and it is a digit 1 to 9.
    std::optional<int> tileIndex(const KeyEventInfo& event) const;
    static std::optional<int> numberIndex(const KeyEventInfo& event);

    QString modifierDisplay() const;
    QString badgeText(int number) const;
    QString displayString() const;

    QByteArray toJson() const;
    static std::optional<PromptTileShortcut> fromJson(const QByteArray& data);

    bool operator==(const PromptTileShortcut& other) const = default;
};

inline size_t qHash(const PromptTileShortcut& shortcut, size_t seed = 0) {
    return qHash(shortcut.modifiersRawValue, seed);
}

// The state of the global hot key as the settings window shows it.
struct HotKeyStatus {
    enum class Kind { registering, registered, failed, restoreFailed, idle, invalid };

    Kind kind = Kind::idle;
    PromptKeyboardShortcut shortcut;
    qint32 status = 0;
    qint32 restoreStatus = 0;
    // For `failed`: whether another hot key is still live after the failure. A hot key refused at
    // launch leaves none, and the message must not promise a previous one.
    bool previousActive = true;

    static HotKeyStatus registering(const PromptKeyboardShortcut& s) { return {Kind::registering, s, 0, 0}; }
    static HotKeyStatus registered(const PromptKeyboardShortcut& s) { return {Kind::registered, s, 0, 0}; }
    static HotKeyStatus failed(const PromptKeyboardShortcut& s, qint32 code, bool previousActive = true) {
        return {Kind::failed, s, code, 0, previousActive};
    }
    static HotKeyStatus restoreFailed(qint32 code, qint32 restoreCode) {
        return {Kind::restoreFailed, {}, code, restoreCode};
    }
    static HotKeyStatus idle() { return {}; }
    static HotKeyStatus invalid() { return {Kind::invalid, {}, 0, 0}; }

    QString message(AppLanguage language) const;

    // Compared by case and by that case's payload only.
    bool operator==(const HotKeyStatus& other) const;
};

Q_DECLARE_METATYPE(PromptKeyboardShortcut)
Q_DECLARE_METATYPE(PromptTileShortcut)
Q_DECLARE_METATYPE(HotKeyStatus)
