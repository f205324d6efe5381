#pragma once

#include <QColor>

// Every colour the prompt tiles, sections and the preview card paint with, in one place so the
// shared design tokens can replace them in one edit.
namespace TileLook {

inline QColor accent() {
    return QColor(255, 77, 126);
}
// The fill of a card drawn over other content (the hover preview): opaque, since the desktop
// gives no backdrop blur and the tiles under a translucent fill would read through its text.
inline QColor overlayFill() {
    return QColor(14, 15, 18);
}
inline QColor steel() {
    return QColor(122, 134, 153);
}
inline QColor textPrimary() {
    return QColor(242, 242, 245);
}
inline QColor green() {
    return QColor(48, 209, 88);
}
inline QColor red() {
    return QColor(255, 69, 58);
}
inline QColor white(qreal opacity) {
    QColor color(Qt::white);
    color.setAlphaF(float(opacity));
    return color;
}
inline QColor black(qreal opacity) {
    QColor color(Qt::black);
    color.setAlphaF(float(opacity));
    return color;
}
inline QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

} // namespace TileLook
