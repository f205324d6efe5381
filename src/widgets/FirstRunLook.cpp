#include "widgets/FirstRunLook.h"

#include <QPushButton>

namespace FirstRunLook {

QColor secondary(const QPalette& palette) {
    return withOpacity(palette.color(QPalette::WindowText), 0.6);
}

QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

QColor success() {
    return QColor(48, 209, 88);
}

QColor accent(const QPalette& palette) {
    return palette.color(QPalette::Highlight);
}

QColor onAccent(const QPalette& palette) {
    return palette.color(QPalette::HighlightedText);
}

QFont font(TextRole role, const QFont& base) {
    struct Style {
        int pixelSize;
        QFont::Weight weight;
    };
    Style style{13, QFont::Normal};
    switch (role) {
    case TextRole::checklistTitle:
        style = {13, QFont::Bold};
        break;
    case TextRole::checklistRow:
        style = {10, QFont::Normal};
        break;
    case TextRole::welcomeTitle:
        style = {26, QFont::Bold};
        break;
    case TextRole::welcomeBody:
        style = {13, QFont::Normal};
        break;
    case TextRole::stepTitle:
        // Bold rather than semibold: the CJK fallback fonts have no semibold face, and only a
        // bold request makes Qt embolden them.
        style = {13, QFont::Bold};
        break;
    case TextRole::stepDetail:
        style = {13, QFont::Normal};
        break;
    case TextRole::stepBadge:
        style = {11, QFont::Bold};
        break;
    case TextRole::privacyNote:
        style = {10, QFont::Normal};
        break;
    }
    QFont result = base;
    result.setPixelSize(style.pixelSize);
    result.setWeight(style.weight);
    return result;
}

void stylePrimaryButton(QPushButton* button) {
    QPalette palette = button->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Button, accent(palette));
        palette.setColor(group, QPalette::ButtonText, onAccent(palette));
    }
    button->setPalette(palette);
}

} // namespace FirstRunLook
