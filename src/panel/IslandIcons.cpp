#include "panel/IslandIcons.h"

#include <QPainter>

#include <algorithm>

namespace {

// Every icon is designed on a 16 x 16 grid and scaled into its box.
QPainterPath designed(const QString& name) {
    QPainterPath p;
    if (name == QLatin1String("plus")) {
        p.moveTo(8, 2.5);
        p.lineTo(8, 13.5);
        p.moveTo(2.5, 8);
        p.lineTo(13.5, 8);
    } else if (name == QLatin1String("xmark")) {
        p.moveTo(3.5, 3.5);
        p.lineTo(12.5, 12.5);
        p.moveTo(12.5, 3.5);
        p.lineTo(3.5, 12.5);
    } else if (name == QLatin1String("checkmark")) {
        p.moveTo(2.5, 8.5);
        p.lineTo(6.5, 12.5);
        p.lineTo(13.5, 3.5);
    } else if (name == QLatin1String("gearshape")) {
        p.addEllipse(QPointF(8, 8), 2.2, 2.2);
        p.addEllipse(QPointF(8, 8), 5.2, 5.2);
        for (int i = 0; i < 8; ++i) {
            QTransform t;
            t.translate(8, 8);
            t.rotate(i * 45.0);
            p.moveTo(t.map(QPointF(0, -5.2)));
            p.lineTo(t.map(QPointF(0, -7.2)));
        }
    } else if (name == QLatin1String("square.grid.2x2")) {
        p.addRoundedRect(QRectF(2, 2, 5, 5), 1.2, 1.2);
        p.addRoundedRect(QRectF(9, 2, 5, 5), 1.2, 1.2);
        p.addRoundedRect(QRectF(2, 9, 5, 5), 1.2, 1.2);
        p.addRoundedRect(QRectF(9, 9, 5, 5), 1.2, 1.2);
    } else if (name == QLatin1String("list.bullet")) {
        for (const qreal y : {3.5, 8.0, 12.5}) {
            p.addEllipse(QPointF(3, y), 0.9, 0.9);
            p.moveTo(6, y);
            p.lineTo(14, y);
        }
    } else if (name == QLatin1String("folder")) {
        p.moveTo(1.5, 4);
        p.lineTo(6, 4);
        p.lineTo(7.5, 5.5);
        p.lineTo(14.5, 5.5);
        p.lineTo(14.5, 13);
        p.lineTo(1.5, 13);
        p.closeSubpath();
    } else if (name == QLatin1String("doc.on.doc")) {
        p.addRoundedRect(QRectF(5, 4.5, 8.5, 10), 1.5, 1.5);
        p.moveTo(3, 11.5);
        p.lineTo(3, 3);
        p.quadTo(3, 1.5, 4.5, 1.5);
        p.lineTo(10.5, 1.5);
    } else if (name == QLatin1String("trash")) {
        p.moveTo(2, 4);
        p.lineTo(14, 4);
        p.moveTo(6, 4);
        p.lineTo(6, 2);
        p.lineTo(10, 2);
        p.lineTo(10, 4);
        p.moveTo(3.5, 4);
        p.lineTo(4.5, 14);
        p.lineTo(11.5, 14);
        p.lineTo(12.5, 4);
    } else if (name == QLatin1String("magnifyingglass")) {
        p.addEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
        p.moveTo(10, 10);
        p.lineTo(14, 14);
    } else if (name == QLatin1String("arrow.clockwise")) {
        p.arcMoveTo(QRectF(2.5, 2.5, 11, 11), 80);
        p.arcTo(QRectF(2.5, 2.5, 11, 11), 80, -300);
        p.moveTo(8.5, 0.8);
        p.lineTo(11.2, 2.8);
        p.lineTo(8.6, 5);
    }
    return p;
}

} // namespace

namespace IslandIcons {

bool isKnown(const QString& name) {
    return !designed(name).isEmpty();
}

QPainterPath path(const QString& name, const QRectF& box) {
    QPainterPath p = designed(name);
    if (p.isEmpty()) {
        p.addEllipse(QPointF(8, 8), 2.5, 2.5);
    }
    const qreal side = std::min(box.width(), box.height());
    QTransform t;
    t.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    t.scale(side / 16.0, side / 16.0);
    return t.map(p);
}

void paint(QPainter& painter, const QString& name, const QRectF& box, const QColor& color, qreal weight) {
    const qreal side = std::min(box.width(), box.height());
    QPen pen(color, std::max(1.0, side / 11.0) * weight, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path(name, box));
    painter.restore();
}

} // namespace IslandIcons
