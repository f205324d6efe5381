#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>

class QPainterPath;
class QWidget;

// The colours and fonts of the workspace manager in one place, until the shared design tokens
// replace them.
namespace WorkspaceManagerStyle {

inline constexpr QRgb accent = qRgb(0x5B, 0x8D, 0xEF);
inline constexpr QRgb steel = qRgb(0x8A, 0x9B, 0xB0);
inline constexpr QRgb orange = qRgb(0xF5, 0x9E, 0x0B);
inline constexpr QRgb destructive = qRgb(0xEF, 0x53, 0x50);
inline constexpr QRgb secondaryText = qRgba(0xFF, 0xFF, 0xFF, 0xA0);
// The row background: the accent at 0.16 when selected, a faint white otherwise.
inline constexpr QRgb selectedRow = qRgba(0x5B, 0x8D, 0xEF, 41);
inline constexpr QRgb plainRow = qRgba(0xFF, 0xFF, 0xFF, 20);

// Pixel sizes from the default interface text size.
inline constexpr int bodyPixels = 13;
inline constexpr int headlinePixels = 13;
inline constexpr int captionPixels = 11;
inline constexpr int caption2Pixels = 10;
inline constexpr int title2Pixels = 20;
inline constexpr int title3Pixels = 17;
inline constexpr int largeTitlePixels = 30;

inline QFont font(const QFont& base, int pixels, QFont::Weight weight = QFont::Normal) {
    QFont result = base;
    result.setPixelSize(pixels);
    result.setWeight(weight);
    return result;
}

inline QFont monospaced(const QFont& base, int pixels) {
    QFont result = font(base, pixels);
    result.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
    result.setStyleHint(QFont::Monospace);
    return result;
}

// Secondary text: captions, help lines, notes.
void setSecondary(QWidget* widget);

// The outline of a folder in a square of `size`.
QPainterPath folderOutline(qreal size);
// A symbol stroked with round caps and joins on a transparent square of `size` points.
QPixmap outlineSymbol(const QPainterPath& path, int size, qreal ratio, const QColor& colour, qreal penWidth);

} // namespace WorkspaceManagerStyle
