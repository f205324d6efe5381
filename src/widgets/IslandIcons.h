#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

// Icons drawn from paths, named like the symbols the views ask for ("plus", "gearshape",
// "xmark", "square.grid.2x2", "list.bullet", "folder", "doc.on.doc", "trash", "checkmark",
// "magnifyingglass", "arrow.clockwise", "sparkles", "keyboard"...), so nothing depends on an icon
// theme. An unknown name draws a small dot.
namespace IslandIcons {
bool isKnown(const QString& name);
// The outline of the icon fitted into `box`, meant to be stroked.
QPainterPath path(const QString& name, const QRectF& box);
// Strokes the icon with a line width that follows the box size and `weight` (1 regular, >1 bolder).
void paint(QPainter& painter, const QString& name, const QRectF& box, const QColor& color, qreal weight = 1.0);
} // namespace IslandIcons
