#pragma once

#include "model/KeyboardShortcutModels.h"
#include "model/Localization.h"
#include "model/PromptModels.h"
#include "panel/tiles/PromptCopyFeedback.h"
#include "panel/tiles/PromptPanelLayoutMode.h"
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
// Tiles are kept by prompt id across refreshes, so a tile's hover, its menu and the preview
// survive a refresh and nothing is rebuilt that did not change. It also owns the one preview
// window that follows the panel's preview prompt.
class PromptSectionsView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int horizontalInset = 28;
    static constexpr int sectionSpacing = 12;
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

    // The shown tile of a prompt, or null.
    PromptTileView* tile(const QString& promptID) const;
    const QList<PromptSectionView*>& sections() const { return m_sections; }
    TilePreviewPopup* previewPopup() const { return m_popup; }
    int tilePoolSize() const { return int(m_tiles.size()); }

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
    PromptTileView* makeTile(const QString& promptID);
    void updatePreview();
    void watchWindow();
    void dropUnusedTiles();

    Callbacks m_callbacks;
    State m_state;
    QList<PromptSectionView*> m_sections;
    QHash<QString, PromptTileView*> m_tiles;
    QSet<QString> m_shownIDs;
    TilePreviewPopup* m_popup = nullptr;
    QPointer<QWidget> m_watchedWindow;
    int m_height = 0;
};
