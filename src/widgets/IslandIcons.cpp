#include "widgets/IslandIcons.h"

#include <QPainter>

#include <algorithm>

namespace {

// The symbols of the panel's header, picker and empty state.
QPainterPath headerIcon(const QString& name) {
    QPainterPath p;
    const auto chainLink = [&p] {
        p.addRoundedRect(QRectF(1.5, 6, 7, 4), 2, 2);
        p.addRoundedRect(QRectF(7.5, 6, 7, 4), 2, 2);
    };
    const auto plusAt = [&p](qreal x, qreal y) {
        p.moveTo(x, y - 2.5);
        p.lineTo(x, y + 2.5);
        p.moveTo(x - 2.5, y);
        p.lineTo(x + 2.5, y);
    };
    if (name == QLatin1String("link")) {
        chainLink();
    } else if (name == QLatin1String("link.badge.plus")) {
        p.addRoundedRect(QRectF(1.5, 7, 6, 4), 2, 2);
        p.addRoundedRect(QRectF(6.5, 7, 6, 4), 2, 2);
        plusAt(12.5, 3.5);
    } else if (name == QLatin1String("folder.badge.plus")) {
        p.moveTo(1.5, 4);
        p.lineTo(6, 4);
        p.lineTo(7.5, 5.5);
        p.lineTo(10, 5.5);
        p.moveTo(14.5, 9.5);
        p.lineTo(14.5, 13);
        p.lineTo(1.5, 13);
        p.lineTo(1.5, 4);
        plusAt(13, 4.5);
    } else if (name == QLatin1String("xmark.circle")) {
        p.addEllipse(QPointF(8, 8), 6.5, 6.5);
        p.moveTo(5.5, 5.5);
        p.lineTo(10.5, 10.5);
        p.moveTo(10.5, 5.5);
        p.lineTo(5.5, 10.5);
    } else if (name == QLatin1String("square.grid.3x3")) {
        for (const qreal x : {1.5, 6.5, 11.5}) {
            for (const qreal y : {1.5, 6.5, 11.5}) {
                p.addRoundedRect(QRectF(x, y, 3, 3), 0.8, 0.8);
            }
        }
    } else if (name == QLatin1String("lock.open")) {
        p.addRoundedRect(QRectF(2.5, 7.5, 9, 7), 1.5, 1.5);
        p.moveTo(9.5, 7.5);
        p.lineTo(9.5, 4.5);
        p.arcTo(QRectF(9.5, 1.5, 5, 6), 180, -180);
        p.lineTo(14.5, 6);
    } else if (name == QLatin1String("tray.and.arrow.down") || name == QLatin1String("square.and.arrow.down")) {
        p.moveTo(1.5, 9.5);
        p.lineTo(1.5, 14.5);
        p.lineTo(14.5, 14.5);
        p.lineTo(14.5, 9.5);
        p.moveTo(8, 1.5);
        p.lineTo(8, 10.5);
        p.moveTo(5, 7.5);
        p.lineTo(8, 10.5);
        p.lineTo(11, 7.5);
    } else if (name == QLatin1String("globe")) {
        p.addEllipse(QPointF(8, 8), 6.5, 6.5);
        p.addEllipse(QPointF(8, 8), 2.8, 6.5);
        p.moveTo(1.5, 8);
        p.lineTo(14.5, 8);
    } else if (name == QLatin1String("rectangle") || name == QLatin1String("macwindow")) {
        p.addRoundedRect(QRectF(1.5, 3, 13, 10), 1.5, 1.5);
        if (name == QLatin1String("macwindow")) {
            p.moveTo(1.5, 6);
            p.lineTo(14.5, 6);
        }
    } else if (name == QLatin1String("shippingbox")) {
        p.addRoundedRect(QRectF(2, 5, 12, 9), 1, 1);
        p.moveTo(2, 5);
        p.lineTo(4, 2);
        p.lineTo(12, 2);
        p.lineTo(14, 5);
        p.moveTo(8, 2);
        p.lineTo(8, 8);
    } else if (name == QLatin1String("antenna.radiowaves.left.and.right")) {
        p.addEllipse(QPointF(8, 7), 1.3, 1.3);
        p.moveTo(8, 8.5);
        p.lineTo(8, 14.5);
        p.arcMoveTo(QRectF(3.5, 2.5, 9, 9), 135);
        p.arcTo(QRectF(3.5, 2.5, 9, 9), 135, 90);
        p.arcMoveTo(QRectF(3.5, 2.5, 9, 9), -45);
        p.arcTo(QRectF(3.5, 2.5, 9, 9), -45, 90);
    } else if (name == QLatin1String("sparkles")) {
        // A large four-point star and a small one.
        const auto star = [&p](qreal x, qreal y, qreal r) {
            const qreal k = r * 0.28;
            p.moveTo(x, y - r);
            p.quadTo(x + k, y - k, x + r, y);
            p.quadTo(x + k, y + k, x, y + r);
            p.quadTo(x - k, y + k, x - r, y);
            p.quadTo(x - k, y - k, x, y - r);
        };
        star(6.5, 9, 5.5);
        star(12.5, 3.5, 2.5);
    } else if (name == QLatin1String("text.bubble")) {
        p.moveTo(4, 2.5);
        p.lineTo(12, 2.5);
        p.quadTo(14.5, 2.5, 14.5, 5);
        p.lineTo(14.5, 9);
        p.quadTo(14.5, 11.5, 12, 11.5);
        p.lineTo(7, 11.5);
        p.lineTo(4, 14);
        p.lineTo(4, 11.5);
        p.quadTo(1.5, 11.5, 1.5, 9);
        p.lineTo(1.5, 5);
        p.quadTo(1.5, 2.5, 4, 2.5);
        for (const qreal y : {5.5, 8.5}) {
            p.moveTo(4.5, y);
            p.lineTo(11.5, y);
        }
    } else if (name == QLatin1String("keyboard")) {
        p.addRoundedRect(QRectF(1, 3.5, 14, 9), 1.5, 1.5);
        for (const qreal x : {3.5, 6.5, 9.5, 12.5}) {
            p.addEllipse(QPointF(x, 6.2), 0.4, 0.4);
        }
        p.moveTo(5, 9.8);
        p.lineTo(11, 9.8);
    } else if (name == QLatin1String("arrow.triangle.2.circlepath")) {
        p.arcMoveTo(QRectF(2, 2, 12, 12), 160);
        p.arcTo(QRectF(2, 2, 12, 12), 160, -150);
        p.moveTo(14.8, 5.2);
        p.lineTo(13.9, 8.3);
        p.lineTo(11, 7.2);
        p.arcMoveTo(QRectF(2, 2, 12, 12), -20);
        p.arcTo(QRectF(2, 2, 12, 12), -20, -150);
        p.moveTo(1.2, 10.8);
        p.lineTo(2.1, 7.7);
        p.lineTo(5, 8.8);
    } else if (name == QLatin1String("checkmark.circle")) {
        p.addEllipse(QPointF(8, 8), 6.5, 6.5);
        p.moveTo(5, 8.2);
        p.lineTo(7.2, 10.4);
        p.lineTo(11, 5.8);
    } else if (name == QLatin1String("menubar.rectangle")) {
        p.addRoundedRect(QRectF(1.5, 2.5, 13, 11), 1.5, 1.5);
        p.moveTo(1.5, 5.5);
        p.lineTo(14.5, 5.5);
    }
    return p;
}

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
    if (p.isEmpty()) {
        p = headerIcon(name);
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
