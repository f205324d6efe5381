#include "widgets/OrrisHollowsStyle.h"

#include "widgets/IslandDesignTokens.h"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The handle's inset from the bar's edges, so it floats inside the track.
constexpr int handleInset = 2;

// Room a brand button with a menu keeps at its trailing edge for the chevron.
constexpr qreal menuChevronWidth = 14;

constexpr const char* brandKindProperty = "orrisBrandButtonKind";
constexpr const char* brandEmphasisProperty = "orrisBrandButtonEmphasis";

// The brand look a push button asked for, in the state the option describes.
std::optional<ButtonLook> brandLook(const QStyleOption* option, const QWidget* widget) {
    if (widget == nullptr) {
        return std::nullopt;
    }
    const QVariant kind = widget->property(brandKindProperty);
    if (!kind.isValid()) {
        return std::nullopt;
    }
    ButtonLook::State state;
    state.enabled = option->state & QStyle::State_Enabled;
    state.pressed = option->state & QStyle::State_Sunken;
    state.reduceMotion = true; // a dialog button does not shrink
    return ButtonLook::make(ButtonLook::Kind(kind.toInt()), state, widget->property(brandEmphasisProperty).toBool());
}

} // namespace

OrrisHollowsStyle::OrrisHollowsStyle(QStyle* base)
    : QProxyStyle(base ? base : QStyleFactory::create(QStringLiteral("Fusion"))) {}

void OrrisHollowsStyle::setBrandLook(QPushButton* button, ButtonLook::Kind kind, bool emphasis) {
    button->setProperty(brandKindProperty, int(kind));
    button->setProperty(brandEmphasisProperty, emphasis);
    button->setFlat(false);
    button->updateGeometry();
    button->update();
}

void OrrisHollowsStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const std::optional<ButtonLook> look =
        element == CE_PushButton && button != nullptr ? brandLook(option, widget) : std::nullopt;
    if (!look) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    const qreal radius = look->shape == ButtonLook::Shape::capsule ? bounds.height() / 2 : look->cornerRadius;
    shape.addRoundedRect(bounds, radius, radius);
    if (look->shape != ButtonLook::Shape::none) {
        QLinearGradient fill(bounds.topLeft(), bounds.bottomLeft());
        fill.setColorAt(0, look->fillTop);
        fill.setColorAt(1, look->fillBottom);
        painter->fillPath(shape, fill);
        if (look->tint.isValid() && look->tint.alpha() > 0) {
            painter->fillPath(shape, look->tint);
        }
        if (look->outlineWidth > 0 && look->outline.alpha() > 0) {
            painter->setPen(QPen(look->outline, look->outlineWidth));
            painter->drawPath(shape);
        }
    }
    if (option->state & State_HasFocus) {
        painter->setPen(QPen(IslandDesignTokens::withOpacity(IslandDesignTokens::Brand::accent, 0.9), 1.5));
        painter->setBrush(Qt::NoBrush);
        QPainterPath ring;
        ring.addRoundedRect(bounds.adjusted(1, 1, -1, -1), std::max(radius - 1, 0.0), std::max(radius - 1, 0.0));
        painter->drawPath(ring);
    }
    QFont font = widget->font();
    font.setWeight(look->weight);
    painter->setFont(font);
    painter->setPen(look->foreground);
    QRectF content = bounds.adjusted(look->horizontalPadding, 0, -look->horizontalPadding, 0);
    if (button->features & QStyleOptionButton::HasMenu) {
        // A pull-down: a small chevron after the title says a click opens a menu.
        content.setRight(content.right() - menuChevronWidth);
        const QPointF centre(content.right() + menuChevronWidth / 2 + 1, bounds.center().y());
        const qreal half = 3.5;
        QPainterPath chevron;
        chevron.moveTo(centre + QPointF(-half, -half / 2));
        chevron.lineTo(centre + QPointF(0, half / 2));
        chevron.lineTo(centre + QPointF(half, -half / 2));
        painter->setPen(QPen(look->foreground, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(chevron);
        painter->setPen(look->foreground);
    }
    const QString shown = QFontMetricsF(font).elidedText(button->text, Qt::ElideRight, content.width());
    painter->drawText(content, Qt::AlignCenter | Qt::TextShowMnemonic, shown);
    painter->restore();
}

QSize OrrisHollowsStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contentsSize,
                                          const QWidget* widget) const {
    QSize size = QProxyStyle::sizeFromContents(type, option, contentsSize, widget);
    const std::optional<ButtonLook> look = type == CT_PushButton ? brandLook(option, widget) : std::nullopt;
    if (!look) {
        return size;
    }
    QFont font = widget->font();
    font.setWeight(look->weight);
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const int text = button != nullptr ? int(std::ceil(QFontMetricsF(font).horizontalAdvance(button->text))) + 1 : 0;
    const int chevron =
        button != nullptr && (button->features & QStyleOptionButton::HasMenu) ? int(menuChevronWidth) : 0;
    size.setWidth(std::max(size.width(), text + chevron + int(2 * look->horizontalPadding)));
    const int height =
        look->fixedHeight > 0 ? int(look->fixedHeight) : std::max(size.height(), int(std::ceil(look->minimumHeight)));
    size.setHeight(height);
    return size;
}

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
