#pragma once

#include "model/Localization.h"
#include "panel/tiles/PromptPanelLayoutMode.h"

#include <QList>
#include <QPoint>
#include <QWidget>

#include <functional>
#include <optional>

class PromptPanelLayoutPicker;
class PromptTileView;

// One titled section of the panel: a header (the title and, on the first section, the layout
// switch) over the room for its tiles, three 130-wide columns or one 410-wide row each. The
// tiles belong to the stage, which places only those in and near view; the section paints the
// header and the tiles' glow.
class PromptSectionView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int blockWidth = 410; // 3 x 130 + 2 x 10
    static constexpr int spacing = 10;
    static constexpr int headerTrailingPadding = 20;

    explicit PromptSectionView(QWidget* parent = nullptr);

    void setHeader(const QString& title, bool showsLayoutPicker, PromptPanelLayoutMode mode,
                   std::optional<AppLanguage> language);
    void setOnLayoutModeChange(std::function<void(PromptPanelLayoutMode)> onChange);
    // Makes room for `count` tiles under the header.
    void setBlock(int count, PromptPanelLayoutMode mode);
    // The tiles the stage shows in this section now, whose glow it paints.
    void setShownTiles(const QList<PromptTileView*>& tiles);

    const QString& title() const { return m_title; }
    int count() const { return m_count; }
    const QList<PromptTileView*>& tiles() const { return m_tiles; }
    PromptPanelLayoutPicker* layoutPicker() const;
    int headerHeight() const;

    // Where tile `index` sits inside the tile block, and how tall a block of `count` tiles is.
    static QPoint tilePosition(int index, PromptPanelLayoutMode mode);
    static int blockHeight(int count, PromptPanelLayoutMode mode);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    QString m_elidedTitle;
    PromptPanelLayoutMode m_mode = PromptPanelLayoutMode::grid;
    int m_count = 0;
    QList<PromptTileView*> m_tiles;
    PromptPanelLayoutPicker* m_picker = nullptr;
    std::function<void(PromptPanelLayoutMode)> m_onLayoutModeChange;
};
