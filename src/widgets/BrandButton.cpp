#include "widgets/BrandButton.h"

#include "widgets/ActionLabelFit.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/IslandCurves.h"
#include "widgets/IslandDesignTokens.h"
#include "widgets/IslandIcons.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

using namespace IslandDesignTokens;

namespace {

constexpr qreal iconFrame = 26;

QPainterPath shapePath(const ButtonLook& look, const QRectF& rect) {
    QPainterPath path;
    const qreal radius = look.shape == ButtonLook::Shape::capsule ? rect.height() / 2 : look.cornerRadius;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

BrandButton::BrandButton(ButtonLook::Kind kind, const QString& title, QWidget* parent)
    : QAbstractButton(parent), m_kind(kind) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    m_pressAnimation.setDuration(int(IslandCurves::pressDuration.count()));
    m_pressAnimation.setEasingCurve(IslandCurves::press());
    connect(&m_pressAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_scale = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, &BrandButton::pressStateChanged);
    connect(this, &QAbstractButton::released, this, &BrandButton::pressStateChanged);
    const ButtonLook initial = look();
    setSizePolicy(initial.fillsWidth ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void BrandButton::setEmphasis(bool emphasis) {
    m_emphasis = emphasis;
    updateGeometry();
    update();
}

void BrandButton::setLabel(Label label, const QString& systemImage, bool labelEmphasis) {
    m_label = label;
    m_systemImage = systemImage;
    m_labelEmphasis = labelEmphasis;
    updateGeometry();
    update();
}

ButtonLook BrandButton::look() const {
    return ButtonLook::make(m_kind, {isEnabled(), isDown(), InterfaceEnvironment::reduceMotion(this)}, m_emphasis);
}

void BrandButton::pressStateChanged() {
    const ButtonLook target = look();
    m_pressAnimation.stop();
    if (!target.animatesPress || qFuzzyCompare(m_scale, target.scale)) {
        m_scale = target.scale;
        update();
        return;
    }
    m_pressAnimation.setStartValue(m_scale);
    m_pressAnimation.setEndValue(target.scale);
    m_pressAnimation.start();
    update();
}

void BrandButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        pressStateChanged();
    }
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QAbstractButton::changeEvent(event);
}

QFont BrandButton::labelFont(const ButtonLook& look) const {
    QFont f = font();
    switch (look.fontRole) {
    case ButtonLook::FontRole::inherit:
        break;
    case ButtonLook::FontRole::body:
        f.setPixelSize(PromptPanelTextSizes::pixelSize(PromptPanelTextSizes::TextStyle::body,
                                                       InterfaceEnvironment::textSize(this)));
        break;
    case ButtonLook::FontRole::caption:
        f.setPixelSize(PromptPanelTextSizes::pixelSize(PromptPanelTextSizes::TextStyle::caption,
                                                       InterfaceEnvironment::textSize(this)));
        break;
    case ButtonLook::FontRole::fixed:
        f.setPixelSize(look.fixedPixelSize);
        break;
    }
    if (look.fontRole != ButtonLook::FontRole::inherit) {
        f.setWeight(look.weight);
    }
    return f;
}

QSize BrandButton::sizeHint() const {
    const ButtonLook l = look();
    const QFontMetricsF metrics(labelFont(l));
    qreal width = metrics.horizontalAdvance(text());
    if (m_label != Label::plain) {
        width += iconFrame + (m_label == Label::bottomToolbar ? 7 : 8);
    }
    width += 2 * l.horizontalPadding;
    qreal height = l.fixedHeight > 0 ? l.fixedHeight : std::max(l.minimumHeight, metrics.height() + 8);
    if (m_label != Label::plain && l.fixedHeight <= 0) {
        height = std::max(height, iconFrame + 4);
    }
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

QSize BrandButton::minimumSizeHint() const {
    const QSize hint = sizeHint();
    const ButtonLook l = look();
    return l.fillsWidth ? QSize(int(2 * l.horizontalPadding + iconFrame), hint.height()) : hint;
}

void BrandButton::paintEvent(QPaintEvent*) {
    const ButtonLook l = look();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF bounds = QRectF(rect());
    if (!qFuzzyCompare(m_scale, 1.0)) {
        painter.translate(bounds.center());
        painter.scale(m_scale, m_scale);
        painter.translate(-bounds.center());
    }
    if (l.shape != ButtonLook::Shape::none) {
        const QPainterPath path = shapePath(l, bounds);
        QLinearGradient fill(bounds.topLeft(), bounds.bottomLeft());
        fill.setColorAt(0, l.fillTop);
        fill.setColorAt(1, l.fillBottom);
        painter.fillPath(path, fill);
        if (l.tint.isValid() && l.tint.alpha() > 0) {
            painter.fillPath(path, l.tint);
        }
        if (l.outlineWidth > 0 && l.outline.alpha() > 0) {
            // Drawn inside the edge, as a border.
            const qreal inset = l.outlineWidth / 2;
            QPen pen(l.outline, l.outlineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(shapePath(l, bounds.adjusted(inset, inset, -inset, -inset)));
        }
    }
    if (hasFocus() && l.shape != ButtonLook::Shape::none) {
        QPen ring(withOpacity(Brand::accent, 0.9), 1.5);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shapePath(l, bounds.adjusted(1, 1, -1, -1)));
    }
    const QRectF content = bounds.adjusted(l.horizontalPadding, 0, -l.horizontalPadding, 0);
    paintLabel(painter, l, content);
}

ActionLabelFit BrandButton::titleFit(const ButtonLook& l, const QRectF& content) const {
    const QFont font = labelFont(l);
    ActionLabelFit fit;
    if (m_label == Label::plain) {
        fit.text = QFontMetricsF(font).elidedText(text(), Qt::ElideRight, content.width());
        return fit;
    }
    const qreal spacing = m_label == Label::bottomToolbar ? 7 : 8;
    const qreal available = std::max(0.0, content.width() - iconFrame - spacing);
    if (m_label == Label::panelAction) {
        return ActionLabelFit::fit(text(), font, available);
    }
    fit.text = QFontMetricsF(font).elidedText(text(), Qt::ElideRight, available);
    return fit;
}

QString BrandButton::shownTitle() const {
    const ButtonLook l = look();
    return titleFit(l, QRectF(rect()).adjusted(l.horizontalPadding, 0, -l.horizontalPadding, 0)).text;
}

void BrandButton::paintLabel(QPainter& painter, const ButtonLook& l, const QRectF& content) const {
    const QFont font = labelFont(l);
    painter.setPen(l.foreground);
    if (m_label == Label::plain) {
        painter.setFont(font);
        painter.drawText(content, Qt::AlignCenter, titleFit(l, content).text);
        return;
    }

    const qreal spacing = m_label == Label::bottomToolbar ? 7 : 8;
    const ActionLabelFit fit = titleFit(l, content);
    const QFont drawFont = fit.fontFor(font);
    const qreal titleWidth = QFontMetricsF(drawFont).horizontalAdvance(fit.text) * fit.scale;
    const qreal rowWidth = iconFrame + spacing + titleWidth;
    const qreal left = content.center().x() - rowWidth / 2;
    const QRectF iconRect(left, content.center().y() - iconFrame / 2, iconFrame, iconFrame);

    QColor iconColor;
    QColor circle;
    qreal glyph = 13;
    qreal weight = 1.3;
    if (m_label == Label::bottomToolbar) {
        if (m_labelEmphasis) {
            iconColor = Qt::white;
            circle = Brand::accent;
        } else {
            iconColor = white(0.9);
            glyph = 17;
            weight = 1.0;
        }
    } else {
        iconColor = m_labelEmphasis ? Brand::accent : white(0.9);
        circle = m_labelEmphasis ? withOpacity(Brand::accent, 0.14) : white(0.075);
    }
    if (circle.isValid()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(circle);
        painter.drawEllipse(iconRect);
    }
    const qreal box = glyph * 0.85;
    IslandIcons::paint(painter, m_systemImage,
                       QRectF(iconRect.center().x() - box / 2, iconRect.center().y() - box / 2, box, box), iconColor,
                       weight);

    painter.save();
    painter.setPen(l.foreground);
    painter.setFont(drawFont);
    const QRectF titleRect(iconRect.right() + spacing, content.top(), titleWidth, content.height());
    painter.translate(titleRect.left(), titleRect.center().y());
    painter.scale(fit.scale, fit.scale);
    const qreal unscaledWidth = titleWidth / fit.scale;
    painter.drawText(QRectF(0, -content.height() / (2 * fit.scale), unscaledWidth + 1, content.height() / fit.scale),
                     Qt::AlignLeft | Qt::AlignVCenter, fit.text);
    painter.restore();
}
