#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// The few symbols of the first-run views, painted from paths: a bare X server has no icon theme.
namespace FirstRunSymbols {

// Names: "checkmark.circle.fill", "circle", "menubar.rectangle", "folder.badge.plus",
// "doc.on.doc", "lock.shield". An unknown name paints nothing.
QPixmap pixmap(const QString& name, const QColor& color, int size, qreal devicePixelRatio);

// The step icon of the welcome guide: the symbol on a tinted circle of `circleSize`, with the
// number badge over its top-left corner, shifted out by `badgeShift`.
QPixmap stepIcon(const QString& symbol, int number, const QColor& accent, const QColor& onAccent,
                 const QFont& badgeFont, qreal devicePixelRatio);
constexpr int stepCircleSize = 42;
constexpr int stepBadgeSize = 18;
constexpr int stepBadgeShift = 4;

} // namespace FirstRunSymbols
