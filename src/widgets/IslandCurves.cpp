#include "widgets/IslandCurves.h"

#include <QPointF>

namespace {

QEasingCurve cubicBezier(qreal x1, qreal y1, qreal x2, qreal y2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1.0, 1.0));
    return curve;
}

} // namespace

namespace IslandCurves {

QEasingCurve standard() {
    static const QEasingCurve curve = cubicBezier(0.4, 0.0, 0.2, 1.0);
    return curve;
}

QEasingCurve easeOut() {
    static const QEasingCurve curve = cubicBezier(0.0, 0.0, 0.58, 1.0);
    return curve;
}

QEasingCurve press() {
    static const QEasingCurve curve = cubicBezier(0.23, 1.0, 0.32, 1.0);
    return curve;
}

} // namespace IslandCurves
