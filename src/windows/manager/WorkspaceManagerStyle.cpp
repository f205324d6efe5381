#include "windows/manager/WorkspaceManagerStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace WorkspaceManagerStyle {

void setSecondary(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgba(secondaryText));
    widget->setPalette(palette);
}

QPainterPath folderOutline(qreal size) {
    const qreal s = size;
    QPainterPath path;
    path.moveTo(0.1 * s, 0.25 * s);
    path.lineTo(0.4 * s, 0.25 * s);
    path.lineTo(0.48 * s, 0.35 * s);
    path.lineTo(0.9 * s, 0.35 * s);
    path.lineTo(0.9 * s, 0.8 * s);
    path.lineTo(0.1 * s, 0.8 * s);
    path.closeSubpath();
    return path;
}

QPixmap outlineSymbol(const QPainterPath& path, int size, qreal ratio, const QColor& colour, qreal penWidth) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.end();
    return pixmap;
}

} // namespace WorkspaceManagerStyle
