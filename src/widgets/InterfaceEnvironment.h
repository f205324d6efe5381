#pragma once

#include "model/PromptPanelTextSize.h"

#include <QFont>

class QWidget;
class TextSizeStore;

// Values a root widget hands down to everything inside it: the interface text size and the
// reduce-motion setting. A widget looks them up on itself and its ancestors; outside any root it
// sees the defaults (system size, motion on).
namespace InterfaceEnvironment {
PromptPanelTextSize textSize(const QWidget* widget);
bool reduceMotion(const QWidget* widget);
void setReduceMotion(QWidget* root, bool reduceMotion);
// Marks a widget (a label, a field) whose font follows a text style of the interface text size.
void setTextStyle(QWidget* widget, PromptPanelTextSizes::TextStyle style);
// Gives a widget a font drawn for the system text size (its pixel size) and keeps it scaled, at
// the same proportion as the base font, to the text size of its root.
void setScaledFont(QWidget* widget, const QFont& systemSizedFont);
// A font drawn for the system text size, scaled to `size`.
QFont scaledFont(const QFont& systemSizedFont, PromptPanelTextSize size);
} // namespace InterfaceEnvironment

// Applies the interface text size to `root` and everything inside it at once: the base font by
// pixel size, the marked text styles, and the value inner views read with
// InterfaceEnvironment::textSize.
void applyInterfaceTextSize(QWidget* root, PromptPanelTextSize size);
// Applies the store's size now and again on every change, for as long as `root` lives.
void applyInterfaceTextSize(QWidget* root, TextSizeStore& store);
