#include "windows/settings/SettingsSwitch.h"

#include "widgets/IslandDesignTokens.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

namespace {

constexpr int spacing = 12;

} // namespace

SettingsSwitch::SettingsSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SettingsSwitch::sizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + spacing + trackWidth,
                 std::max(trackHeight + 4, metrics.height() + 6));
}

QSize SettingsSwitch::minimumSizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(trackWidth + spacing + metrics.averageCharWidth() * 6,
                 std::max(trackHeight + 4, metrics.height() + 6));
}

bool SettingsSwitch::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

void SettingsSwitch::paintEvent(QPaintEvent*) {
    using namespace IslandDesignTokens;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const bool enabled = isEnabled();

    const QRectF track(width() - trackWidth - 1, (height() - trackHeight) / 2.0, trackWidth, trackHeight);
    const QRectF textRect(0, 0, track.left() - spacing, height());
    painter.setPen(palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, int(textRect.width())));

    QColor fill = isChecked() ? Brand::accent : white(0.18);
    if (!enabled) {
        fill = withOpacity(fill, isChecked() ? 0.35 : 0.08);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
    const qreal knob = trackHeight - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(enabled ? QColor(Qt::white) : white(0.45));
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(withOpacity(Brand::accent, 0.8), 1.5));
        painter.drawRoundedRect(track.adjusted(-2, -2, 2, 2), trackHeight / 2.0 + 2, trackHeight / 2.0 + 2);
    }
}
