#include "panel/tiles/TileCornerButton.h"

#include "panel/tiles/TileIcons.h"
#include "panel/tiles/TileLook.h"

#include <QPainter>

TileCornerButton::TileCornerButton(Kind kind, QWidget* parent) : QAbstractButton(parent), m_kind(kind) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    const QSize size = kind == Kind::retry ? QSize(22, 22) : QSize(20, 20);
    setFixedSize(size);
}

QSize TileCornerButton::sizeHint() const {
    return m_kind == Kind::retry ? QSize(22, 22) : QSize(20, 20);
}

void TileCornerButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    if (m_kind == Kind::retry) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(TileLook::withOpacity(TileLook::red(), isDown() ? 0.75 : 0.9));
        painter.drawEllipse(bounds);
        TileIcons::arrowClockwise(painter, bounds.adjusted(5.5, 5.5, -5.5, -5.5), Qt::white, 1.8);
        return;
    }
    if (isDown() || underMouse()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(TileLook::white(isDown() ? 0.16 : 0.08));
        painter.drawEllipse(bounds);
    }
    TileIcons::ellipsis(painter, bounds.adjusted(4, 4, -4, -4), TileLook::white(0.72));
}
