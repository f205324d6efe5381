#pragma once

#include "panel/tiles/PromptPanelLayoutMode.h"

#include <QList>
#include <QRect>

// Where every section and tile of the panel's stage sits, worked out from the counts alone, so
// the stage knows its height and which tiles meet the visible area without a widget per tile.
// Tiles have one size per layout: three 130 x 116 columns or one 410 x 82 row, 10 apart.
// Sections stack 12 apart; a section is its header, then (when it has tiles) 10 and its tiles.
class PromptStageLayout {
public:
    static constexpr int blockWidth = 410; // 3 x 130 + 2 x 10
    static constexpr int spacing = 10;
    static constexpr int sectionSpacing = 12;

    struct Section {
        int headerHeight = 0;
        int count = 0;
    };
    // Tiles [first, last) of a section.
    struct Range {
        int first = 0;
        int last = 0;
        bool isEmpty() const { return last <= first; }
        bool operator==(const Range&) const = default;
    };

    PromptStageLayout() = default;
    PromptStageLayout(PromptPanelLayoutMode mode, const QList<Section>& sections);

    PromptPanelLayoutMode mode() const { return m_mode; }
    int sectionCount() const { return int(m_sections.size()); }
    const Section& section(int index) const { return m_sections[index]; }
    // The stage's height: 0 without sections.
    int height() const { return m_height; }
    // A section's top in the stage, and its rectangle (x from the block's left edge).
    int sectionTop(int index) const { return m_tops[index]; }
    QRect sectionRect(int index) const;
    // A tile's rectangle inside its section.
    QRect tileRect(int section, int index) const;
    // The tiles of a section whose rectangles meet the rows [top, bottom) of the stage.
    Range tilesMeeting(int section, int top, int bottom) const;

    // Tile `index` inside a block of tiles, and the height of a block of `count` tiles.
    static QPoint tilePosition(int index, PromptPanelLayoutMode mode);
    static int blockHeight(int count, PromptPanelLayoutMode mode);
    static QSize tileSize(PromptPanelLayoutMode mode);
    static int sectionHeight(const Section& section, PromptPanelLayoutMode mode);

private:
    PromptPanelLayoutMode m_mode = PromptPanelLayoutMode::grid;
    QList<Section> m_sections;
    QList<int> m_tops;
    int m_height = 0;
};
