#include "widgets/SheetLook.h"

#include <QWidget>

namespace {

// Stand-ins for the brand colours until the shared design tokens arrive.
constexpr QRgb surfaceRgb = 0xFF1E2027;
constexpr QRgb borderRgb = 0xFF3A3E4A;
constexpr QRgb accentRgb = 0xFF5C9CE6;
constexpr QRgb textPrimaryRgb = 0xFFECECF0;
constexpr QRgb secondaryTextRgb = 0xFF9A9CA6;
constexpr QRgb errorTextRgb = 0xFFFF6B6B;
constexpr QRgb fieldBackgroundRgb = 0xFF16171C;

int basePixels(SheetLook::TextSize size) {
    switch (size) {
    case SheetLook::TextSize::comfortable:
        return 15;
    case SheetLook::TextSize::large:
        return 17;
    case SheetLook::TextSize::system:
        break;
    }
    return 13;
}

int captionPixels(SheetLook::TextSize size) {
    switch (size) {
    case SheetLook::TextSize::comfortable:
        return 12;
    case SheetLook::TextSize::large:
        return 13;
    case SheetLook::TextSize::system:
        break;
    }
    return 10;
}

} // namespace

namespace SheetLook {

TextSize textSize(const UserDefaults& defaults) {
    const std::optional<QString> raw = defaults.stringValue(textSizeKey);
    if (raw == QLatin1String("comfortable")) {
        return TextSize::comfortable;
    }
    if (raw == QLatin1String("large")) {
        return TextSize::large;
    }
    return TextSize::system;
}

QColor surface() {
    return QColor::fromRgba(surfaceRgb);
}
QColor border() {
    return QColor::fromRgba(borderRgb);
}
QColor accent() {
    return QColor::fromRgba(accentRgb);
}
QColor textPrimary() {
    return QColor::fromRgba(textPrimaryRgb);
}
QColor secondaryText() {
    return QColor::fromRgba(secondaryTextRgb);
}
QColor errorText() {
    return QColor::fromRgba(errorTextRgb);
}
QColor fieldBackground() {
    return QColor::fromRgba(fieldBackgroundRgb);
}

QFont baseFont(TextSize size) {
    QFont font;
    font.setPixelSize(basePixels(size));
    return font;
}

QFont headingFont(TextSize size) {
    QFont font;
    font.setPixelSize(basePixels(size) + 2);
    font.setBold(true);
    return font;
}

QFont captionFont(TextSize size, bool semibold) {
    QFont font;
    font.setPixelSize(captionPixels(size));
    if (semibold) {
        font.setWeight(QFont::DemiBold);
    }
    return font;
}

void styleCard(QWidget* card) {
    card->setAttribute(Qt::WA_StyledBackground, true);
    card->setStyleSheet(QStringLiteral("#%1 { background-color: %2; border: 1px solid %3; border-radius: 18px; }")
                            .arg(card->objectName(), surface().name(), border().name()));
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace SheetLook
