#pragma once

#include "model/Localization.h"
#include "model/PromptModels.h"
#include "panel/tiles/TileTypography.h"

#include <QWidget>

#include <optional>

class FullPromptPreviewCard;

// The one window that shows a tile's full-text preview. It never takes input or focus, so it
// cannot take the pointer from the tile under it and make the preview flicker; for the same
// reason its card is display-only. It sits above the tile, below it when there is no room
// above, and always inside the screen.
class TilePreviewPopup final : public QWidget {
    Q_OBJECT
public:
    static constexpr int gap = 8; // between the tile and the card

    explicit TilePreviewPopup(QWidget* parent = nullptr);

    // Shows the prompt next to the tile whose global rectangle is given; moves the window when
    // it already shows another tile.
    void showFor(const PromptItem& prompt, bool isCopied, const QRect& tileGlobalRect, const TileTypography& typography,
                 std::optional<AppLanguage> language);
    void dismiss();
    std::optional<QString> shownPromptID() const;
    FullPromptPreviewCard* card() const { return m_card; }

    // Where a card of this size goes for the anchor, inside the available screen area.
    static QRect placement(const QSize& size, const QRect& anchor, const QRect& available);

private:
    FullPromptPreviewCard* m_card = nullptr;
};
