#include "panel/tiles/PromptStageLayout.h"

#include <algorithm>

namespace {

int columns(PromptPanelLayoutMode mode) {
    return mode == PromptPanelLayoutMode::list ? 1 : 3;
}

// Rounds towards negative infinity, for rows above a block.
int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

PromptStageLayout::PromptStageLayout(PromptPanelLayoutMode mode, const QList<Section>& sections)
    : m_mode(mode), m_sections(sections) {
    m_tops.reserve(sections.size());
    int y = 0;
    for (const Section& section : sections) {
        m_tops.append(y);
        y += sectionHeight(section, mode) + sectionSpacing;
    }
    m_height = sections.isEmpty() ? 0 : y - sectionSpacing;
}

QSize PromptStageLayout::tileSize(PromptPanelLayoutMode mode) {
    return mode == PromptPanelLayoutMode::list ? QSize(410, 82) : QSize(130, 116);
}

QPoint PromptStageLayout::tilePosition(int index, PromptPanelLayoutMode mode) {
    const QSize size = tileSize(mode);
    const int perRow = columns(mode);
    return QPoint((index % perRow) * (size.width() + spacing), (index / perRow) * (size.height() + spacing));
}

int PromptStageLayout::blockHeight(int count, PromptPanelLayoutMode mode) {
    if (count <= 0) {
        return 0;
    }
    const int perRow = columns(mode);
    const int rows = (count + perRow - 1) / perRow;
    return rows * tileSize(mode).height() + (rows - 1) * spacing;
}

int PromptStageLayout::sectionHeight(const Section& section, PromptPanelLayoutMode mode) {
    const int block = blockHeight(section.count, mode);
    return section.headerHeight + (block > 0 ? spacing + block : 0);
}

QRect PromptStageLayout::sectionRect(int index) const {
    return QRect(0, m_tops[index], blockWidth, sectionHeight(m_sections[index], m_mode));
}

QRect PromptStageLayout::tileRect(int section, int index) const {
    return QRect(tilePosition(index, m_mode) + QPoint(0, m_sections[section].headerHeight + spacing), tileSize(m_mode));
}

PromptStageLayout::Range PromptStageLayout::tilesMeeting(int section, int top, int bottom) const {
    const Section& s = m_sections[section];
    if (s.count <= 0 || bottom <= top) {
        return {};
    }
    const int blockTop = m_tops[section] + s.headerHeight + spacing;
    const int tileHeight = tileSize(m_mode).height();
    const int pitch = tileHeight + spacing;
    const int perRow = columns(m_mode);
    const int rows = (s.count + perRow - 1) / perRow;
    // Row r covers [blockTop + r * pitch, blockTop + r * pitch + tileHeight).
    const int firstRow = std::max(0, floorDiv(top - blockTop - tileHeight, pitch) + 1);
    const int endRow = std::min(rows, floorDiv(bottom - blockTop - 1, pitch) + 1);
    if (endRow <= firstRow) {
        return {};
    }
    return {firstRow * perRow, std::min(s.count, endRow * perRow)};
}
