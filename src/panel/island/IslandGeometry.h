#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QRegion>
#include <QSizeF>

// Where the island lies in its window for a given expansion (0 capsule, 1 full). Only the
// expansion moves during the morph; every size below follows from it and the window size.
struct IslandGeometry {
    struct Insets {
        qreal collapsedHeight = 28;
        qreal collapsedMinimumWidth = 124;
        qreal expandedHorizontalInset = 18;
        qreal expandedVerticalInset = 10;
    };

    static constexpr qreal maximumCornerRadius = 30;
    static constexpr qreal glassCornerRadius = 30;
    static constexpr qreal shadowCornerRadius = 36;
    // How far content (down) and toolbar (up) slide into place.
    static constexpr qreal slideDistance = 8;

    qreal windowWidth = 0;
    qreal fullWidth = 0;
    qreal fullHeight = 0;
    qreal capsuleWidth = 0;
    qreal capsuleHeight = 0;
    qreal topInset = 0;

    // With the panel's insets: 28, 124, 18 and 10.
    static IslandGeometry forWindow(QSizeF window);
    static IslandGeometry forWindow(QSizeF window, Insets insets);
    // Values above 1 (an overshoot) draw the full shape, negative ones the capsule.
    static qreal clampedExpansion(qreal expansion);

    // The full-size frame of content, toolbar and glass, in window coordinates.
    QRectF panelRect() const;
    // The shape at `expansion`: centred, its top edge `topInset` below the window's top.
    QRectF shapeRect(qreal expansion) const;
    qreal cornerRadius(qreal expansion) const;
    QPainterPath shapePath(qreal expansion) const;
    // The shape as a region of whole pixels, for a window mask.
    QRegion maskRegion(qreal expansion) const;
};
