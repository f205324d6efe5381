#include "panel/header/SourceNoticeView.h"

#include "widgets/IslandDesignTokens.h"

#include <QPainter>
#include <QPainterPath>

namespace {
const QColor orange(255, 159, 10);
}

SourceNoticeView::SourceNoticeView(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setObjectName(QStringLiteral("sourceNotice"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setContentsMargins(10, 7, 10, 7);
    QFont caption = font();
    caption.setPixelSize(11);
    setFont(caption);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, orange);
    setPalette(palette);
}

void SourceNoticeView::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 18, 18);
        painter.fillPath(shape, IslandDesignTokens::withOpacity(orange, 0.12));
    }
    QLabel::paintEvent(event);
}
