#pragma once

#include <QColor>

// The brand colours every view draws with, in one place. Components are the exact values the
// colours are made from (sRGB).
namespace IslandDesignTokens {

namespace Brand {
// Primary fill, focus ring, accent icons.
inline const QColor accent = QColor::fromRgbF(1.0f, 0.3019f, 0.4941f);
// Text on the accent fill.
inline const QColor onAccent = QColor::fromRgbF(0.0431f, 0.0549f, 0.102f);
// Main light text.
inline const QColor textPrimary = QColor::fromRgbF(0.949f, 0.949f, 0.9608f);
// Outlines, disabled text, pressed tint.
inline const QColor steel = QColor::fromRgbF(0.4784f, 0.5255f, 0.6f);
// Field and disabled fills; the same colour as onAccent in another role.
inline const QColor neutral = QColor::fromRgbF(0.0431f, 0.0549f, 0.102f);
// Secondary button fill.
inline const QColor surface = QColor::fromRgbF(0.0784f, 0.0941f, 0.1569f);
// Unfocused field outline: steel at half its opacity.
inline const QColor border = QColor::fromRgbF(0.4784f, 0.5255f, 0.6f, 0.5f);
} // namespace Brand

// `color` with its opacity multiplied by `opacity`.
inline QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

// White and black at an opacity, as the island's own controls draw them.
inline QColor white(qreal opacity) {
    return withOpacity(Qt::white, opacity);
}
inline QColor black(qreal opacity) {
    return withOpacity(Qt::black, opacity);
}

// The platform red of destructive actions.
inline const QColor systemRed = QColor(255, 69, 58);

} // namespace IslandDesignTokens
