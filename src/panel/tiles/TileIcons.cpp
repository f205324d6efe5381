#include "panel/tiles/TileIcons.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace TileIcons {

namespace {

QRectF square(const QRectF& rect) {
    const qreal side = std::min(rect.width(), rect.height());
    return QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
}

QPen roundPen(const QColor& color, qreal width) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

} // namespace

void checkmark(QPainter& painter, const QRectF& rect, const QColor& color, qreal lineWidth) {
    const QRectF r = square(rect);
    QPainterPath path;
    path.moveTo(r.left() + r.width() * 0.18, r.top() + r.height() * 0.52);
    path.lineTo(r.left() + r.width() * 0.42, r.top() + r.height() * 0.76);
    path.lineTo(r.left() + r.width() * 0.84, r.top() + r.height() * 0.26);
    painter.save();
    painter.setPen(roundPen(color, lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

void arrowClockwise(QPainter& painter, const QRectF& rect, const QColor& color, qreal lineWidth) {
    const QRectF r =
        square(rect).adjusted(rect.width() * 0.14, rect.height() * 0.14, -rect.width() * 0.14, -rect.height() * 0.14);
    QPainterPath arc;
    arc.arcMoveTo(r, 80);
    arc.arcTo(r, 80, -300);
    const QPointF end = arc.pointAtPercent(0);
    QPainterPath head;
    const qreal h = r.width() * 0.32;
    head.moveTo(end + QPointF(-h * 0.9, -h * 0.45));
    head.lineTo(end);
    head.lineTo(end + QPointF(-h * 0.35, h * 0.85));
    painter.save();
    painter.setPen(roundPen(color, lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arc);
    painter.drawPath(head);
    painter.restore();
}

void pin(QPainter& painter, const QRectF& rect, const QColor& color) {
    const QRectF r = square(rect);
    const qreal w = r.width();
    QPainterPath body;
    // The head, a tapering body and a needle, tilted like a pushed-in pin.
    body.addRoundedRect(QRectF(r.left() + w * 0.3, r.top() + w * 0.08, w * 0.4, w * 0.14), w * 0.05, w * 0.05);
    body.moveTo(r.left() + w * 0.36, r.top() + w * 0.22);
    body.lineTo(r.left() + w * 0.64, r.top() + w * 0.22);
    body.lineTo(r.left() + w * 0.74, r.top() + w * 0.58);
    body.lineTo(r.left() + w * 0.26, r.top() + w * 0.58);
    body.closeSubpath();
    painter.save();
    painter.translate(r.center());
    painter.rotate(35);
    painter.translate(-r.center());
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(body);
    painter.setPen(roundPen(color, std::max<qreal>(1.2, w * 0.09)));
    painter.drawLine(QPointF(r.center().x(), r.top() + w * 0.58), QPointF(r.center().x(), r.top() + w * 0.94));
    painter.restore();
}

void ellipsis(QPainter& painter, const QRectF& rect, const QColor& color) {
    const QRectF r = square(rect);
    const qreal dot = r.width() * 0.16;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int i = -1; i <= 1; ++i) {
        const QPointF c(r.center().x() + i * r.width() * 0.3, r.center().y());
        painter.drawEllipse(c, dot / 2 + 0.4, dot / 2 + 0.4);
    }
    painter.restore();
}

void circleInsetFilled(QPainter& painter, const QRectF& rect, const QColor& color) {
    const QRectF r = square(rect);
    painter.save();
    painter.setPen(QPen(color, r.width() * 0.1));
    painter.setBrush(Qt::NoBrush);
    const qreal ring = r.width() * 0.05;
    painter.drawEllipse(r.adjusted(ring, ring, -ring, -ring));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const qreal inset = r.width() * 0.27;
    painter.drawEllipse(r.adjusted(inset, inset, -inset, -inset));
    painter.restore();
}

void grid(QPainter& painter, const QRectF& rect, const QColor& color) {
    const QRectF r = square(rect);
    const qreal gap = r.width() * 0.14;
    const qreal cell = (r.width() - gap) / 2;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            painter.drawRoundedRect(QRectF(r.left() + column * (cell + gap), r.top() + row * (cell + gap), cell, cell),
                                    cell * 0.22, cell * 0.22);
        }
    }
    painter.restore();
}

void listBullets(QPainter& painter, const QRectF& rect, const QColor& color) {
    const QRectF r = square(rect);
    const qreal dot = r.width() * 0.16;
    painter.save();
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.top() + r.height() * (0.18 + 0.32 * i);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(QPointF(r.left() + dot / 2, y), dot / 2, dot / 2);
        painter.setPen(roundPen(color, r.width() * 0.12));
        painter.drawLine(QPointF(r.left() + r.width() * 0.32, y), QPointF(r.right(), y));
    }
    painter.restore();
}

} // namespace TileIcons
