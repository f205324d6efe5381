#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QPushButton;

// The colours and fonts of the first-run card and welcome guide, kept in one place so that the
// brand colours and the interface text size can replace them without touching the views.
namespace FirstRunLook {

// Secondary text and the tint of outlines and fills: the window text, dimmed.
QColor secondary(const QPalette& palette);
QColor withOpacity(QColor color, qreal opacity);
QColor success();
QColor accent(const QPalette& palette);
QColor onAccent(const QPalette& palette);

enum class TextRole {
    checklistTitle,
    checklistRow,
    welcomeTitle,
    welcomeBody,
    stepTitle,
    stepDetail,
    stepBadge,
    privacyNote,
};

// The one place the two views take their fonts from; sizes are in pixels.
QFont font(TextRole role, const QFont& base);

// Buttons: the secondary look follows the palette; the primary one is filled with the accent.
void stylePrimaryButton(QPushButton* button);

} // namespace FirstRunLook
