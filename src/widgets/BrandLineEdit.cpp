#include "widgets/BrandLineEdit.h"

#include "widgets/IslandDesignTokens.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

using namespace IslandDesignTokens;

BrandLineEdit::Look BrandLineEdit::look(bool focused) {
    Look look;
    look.fill = withOpacity(Brand::neutral, 0.72);
    look.outline = focused ? Brand::accent : Brand::border;
    look.outlineWidth = focused ? 2 : 1;
    return look;
}

BrandLineEdit::BrandLineEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    const Look chrome = look(false);
    setTextMargins(int(chrome.horizontalPadding), 0, int(chrome.horizontalPadding), 0);
    // The chrome is painted here; the line edit draws its text on a clear base.
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    p.setColor(QPalette::Text, Brand::textPrimary);
    setPalette(p);
}

QSize BrandLineEdit::sizeHint() const {
    QSize hint = QLineEdit::sizeHint();
    hint.setHeight(std::max(hint.height(), int(look(false).minimumHeight)));
    return hint;
}

QSize BrandLineEdit::minimumSizeHint() const {
    QSize hint = QLineEdit::minimumSizeHint();
    hint.setHeight(std::max(hint.height(), int(look(false).minimumHeight)));
    return hint;
}

void BrandLineEdit::paintEvent(QPaintEvent* event) {
    {
        const Look chrome = look(hasFocus());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QRectF bounds = QRectF(rect());
        QPainterPath fill;
        fill.addRoundedRect(bounds, chrome.cornerRadius, chrome.cornerRadius);
        painter.fillPath(fill, chrome.fill);
        const qreal inset = chrome.outlineWidth / 2;
        QPainterPath outline;
        outline.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), chrome.cornerRadius - inset,
                               chrome.cornerRadius - inset);
        painter.setPen(QPen(chrome.outline, chrome.outlineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter.drawPath(outline);
    }
    QLineEdit::paintEvent(event);
}

void BrandLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    update();
}

void BrandLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    update();
}
