#include "app/PanelPlacement.h"

#include <algorithm>

namespace PanelPlacement {

std::optional<int> screenContaining(const QList<Screen>& screens, const QRect& rect) {
    for (int i = 0; i < screens.size(); ++i) {
        if (screens[i].geometry.intersects(rect) || screens[i].availableGeometry.intersects(rect)) {
            return i;
        }
    }
    return std::nullopt;
}

int maximumAvailableHeight(const std::optional<QRect>& availableGeometry) {
    if (!availableGeometry) {
        return maximumHeight;
    }
    const int height = std::min(availableGeometry->height() - screenReserve, maximumHeight);
    return std::max(height, lowestMaximumHeight);
}

int gridCellCount(const QList<int>& sectionSizes) {
    int cells = 0;
    for (const int size : sectionSizes) {
        cells += (std::max(size, 0) + gridColumns - 1) / gridColumns * gridColumns;
    }
    return cells;
}

int panelHeight(int promptCount, int sectionCount, bool listLayout, int maximumAvailable, int headerLinesHeight) {
    const int prompts = std::max(promptCount, 1);
    const int sections = std::max(sectionCount, 1);
    const int rows = listLayout ? prompts : std::max((prompts + gridColumns - 1) / gridColumns, 1);
    const int rowHeight = listLayout ? listRowHeight : gridRowHeight;
    int height = rowHeight * rows + rowSpacing * (rows - 1) + sectionHeight * sections + fixedHeight +
                 std::max(headerLinesHeight, 0);
    height = std::max(height, minimumHeight);
    return std::min(height, maximumAvailable);
}

QRect panelFrame(const QSize& size, const QRect& anchor, const QRect& availableGeometry, const QRect& screenGeometry) {
    const QRect& v = availableGeometry;
    const int w = size.width();
    const int h = size.height();

    int x = anchor.isEmpty() || anchor.x() + anchor.width() <= v.x() + leftEdgeTolerance
                ? v.x() + v.width() / 2 - w / 2
                : anchor.x() + anchor.width() / 2 - w / 2;
    if (x <= v.x() + screenMargin) {
        x = v.x() + screenMargin;
    }
    // The right clamp comes last and wins on a screen narrower than the panel.
    if (v.x() + v.width() - w - screenMargin < x) {
        x = v.x() + v.width() - w - screenMargin;
    }

    const QRect& screen = screenGeometry.isEmpty() ? v : screenGeometry;
    const bool opensUpward = !anchor.isEmpty() && anchor.y() + anchor.height() / 2 > screen.y() + screen.height() / 2;
    int y = 0;
    if (opensUpward) {
        y = anchor.y() - anchorGap - h;
        if (y < v.y() + screenMargin) {
            y = v.y() + screenMargin;
        }
        if (y + h > v.y() + v.height() - screenMargin) {
            y = v.y() + v.height() - screenMargin - h;
        }
    } else {
        y = anchor.isEmpty() ? v.y() : anchor.y() + anchor.height() + anchorGap;
        if (y + h >= v.y() + v.height() - screenMargin) {
            y = v.y() + v.height() - screenMargin - h;
        }
        // The top clamp comes last: the panel's top edge stays 8 inside the screen.
        if (y < v.y() + screenMargin) {
            y = v.y() + screenMargin;
        }
    }
    return QRect(x, y, w, h);
}

} // namespace PanelPlacement
