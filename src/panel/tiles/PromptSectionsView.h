#pragma once

#include "model/KeyboardShortcutModels.h"
#include "model/Localization.h"
#include "model/PromptModels.h"
#include "panel/tiles/PromptCopyFeedback.h"
#include "panel/tiles/PromptPanelLayoutMode.h"
#include "panel/tiles/PromptStageLayout.h"
#include "panel/tiles/TilePoolPlan.h"
#include "panel/tiles/TilePresentation.h"
#include "panel/tiles/TileTypography.h"
#include "store/PanelRenderSnapshot.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class PromptSectionView;
class PromptTileView;
class TilePreviewPopup;

// The panel's stage: every section of a snapshot, inset 28 on each side, one below the other.
// Where each section and tile sits is worked out arithmetically; tile widgets exist only for the
// tiles in and near the visible area, from a small pool that is rebound as the view scrolls or
// the prompts change, so a refresh costs what is on screen, not what the library holds. A tile
// that keeps showing its prompt keeps its widget, so its hover, its menu and the preview survive
// a refresh. It also owns the one preview window that follows the panel's preview prompt.
class PromptSectionsView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int horizontalInset = 28;
    static constexpr int sectionSpacing = PromptStageLayout::sectionSpacing;
    // Tiles this far above and below the visible area are made ready too.
    static constexpr int areaMargin = 130;
    static constexpr int stageWidth = 410 + 2 * horizontalInset;

    struct State {
        std::optional<QString> editableWorkspaceID; // none: no tile is editable
        std::optional<PromptCopyFeedback> copyFeedback;
        std::optional<QString> selectedPromptID;
        std::optional<PromptItem> previewPrompt;
        PromptTileShortcut tileShortcut;
        PromptPanelLayoutMode layoutMode = PromptPanelLayoutMode::grid;
        bool reduceMotion = false;
        TileTypography typography;
        std::optional<AppLanguage> language; // none: the interface language
    };

    struct Callbacks {
        std::function<void(const PromptItem&)> onSelect;
        std::function<void(const PromptItem&)> onCopy;
        std::function<void(const PromptItem&)> onRetry;
        std::function<void(const PromptItem&)> onEdit;
        std::function<void(const PromptItem&)> onDelete;
        std::function<void(const PromptItem&)> onTogglePinned;
        std::function<bool(const PromptItem&, PromptMoveDirection)> canMove;
        std::function<void(const PromptItem&, PromptMoveDirection)> onMove;
        std::function<void(const PromptItem&, bool hovering)> onTileHover;
        std::function<void(PromptPanelLayoutMode)> onLayoutModeChange;
        // The preview window closed on its own (the panel hid) while the preview still named
        // this prompt: clear the preview.
        std::function<void(const QString& promptID)> onPreviewDismissed;
        // A tile's menu opened or closed.
        std::function<void(bool open)> onPopupOpenChange;
    };

    explicit PromptSectionsView(QWidget* parent = nullptr);
    ~PromptSectionsView() override;

    void setCallbacks(Callbacks callbacks);
    void setState(const PanelRenderSnapshot& snapshot, const State& state);

    // The part of the stage in view, in its own coordinates. Until one is set (a stage shown on
    // its own) every tile counts as in view; an empty area has no tiles.
    void setVisibleArea(const QRect& area);

    // The tile widget of a prompt, or null while the prompt is not in or near view (or not shown).
    PromptTileView* tile(const QString& promptID) const;
    // Where a shown prompt's tile sits in the stage, whether or not it has a widget now.
    std::optional<QRect> tileRect(const QString& promptID) const;
    const QList<PromptSectionView*>& sections() const { return m_sections; }
    const PromptStageLayout& layout() const { return m_layout; }
    // The full-text preview's window; null until the first preview.
    TilePreviewPopup* previewPopup() const { return m_popup; }
    // Every tile widget, bound or idle.
    int tilePoolSize() const { return int(m_pool.size()); }
    // The tile widgets that show a prompt now.
    int boundTileCount() const { return int(m_tiles.size()); }

    // The preview window was closed from outside while it showed `promptID`. A preview that has
    // meanwhile moved to another prompt stays.
    void previewDismissed(const QString& promptID);

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    struct Position {
        int section = 0;
        int index = 0;
    };

    PromptTileView* makeTile();
    const PromptItem& promptAt(int section, int index) const;
    TilePresentation::Input inputFor(const PromptItem& prompt) const;
    // Binds the tiles in and near the area; `refresh` also hands every kept tile its input anew.
    void bindTiles(bool refresh);
    void updatePreview();
    void dismissPopup();
    // Hides the preview, telling the callbacks which prompt it showed.
    void dismissShownPreview();
    void watchWindow();

    Callbacks m_callbacks;
    State m_state;
    PanelRenderSnapshot m_snapshot;
    QList<QList<qsizetype>> m_order; // per section: its prompts' indices, each prompt id once
    QHash<QString, Position> m_positions;
    PromptStageLayout m_layout;
    TilePresentation::Input m_baseInput;
    std::optional<QRect> m_area;
    QList<PromptStageLayout::Range> m_ranges; // the tiles bound, per section
    QList<PromptSectionView*> m_sections;
    QList<PromptTileView*> m_pool;
    QList<TilePoolPlan::Slot> m_slots;       // what each tile of the pool shows
    QHash<QString, PromptTileView*> m_tiles; // the bound tiles by prompt id
    TilePreviewPopup* m_popup = nullptr;
    QPointer<QWidget> m_watchedWindow;
    int m_height = 0;
};
