#include "panel/OrrisHollowsStyle.h"

#include "panel/IslandDesignTokens.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionSlider>

#include <algorithm>

namespace {

// The handle's inset from the bar's edges, so it floats inside the track.
constexpr int handleInset = 2;

} // namespace

OrrisHollowsStyle::OrrisHollowsStyle(QStyle* base)
    : QProxyStyle(base ? base : QStyleFactory::create(QStringLiteral("Fusion"))) {}

int OrrisHollowsStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_ScrollBarExtent:
        return scrollBarExtent;
    case PM_ScrollBarSliderMin:
        return minimumHandleLength;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int OrrisHollowsStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                 QStyleHintReturn* returnData) const {
    // A click on the track jumps there, as a bar without arrows is expected to behave.
    if (hint == SH_ScrollBar_LeftClickAbsolutePosition) {
        return 1;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QRect OrrisHollowsStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl subControl, const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar) {
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
    const QRect track = bar->rect;
    const bool horizontal = bar->orientation == Qt::Horizontal;
    const int trackLength = horizontal ? track.width() : track.height();
    switch (subControl) {
    case SC_ScrollBarAddLine:
    case SC_ScrollBarSubLine:
        return {};
    case SC_ScrollBarGroove:
        return track;
    case SC_ScrollBarSlider:
    case SC_ScrollBarAddPage:
    case SC_ScrollBarSubPage: {
        const qint64 range = qint64(bar->maximum) - bar->minimum;
        int length = trackLength;
        if (range > 0) {
            length = int(qint64(trackLength) * bar->pageStep / (range + bar->pageStep));
        }
        length = std::clamp(length, std::min(minimumHandleLength, trackLength), trackLength);
        const int start = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition, trackLength - length,
                                                  bar->upsideDown);
        QRect rect;
        if (subControl == SC_ScrollBarSlider) {
            rect = horizontal ? QRect(start, 0, length, track.height()) : QRect(0, start, track.width(), length);
        } else if (subControl == SC_ScrollBarSubPage) {
            rect = horizontal ? QRect(0, 0, start, track.height()) : QRect(0, 0, track.width(), start);
        } else {
            const int end = start + length;
            rect = horizontal ? QRect(end, 0, trackLength - end, track.height())
                              : QRect(0, end, track.width(), trackLength - end);
        }
        return visualRect(bar->direction, track, rect.translated(track.topLeft()));
    }
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void OrrisHollowsStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                           const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    if (bar->maximum <= bar->minimum) {
        return; // nothing to scroll: the track stays empty
    }
    const bool active =
        (bar->activeSubControls & SC_ScrollBarSlider) && (bar->state & (State_MouseOver | State_Sunken));
    const QRectF handle = QRectF(subControlRect(control, option, SC_ScrollBarSlider, widget))
                              .adjusted(handleInset, handleInset, -handleInset, -handleInset);
    if (handle.isEmpty()) {
        return;
    }
    const qreal radius = std::min(handle.width(), handle.height()) / 2;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(IslandDesignTokens::white(!(bar->state & State_Enabled) ? 0.12 : active ? 0.42 : 0.24));
    painter->drawRoundedRect(handle, radius, radius);
    painter->restore();
}
