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
// switch) over its tiles, three 130-wide columns or one 410-wide row each. The tiles belong to
// the stage, which hands them in; this view only places them.
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
    // Takes the tiles in order, makes them its children and places them.
    void setTiles(const QList<PromptTileView*>& tiles, PromptPanelLayoutMode mode);

    const QString& title() const { return m_title; }
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
    QList<PromptTileView*> m_tiles;
    PromptPanelLayoutPicker* m_picker = nullptr;
    std::function<void(PromptPanelLayoutMode)> m_onLayoutModeChange;
};
