#include "widgets/FirstRunSymbols.h"

#include <QPainter>
#include <QPainterPath>

namespace FirstRunSymbols {

namespace {

QPixmap blank(int width, int height, qreal devicePixelRatio) {
    QPixmap pixmap(qRound(width * devicePixelRatio), qRound(height * devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Paints the symbol into a square of side `s` at the origin.
void paintSymbol(QPainter& painter, const QString& name, const QColor& color, qreal s) {
    QPen pen(color, qMax(1.2, s / 12.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal m = pen.widthF();
    if (name == QLatin1String("checkmark.circle.fill")) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(QRectF(m / 2, m / 2, s - m, s - m));
        QPainterPath tick;
        tick.moveTo(s * 0.28, s * 0.52);
        tick.lineTo(s * 0.44, s * 0.68);
        tick.lineTo(s * 0.72, s * 0.36);
        QPen tickPen(Qt::white, qMax(1.5, s / 9.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(tickPen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    } else if (name == QLatin1String("circle")) {
        painter.drawEllipse(QRectF(m, m, s - 2 * m, s - 2 * m));
    } else if (name == QLatin1String("menubar.rectangle")) {
        const QRectF frame(m, s * 0.18, s - 2 * m, s * 0.64);
        painter.drawRoundedRect(frame, s * 0.1, s * 0.1);
        painter.drawLine(QPointF(frame.left(), frame.top() + s * 0.16), QPointF(frame.right(), frame.top() + s * 0.16));
    } else if (name == QLatin1String("folder.badge.plus")) {
        QPainterPath folder;
        folder.moveTo(m, s * 0.22);
        folder.lineTo(s * 0.36, s * 0.22);
        folder.lineTo(s * 0.44, s * 0.32);
        folder.lineTo(s * 0.78, s * 0.32);
        folder.lineTo(s * 0.78, s * 0.5);
        folder.moveTo(s * 0.56, s * 0.8);
        folder.lineTo(m, s * 0.8);
        folder.lineTo(m, s * 0.22);
        painter.drawPath(folder);
        painter.drawLine(QPointF(s * 0.78, s * 0.58), QPointF(s * 0.78, s * 0.94));
        painter.drawLine(QPointF(s * 0.6, s * 0.76), QPointF(s * 0.96, s * 0.76));
    } else if (name == QLatin1String("doc.on.doc")) {
        // The back page is clipped where the front one lies over it.
        const QRectF front(s * 0.34, s * 0.3, s * 0.52, s * 0.66);
        QPainterPath visible;
        visible.addRect(QRectF(0, 0, s, s));
        QPainterPath covered;
        covered.addRect(front.adjusted(-m, -m, m, m));
        painter.save();
        painter.setClipPath(visible.subtracted(covered), Qt::IntersectClip);
        painter.drawRoundedRect(QRectF(s * 0.16, m, s * 0.52, s * 0.66), s * 0.08, s * 0.08);
        painter.restore();
        painter.drawRoundedRect(front, s * 0.08, s * 0.08);
    } else if (name == QLatin1String("lock.shield")) {
        QPainterPath shield;
        shield.moveTo(s * 0.5, m);
        shield.cubicTo(s * 0.66, s * 0.12, s * 0.8, s * 0.14, s * 0.88, s * 0.14);
        shield.cubicTo(s * 0.9, s * 0.6, s * 0.72, s * 0.84, s * 0.5, s - m);
        shield.cubicTo(s * 0.28, s * 0.84, s * 0.1, s * 0.6, s * 0.12, s * 0.14);
        shield.cubicTo(s * 0.2, s * 0.14, s * 0.34, s * 0.12, s * 0.5, m);
        painter.drawPath(shield);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRoundedRect(QRectF(s * 0.36, s * 0.46, s * 0.28, s * 0.22), s * 0.04, s * 0.04);
        painter.setPen(QPen(color, qMax(1.0, s / 16.0)));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(s * 0.4, s * 0.32, s * 0.2, s * 0.26), 0, 180 * 16);
    }
}

} // namespace

QPixmap pixmap(const QString& name, const QColor& color, int size, qreal devicePixelRatio) {
    QPixmap result = blank(size, size, devicePixelRatio);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSymbol(painter, name, color, size);
    return result;
}

QPixmap stepIcon(const QString& symbol, int number, const QColor& accent, const QColor& onAccent,
                 const QFont& badgeFont, qreal devicePixelRatio) {
    const int side = stepCircleSize + stepBadgeShift;
    QPixmap result = blank(side, side, devicePixelRatio);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF circle(stepBadgeShift, stepBadgeShift, stepCircleSize, stepCircleSize);
    QColor tint = accent;
    tint.setAlphaF(0.16f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tint);
    painter.drawEllipse(circle);

    const int symbolSize = 20;
    painter.save();
    painter.translate(circle.center() - QPointF(symbolSize / 2.0, symbolSize / 2.0));
    paintSymbol(painter, symbol, accent, symbolSize);
    painter.restore();

    const QRectF badge(0, 0, stepBadgeSize, stepBadgeSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawEllipse(badge);
    painter.setPen(onAccent);
    painter.setFont(badgeFont);
    painter.drawText(badge, Qt::AlignCenter, QString::number(number));
    return result;
}

} // namespace FirstRunSymbols
