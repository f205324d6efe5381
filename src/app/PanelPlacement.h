#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

// How large the island panel is and where it stands, in the desktop's coordinates (y grows
// downwards). Pure: the status controller feeds in the screens, the anchor and the counts.
namespace PanelPlacement {

inline constexpr int panelWidth = 520;
inline constexpr int minimumHeight = 480;
inline constexpr int maximumHeight = 720;
inline constexpr int lowestMaximumHeight = 300;
inline constexpr int screenReserve = 16;
inline constexpr int gridColumns = 3;
inline constexpr int gridRowHeight = 116;
inline constexpr int listRowHeight = 82;
inline constexpr int rowSpacing = 10;
inline constexpr int sectionHeight = 34;
inline constexpr int fixedHeight = 330;
inline constexpr int anchorGap = 4;
inline constexpr int screenMargin = 8;
inline constexpr int leftEdgeTolerance = 1;

struct Screen {
    QRect geometry;
    QRect availableGeometry;
};

// The first screen whose geometry, else whose available geometry, intersects the rectangle.
std::optional<int> screenContaining(const QList<Screen>& screens, const QRect& rect);

// min(available height - 16, 720), never under 300; 720 without a screen.
int maximumAvailableHeight(const std::optional<QRect>& availableGeometry);

// The height the content asks for (no prompt and no section count as one each), with the
// header lines and banners that show beyond the fixed part, at least 480, then limited by the
// screen.
// The grid's cells that prompts in sections of these sizes fill: each section starts a row of its
// own, so its last row counts whole. Passed to panelHeight as the prompt count of a grid.
int gridCellCount(const QList<int>& sectionSizes);

int panelHeight(int promptCount, int sectionCount, bool listLayout, int maximumAvailable, int headerLinesHeight = 0);

// The panel's frame for an anchor (the status item's frame; empty when unknown) on a screen's
// available geometry (empty without a screen). The panel hangs centred under the anchor, 4 below
// it, kept 8 inside the screen; an anchor in the lower half of its screen opens the panel upward.
// Without an anchor, or with one at or beyond the screen's left edge, the panel is centred on
// the screen.
QRect panelFrame(const QSize& size, const QRect& anchor, const QRect& availableGeometry,
                 const QRect& screenGeometry = QRect());

} // namespace PanelPlacement
