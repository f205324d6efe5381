#include "widgets/MiddleElidedLabel.h"

void MiddleElidedLabel::setFullText(const QString& text) {
    m_full = text;
    updateElided();
}

QSize MiddleElidedLabel::minimumSizeHint() const {
    return {20, QLabel::minimumSizeHint().height()};
}

QSize MiddleElidedLabel::sizeHint() const {
    if (!m_prefersFullWidth) {
        return QLabel::sizeHint();
    }
    return {fontMetrics().horizontalAdvance(m_full), QLabel::sizeHint().height()};
}

void MiddleElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateElided();
}

void MiddleElidedLabel::updateElided() {
    setText(fontMetrics().elidedText(m_full, Qt::ElideMiddle, qMax(0, width())));
}
