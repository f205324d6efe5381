#pragma once

#include <QEasingCurve>

#include <chrono>

// The timing curves of the island and its controls.
namespace IslandCurves {
// The island's morph: cubic Bézier (0.4, 0.0) (0.2, 1.0).
QEasingCurve standard();
// Content fades: the platform's ease-out, cubic Bézier (0, 0) (0.58, 1).
QEasingCurve easeOut();
// Press feedback of buttons and tiles: cubic Bézier (0.23, 1.0) (0.32, 1.0).
QEasingCurve press();
inline constexpr std::chrono::milliseconds pressDuration{120};
} // namespace IslandCurves
