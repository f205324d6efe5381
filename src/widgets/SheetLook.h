#pragma once

#include "model/environment/UserDefaults.h"

#include <QColor>
#include <QFont>

class QWidget;

// The look the editing sheets and the shortcut recorder share, kept in one place until the
// panel's design tokens and text-size table take it over: colours, the interface text size the
// user chose for the panel, and the fonts it gives.
namespace SheetLook {

enum class TextSize { system, comfortable, large };

inline const QString textSizeKey = QStringLiteral("OrrisHollows.panelTextSize.v1");

// The stored text size; anything else reads as system.
TextSize textSize(const UserDefaults& defaults);

QColor surface();
QColor border();
QColor accent();
QColor textPrimary();
QColor secondaryText();
QColor errorText();
QColor fieldBackground();

// The sheet's base font for the text size (13, 15 or 17 pixels).
QFont baseFont(TextSize size);
// Headings: the base font, bold, a little larger.
QFont headingFont(TextSize size);
// Captions and help lines (10, 12 or 13 pixels).
QFont captionFont(TextSize size, bool semibold = false);

// A sheet card: the surface colour, a thin border and rounded corners, drawn by its style sheet.
void styleCard(QWidget* card);

// The colour a label's text is drawn in.
void setTextColour(QWidget* widget, const QColor& colour);

} // namespace SheetLook
