#include "panel/island/IslandGeometry.h"

#include <QPolygon>

#include <algorithm>

IslandGeometry IslandGeometry::forWindow(QSizeF window) {
    return forWindow(window, Insets());
}

IslandGeometry IslandGeometry::forWindow(QSizeF window, Insets insets) {
    IslandGeometry g;
    g.windowWidth = window.width();
    g.fullWidth = std::max(insets.collapsedMinimumWidth, window.width() - 2 * insets.expandedHorizontalInset);
    g.fullHeight = std::max(insets.collapsedHeight, window.height() - 2 * insets.expandedVerticalInset);
    g.capsuleWidth = std::max(insets.collapsedMinimumWidth, window.width() * 0.3);
    g.capsuleHeight = insets.collapsedHeight;
    g.topInset = insets.expandedVerticalInset;
    return g;
}

qreal IslandGeometry::clampedExpansion(qreal expansion) {
    // Written so that NaN also reads as the capsule.
    if (!(expansion > 0)) {
        return 0;
    }
    return std::min(expansion, 1.0);
}

QRectF IslandGeometry::panelRect() const {
    return QRectF(windowWidth / 2 - fullWidth / 2, topInset, fullWidth, fullHeight);
}

QRectF IslandGeometry::shapeRect(qreal expansion) const {
    const qreal t = clampedExpansion(expansion);
    const qreal w = capsuleWidth + (fullWidth - capsuleWidth) * t;
    const qreal h = capsuleHeight + (fullHeight - capsuleHeight) * t;
    return QRectF(windowWidth / 2 - w / 2, topInset, w, h);
}

qreal IslandGeometry::cornerRadius(qreal expansion) const {
    return std::min(shapeRect(expansion).height() * 0.5, maximumCornerRadius);
}

QPainterPath IslandGeometry::shapePath(qreal expansion) const {
    QPainterPath path;
    const qreal r = cornerRadius(expansion);
    path.addRoundedRect(shapeRect(expansion), r, r);
    return path;
}

QRegion IslandGeometry::maskRegion(qreal expansion) const {
    return QRegion(shapePath(expansion).toFillPolygon().toPolygon());
}
