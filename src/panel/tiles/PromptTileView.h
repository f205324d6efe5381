#pragma once

#include "panel/tiles/TilePresentation.h"
#include "widgets/ElidedTextBlock.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QMenu;
class TileCornerButton;

// One prompt of the panel as a tile: a click copies it; the retry badge and the edit menu are
// controls of their own and never copy. It owns no data: it paints its presentation and calls
// back. Its only own state is whether the pointer is over it.
class PromptTileView final : public QWidget {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void()> onSelect; // kept for the panel; the panel decides the selection
        std::function<void()> onCopy;
        std::function<void()> onRetry;
        std::function<void()> onEdit;
        std::function<void()> onDelete;
        std::function<void()> onTogglePinned;
        std::function<void(PromptMoveDirection)> onMove;
        // Asked when the edit menu is built; without it the input's move flags count.
        std::function<bool(PromptMoveDirection)> canMove;
        std::function<void(bool hovering)> onHoverChange;
        // The tile was handed another prompt while the pointer rested on it: the pointer left
        // `previous` and is over the tile's prompt now.
        std::function<void(const PromptItem& previous)> onHoverMoved;
        // The edit menu opened or closed: an open menu counts as interaction with the panel.
        std::function<void(bool open)> onMenuOpenChange;
    };

    explicit PromptTileView(QWidget* parent = nullptr);
    ~PromptTileView() override;

    // The hover flag of the input is ignored: the tile tracks the pointer itself.
    void setInput(const TilePresentation::Input& input);
    void setCallbacks(Callbacks callbacks);

    const TilePresentation& presentation() const { return m_presentation; }
    const PromptItem& prompt() const { return m_input.prompt; }
    bool isHovered() const { return m_hovered; }
    // The keyboard selection of the panel, also while the tile shows copy feedback.
    bool isSelected() const { return m_selected; }
    QString accessibleValue() const { return m_presentation.accessibilityValue; }
    // The title and body lines as drawn.
    const QStringList& titleLines() const { return m_title.lines(); }
    const QStringList& bodyLines() const { return m_body.lines(); }
    // Where the body's lines are drawn (as wide as the widest) and where the grid's selected mark
    // is, in the bottom-trailing corner. The text is laid out when the tile is first drawn.
    QRectF bodyRect() const;
    QRectF selectedMarkRect() const;
    // The controls in the top-trailing corner; null while not shown.
    TileCornerButton* retryButton() const;
    TileCornerButton* moreButton() const;
    // The edit menu as the tile offers it now, owned by the parent given.
    QMenu* createEditMenu(QWidget* parent);
    // What a click or the accessibility press does.
    void activate();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void refresh(bool force = false);
    void setHovered(bool hovered);
    void layOutText();
    void placeCornerControls();
    void openEditMenu();
    void paintMetaRow(QPainter& painter, const QRectF& row) const;
    qreal metaRowHeight() const;
    qreal gridBodyTop() const;

    TilePresentation::Input m_input;
    TilePresentation m_presentation;
    Callbacks m_callbacks;
    bool m_hovered = false;
    bool m_selected = false;
    bool m_pressed = false;
    bool m_hasInput = false;

    ElidedTextBlock m_title;
    ElidedTextBlock m_body;
    qreal m_gridSpacing = 8;
    QString m_textKey; // the fonts and widths the text blocks were laid out for
    QString m_titleSource;
    QString m_bodySource;

    TileCornerButton* m_retry = nullptr;
    TileCornerButton* m_more = nullptr;
    QPointer<QMenu> m_menu;
};
