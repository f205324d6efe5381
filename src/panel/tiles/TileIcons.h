#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The small symbols of the tiles and the layout switch, drawn with paths so they need no icon
// theme. Each fills the square centred in the given rectangle.
namespace TileIcons {

void checkmark(QPainter& painter, const QRectF& rect, const QColor& color, qreal lineWidth);
void arrowClockwise(QPainter& painter, const QRectF& rect, const QColor& color, qreal lineWidth);
void pin(QPainter& painter, const QRectF& rect, const QColor& color);
void ellipsis(QPainter& painter, const QRectF& rect, const QColor& color);
void circleInsetFilled(QPainter& painter, const QRectF& rect, const QColor& color);
void grid(QPainter& painter, const QRectF& rect, const QColor& color);
void listBullets(QPainter& painter, const QRectF& rect, const QColor& color);

} // namespace TileIcons
