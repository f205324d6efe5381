#pragma once

#include "model/KeyboardShortcutModels.h"
#include "model/Localization.h"
#include "model/PromptModels.h"
#include "panel/tiles/PromptCopyFeedback.h"
#include "panel/tiles/PromptPanelLayoutMode.h"
#include "panel/tiles/TileTypography.h"

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>

#include <array>
#include <optional>

// What a tile states by shape and symbol rather than by colour.
enum class PromptTileNonColorIndicator { none, selected, copied };

// Everything one prompt tile shows, worked out from plain values; the tile widget only paints it.
struct TilePresentation {
    struct Input {
        PromptItem prompt;
        bool isEditable = false;
        std::optional<PromptCopyFeedback::Kind> feedback;
        bool isSelected = false;
        bool isHovered = false;
        std::optional<int> shortcutNumber;
        PromptTileShortcut tileShortcut;
        PromptPanelLayoutMode layoutMode = PromptPanelLayoutMode::grid;
        bool allowsOrdering = true;
        bool reduceMotion = false;
        std::array<bool, 4> canMove{}; // indexed by PromptMoveDirection
        TileTypography typography;
        std::optional<AppLanguage> language; // none: the interface language
    };

    // Which control sits in the top-trailing corner.
    enum class Corner { none, copiedBadge, retryBadge, accessoryRow };

    QString accessibilityLabel;
    QString accessibilityHint;
    QString accessibilityValue;
    PromptTileNonColorIndicator nonColorIndicator = PromptTileNonColorIndicator::none;
    std::optional<QString> shortcutText;

    QFont titleFont;
    QFont bodyFont;
    int titleLineLimit = 2;
    int bodyLineLimit = 3;
    qreal lineSpacing = 0;
    int titleTrailingPadding = 0;

    QSize tileSize;
    int contentPadding = 14;
    qreal fillOpacity = 0.07;
    QColor borderColor;
    qreal borderWidth = 1;
    qreal borderInset = 0;
    qreal copiedRingOpacity = 0;
    qreal scale = 1;
    qreal glowOpacity = 0;
    qreal liftOpacity = 0;
    bool shortcutBadgeAccented = false;

    Corner corner = Corner::none;
    bool showsAccessoryPin = false;
    bool showsMetaPin = false;
    bool showsSelectedBadge = false;

    // The edit menu's items.
    std::array<bool, 4> moveEnabled{};
    bool isPinned = false;

    bool operator==(const TilePresentation&) const = default;

    static TilePresentation make(const Input& input);
    // The prompt's own shortcut wins over the numbered tile shortcut.
    static std::optional<QString> shortcutTextFor(const PromptItem& prompt, std::optional<int> shortcutNumber,
                                                  const PromptTileShortcut& tileShortcut);
    // The title, then the shortcut and "pinned" when present, joined by the list separator. An
    // empty title still counts as a part.
    static QString accessibilityLabelFor(const QString& title, const std::optional<QString>& shortcut, bool isPinned,
                                         std::optional<AppLanguage> language = std::nullopt);

    static constexpr QSize gridTileSize{130, 116};
    static constexpr QSize listTileSize{410, 82};
    static constexpr int cornerRadius = 18;
    static constexpr int listTitleColumnWidth = 170;
};
