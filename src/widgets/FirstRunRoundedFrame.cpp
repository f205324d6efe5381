#include "widgets/FirstRunRoundedFrame.h"

#include "widgets/FirstRunLook.h"

#include <QPainter>

FirstRunRoundedFrame::FirstRunRoundedFrame(qreal cornerRadius, qreal fillOpacity, qreal strokeOpacity, QWidget* parent)
    : QWidget(parent), m_cornerRadius(cornerRadius), m_fillOpacity(fillOpacity), m_strokeOpacity(strokeOpacity) {}

void FirstRunRoundedFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor secondary = FirstRunLook::secondary(palette());
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(FirstRunLook::withOpacity(secondary, m_strokeOpacity), 1));
    painter.setBrush(FirstRunLook::withOpacity(secondary, m_fillOpacity));
    painter.drawRoundedRect(shape, m_cornerRadius, m_cornerRadius);
}
