#pragma once

#include <QPalette>

class QApplication;

// The one dark appearance of the panel and of every window: the Fusion style with a dark palette.
namespace OrrisHollowsAppearance {
QPalette darkPalette();
// Sets the Fusion style and the dark palette on the application; call once, before any window.
void applyDark(QApplication& application);
} // namespace OrrisHollowsAppearance
