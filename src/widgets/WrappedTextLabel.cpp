#include "widgets/WrappedTextLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

WrappedTextLabel::WrappedTextLabel(int maxLines, QWidget* parent) : QWidget(parent), m_maxLines(maxLines) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void WrappedTextLabel::setText(const QString& text) {
    if (text == m_text) {
        return;
    }
    m_text = text;
    relayout();
    updateGeometry();
    update();
}

void WrappedTextLabel::setTextColor(const QColor& color) {
    m_color = color;
    m_hasColor = true;
    update();
}

int WrappedTextLabel::heightForWidth(int width) const {
    ElidedTextBlock block;
    block.setText(m_text, font(), width, m_maxLines);
    return qMax(qCeil(block.height()), m_text.isEmpty() ? 0 : QFontMetrics(font()).height());
}

QSize WrappedTextLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    // As wide as the text on one line would be, within reason; the layout gives what it has.
    const int width = qMin(metrics.horizontalAdvance(m_text), 60 * metrics.averageCharWidth());
    return {width, heightForWidth(qMax(width, 1))};
}

QSize WrappedTextLabel::minimumSizeHint() const {
    const QFontMetrics metrics(font());
    return {4 * metrics.averageCharWidth(), metrics.height()};
}

void WrappedTextLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_block.paint(painter, QPointF(0, 0), m_hasColor ? m_color : palette().color(QPalette::WindowText));
}

void WrappedTextLabel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void WrappedTextLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        relayout();
        updateGeometry();
    }
}

void WrappedTextLabel::relayout() {
    m_block.setText(m_text, font(), width(), m_maxLines);
}
