#pragma once

#include <QPalette>

class QApplication;

// The one dark appearance of the panel and of every window: Fusion with the island's scroll bars
// and a dark palette.
namespace OrrisHollowsAppearance {
QPalette darkPalette();
// Sets that style and the dark palette on the application; call once, before any window.
void applyDark(QApplication& application);
} // namespace OrrisHollowsAppearance
