#include "model/KeyboardShortcutModels.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace {

// A JSON number that is a whole number within [0, max]; JSON has no integer type.
std::optional<quint64> unsignedInteger(const QJsonValue& value, quint64 max) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || number < 0 || std::floor(number) != number || number > double(max)) {
        return std::nullopt;
    }
    // 2^64 is representable as a double but not as a quint64.
    if (number >= 18446744073709551616.0) {
        return std::nullopt;
    }
    return quint64(number);
}

std::optional<QJsonObject> jsonObject(const QByteArray& data) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

} // namespace

const QList<PromptKeyboardShortcut>& PromptKeyboardShortcut::replacedDefaultTogglePanels() {
    static const QList<PromptKeyboardShortcut> replaced = {
        {49, ModifierFlags::option},
        {49, ModifierFlags::control | ModifierFlags::option},
    };
    return replaced;
}

QString PromptKeyboardShortcut::displayString() const {
    return KeyTable::modifierPrefix(modifiersRawValue) + keyName(keyCode);
}

QString PromptKeyboardShortcut::keyName(quint32 keyCode) {
    static const QHash<quint32, QString> fixedNames = {
        {36, QStringLiteral("Return")},    {48, QStringLiteral("Tab")},    {49, QStringLiteral("Space")},
        {51, QStringLiteral("Backspace")}, {53, QStringLiteral("Esc")},    {71, QStringLiteral("Clear")},
        {76, QStringLiteral("Enter")},     {96, QStringLiteral("F5")},     {97, QStringLiteral("F6")},
        {98, QStringLiteral("F7")},        {99, QStringLiteral("F3")},     {100, QStringLiteral("F8")},
        {101, QStringLiteral("F9")},       {103, QStringLiteral("F11")},   {109, QStringLiteral("F10")},
        {111, QStringLiteral("F12")},      {115, QStringLiteral("Home")},  {119, QStringLiteral("End")},
        {120, QStringLiteral("F2")},       {121, QStringLiteral("PgDn")},  {122, QStringLiteral("F1")},
        {123, QStringLiteral("Left")},     {124, QStringLiteral("Right")}, {125, QStringLiteral("Down")},
        {126, QStringLiteral("Up")},
    };
    static const QHash<quint32, QString> printable = {
        {0, "A"},   {1, "S"},  {2, "D"},  {3, "F"},  {4, "H"},  {5, "G"},  {6, "Z"},  {7, "X"},  {8, "C"},  {9, "V"},
        {11, "B"},  {12, "Q"}, {13, "W"}, {14, "E"}, {15, "R"}, {16, "Y"}, {17, "T"}, {18, "1"}, {19, "2"}, {20, "3"},
        {21, "4"},  {22, "6"}, {23, "5"}, {24, "="}, {25, "9"}, {26, "7"}, {27, "-"}, {28, "8"}, {29, "0"}, {30, "]"},
        {31, "O"},  {32, "U"}, {33, "["}, {34, "I"}, {35, "P"}, {37, "L"}, {38, "J"}, {39, "'"}, {40, "K"}, {41, ";"},
        {42, "\\"}, {43, ","}, {44, "/"}, {45, "N"}, {46, "M"}, {47, "."}, {50, "`"},
    };
    if (const auto fixed = fixedNames.constFind(keyCode); fixed != fixedNames.constEnd()) {
        return *fixed;
    }
    if (const auto key = printable.constFind(keyCode); key != printable.constEnd()) {
        return *key;
    }
    return QStringLiteral("Key %1").arg(keyCode);
}

quint32 PromptKeyboardShortcut::carbonModifierFlags() const {
    quint32 flags = 0;
    if (modifiersRawValue & ModifierFlags::command) {
        flags |= 0x100;
    }
    if (modifiersRawValue & ModifierFlags::shift) {
        flags |= 0x200;
    }
    if (modifiersRawValue & ModifierFlags::option) {
        flags |= 0x800;
    }
    if (modifiersRawValue & ModifierFlags::control) {
        flags |= 0x1000;
    }
    return flags;
}

std::optional<PromptKeyboardShortcut> PromptKeyboardShortcut::fromEvent(const KeyEventInfo& event) {
    if (event.keyCode >= 53 && event.keyCode <= 63) {
        return std::nullopt;
    }
    if ((event.modifierFlags & ModifierFlags::primarySet) == 0) {
        return std::nullopt;
    }
    return PromptKeyboardShortcut{event.keyCode, event.modifierFlags & ModifierFlags::keptBits};
}

std::optional<PromptKeyboardShortcut> PromptKeyboardShortcut::fromStorageString(const QString& text) {
    const QStringList pieces = text.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (pieces.size() != 2) {
        return std::nullopt;
    }
    const auto isDecimal = [](const QString& piece) {
        return !piece.isEmpty() && std::all_of(piece.begin(), piece.end(),
                                               [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    };
    if (!isDecimal(pieces[0]) || !isDecimal(pieces[1])) {
        return std::nullopt;
    }
    bool keyOk = false;
    bool modifiersOk = false;
    const uint keyCode = pieces[0].toUInt(&keyOk);
    const qulonglong modifiers = pieces[1].toULongLong(&modifiersOk);
    if (!keyOk || !modifiersOk) {
        return std::nullopt;
    }
    if ((modifiers & ModifierFlags::primarySet) == 0) {
        return std::nullopt;
    }
    return PromptKeyboardShortcut{keyCode, modifiers & ModifierFlags::keptBits};
}

QString PromptKeyboardShortcut::storageString() const {
    return QString::number(keyCode) + QLatin1Char(':') + QString::number(modifiersRawValue);
}

QByteArray PromptKeyboardShortcut::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("keyCode"), double(keyCode));
    object.insert(QStringLiteral("modifiersRawValue"), double(modifiersRawValue));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<PromptKeyboardShortcut> PromptKeyboardShortcut::fromJson(const QByteArray& data) {
    const auto object = jsonObject(data);
    if (!object) {
        return std::nullopt;
    }
    const auto keyCode = unsignedInteger(object->value(QLatin1String("keyCode")), std::numeric_limits<quint32>::max());
    const auto modifiers =
        unsignedInteger(object->value(QLatin1String("modifiersRawValue")), std::numeric_limits<quint64>::max());
    if (!keyCode || !modifiers) {
        return std::nullopt;
    }
    return PromptKeyboardShortcut{quint32(*keyCode), *modifiers};
}

std::optional<int> PromptTileShortcut::numberIndex(const KeyEventInfo& event) {
    const QString& characters = event.charactersIgnoringModifiers;
    if (characters.size() != 1) {
        return std::nullopt;
    }
    const QChar c = characters.at(0);
    if (c < QLatin1Char('1') || c > QLatin1Char('9')) {
        return std::nullopt;
    }
    return c.unicode() - '1';
}

std::optional<PromptTileShortcut> PromptTileShortcut::fromEvent(const KeyEventInfo& event) {
    if (!numberIndex(event)) {
        return std::nullopt;
    }
    const quint64 modifiers = event.modifierFlags & ModifierFlags::tileSet;
    if ((modifiers & ModifierFlags::primarySet) == 0) {
        return std::nullopt;
    }
    return PromptTileShortcut{modifiers};
}

std::optional<int> PromptTileShortcut::tileIndex(const KeyEventInfo& event) const {
    if ((event.modifierFlags & ModifierFlags::tileSet) != (modifiersRawValue & ModifierFlags::tileSet)) {
        return std::nullopt;
    }
    return numberIndex(event);
}

QString PromptTileShortcut::modifierDisplay() const {
    return KeyTable::modifierPrefix(modifiersRawValue);
}

QString PromptTileShortcut::badgeText(int number) const {
    return modifierDisplay() + QString::number(number);
}

QString PromptTileShortcut::displayString() const {
    return modifierDisplay() + QStringLiteral("1..9");
}

QByteArray PromptTileShortcut::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("modifiersRawValue"), double(modifiersRawValue));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<PromptTileShortcut> PromptTileShortcut::fromJson(const QByteArray& data) {
    const auto object = jsonObject(data);
    if (!object) {
        return std::nullopt;
    }
    const auto modifiers =
        unsignedInteger(object->value(QLatin1String("modifiersRawValue")), std::numeric_limits<quint64>::max());
    if (!modifiers) {
        return std::nullopt;
    }
    return PromptTileShortcut{*modifiers};
}

QString HotKeyStatus::message(AppLanguage language) const {
    switch (kind) {
    case Kind::registering:
        return L10n::string(L10N("shortcut.registering"), language, shortcut.displayString());
    case Kind::registered:
        return L10n::string(L10N("shortcut.registered"), language, shortcut.displayString());
    case Kind::failed:
        if (!previousActive) {
            return L10n::string(L10N("shortcut.register.failed.none.active"), language, shortcut.displayString(),
                                status);
        }
        return L10n::string(L10N("shortcut.register.failed"), language, shortcut.displayString(), status);
    case Kind::restoreFailed:
        return L10n::string(L10N("shortcut.restore.failed"), language, status, restoreStatus);
    case Kind::idle:
        return {};
    case Kind::invalid:
        return L10n::string(L10N("shortcut.error.needs.modifier"), language);
    }
    return {};
}

bool HotKeyStatus::operator==(const HotKeyStatus& other) const {
    if (kind != other.kind) {
        return false;
    }
    switch (kind) {
    case Kind::registering:
    case Kind::registered:
        return shortcut == other.shortcut;
    case Kind::failed:
        return shortcut == other.shortcut && status == other.status && previousActive == other.previousActive;
    case Kind::restoreFailed:
        return status == other.status && restoreStatus == other.restoreStatus;
    case Kind::idle:
    case Kind::invalid:
        return true;
    }
    return false;
}
