#include "panel/tiles/TilePresentation.h"

#include "panel/tiles/TileLook.h"

namespace {

// The catalog texts of a tile, looked up once per language: a panel asks for them a thousand
// times per refresh.
struct TileTexts {
    AppLanguage language = AppLanguage::system;
    QString hint, copied, retry, selected, separator, pinned, shortcutFormat;
};

const TileTexts& textsFor(std::optional<AppLanguage> language) {
    const AppLanguage resolved = language ? *language : L10n::currentLanguage();
    static thread_local std::optional<TileTexts> cache;
    if (!cache || cache->language != resolved) {
        TileTexts texts;
        texts.language = resolved;
        texts.hint = L10n::string(L10N("accessibility.prompt.tile.hint"), resolved);
        texts.copied = L10n::string(L10N("prompt.copied"), resolved);
        texts.retry = L10n::string(L10N("action.retry.copy"), resolved);
        texts.selected = L10n::string(L10N("prompt.selected"), resolved);
        texts.separator = L10n::string(L10N("list.separator"), resolved);
        texts.pinned = L10n::string(L10N("prompt.pinned"), resolved);
        texts.shortcutFormat = L10n::string(L10N("accessibility.prompt.tile.shortcut"), resolved);
        cache = std::move(texts);
    }
    return *cache;
}

} // namespace

std::optional<QString> TilePresentation::shortcutTextFor(const PromptItem& prompt, std::optional<int> shortcutNumber,
                                                         const PromptTileShortcut& tileShortcut) {
    if (prompt.shortcut) {
        return prompt.shortcut->displayString();
    }
    if (shortcutNumber) {
        return tileShortcut.modifierDisplay() + QString::number(*shortcutNumber);
    }
    return std::nullopt;
}

QString TilePresentation::accessibilityLabelFor(const QString& title, const std::optional<QString>& shortcut,
                                                bool isPinned, std::optional<AppLanguage> language) {
    const TileTexts& texts = textsFor(language);
    QString label = title;
    if (shortcut && !shortcut->isEmpty()) {
        label += texts.separator + L10n::format(texts.shortcutFormat, {*shortcut});
    }
    if (isPinned) {
        label += texts.separator + texts.pinned;
    }
    return label;
}

TilePresentation TilePresentation::make(const Input& input) {
    using Kind = PromptCopyFeedback::Kind;
    const bool copied = input.feedback == Kind::copied;
    const bool failed = input.feedback == Kind::failed;
    const bool grid = input.layoutMode == PromptPanelLayoutMode::grid;

    TilePresentation p;
    p.shortcutText = shortcutTextFor(input.prompt, input.shortcutNumber, input.tileShortcut);
    p.accessibilityLabel =
        accessibilityLabelFor(input.prompt.title.toString(), p.shortcutText, input.prompt.isPinned, input.language);
    const TileTexts& texts = textsFor(input.language);
    p.accessibilityHint = texts.hint;
    if (copied) {
        p.accessibilityValue = texts.copied;
        p.nonColorIndicator = PromptTileNonColorIndicator::copied;
    } else if (failed) {
        p.accessibilityValue = texts.retry;
        p.nonColorIndicator =
            input.isSelected ? PromptTileNonColorIndicator::selected : PromptTileNonColorIndicator::none;
    } else if (input.isSelected) {
        p.accessibilityValue = texts.selected;
        p.nonColorIndicator = PromptTileNonColorIndicator::selected;
    }

    const TileTypography& type = input.typography;
    p.titleFont = type.titleFont();
    p.bodyFont = type.bodyFont();
    p.lineSpacing = type.lineSpacing;
    p.titleLineLimit = 2;
    p.bodyLineLimit = grid ? type.gridBodyLineLimit : 2;
    // The top-trailing corner holds the copied badge on every tile, and the more button (with the
    // pin beside it) on an editable one: the title keeps clear of them.
    p.titleTrailingPadding = input.isEditable && input.prompt.isPinned ? 38 : 20;

    p.tileSize = grid ? gridTileSize : listTileSize;
    p.contentPadding = grid ? 14 : 12;
    p.fillOpacity = copied ? 0.15 : input.isSelected ? 0.11 : input.isHovered ? 0.105 : 0.07;
    if (input.isSelected) {
        p.borderColor = TileLook::accent();
        p.borderWidth = 1.6;
        p.borderInset = 1;
    } else {
        p.borderColor =
            copied ? TileLook::white(0.26) : TileLook::withOpacity(TileLook::steel(), input.isHovered ? 0.7 : 0.5);
        p.borderWidth = 1;
        p.borderInset = 0;
    }
    p.copiedRingOpacity = copied ? 0.42 : 0;
    p.scale = copied && !input.reduceMotion ? 0.992 : 1;
    p.glowOpacity = input.isSelected ? 0.22 : 0;
    p.liftOpacity = input.isHovered || input.isSelected ? 0.1 : 0;
    p.shortcutBadgeAccented = input.isSelected;

    if (copied) {
        p.corner = Corner::copiedBadge;
    } else if (failed) {
        p.corner = Corner::retryBadge;
    } else if (input.isEditable) {
        p.corner = Corner::accessoryRow;
    }
    // Exactly one pin mark: beside the edit menu on editable tiles, in the meta row otherwise.
    p.showsAccessoryPin = p.corner == Corner::accessoryRow && input.prompt.isPinned;
    p.showsMetaPin = !input.isEditable && input.prompt.isPinned;
    p.showsSelectedBadge = p.nonColorIndicator == PromptTileNonColorIndicator::selected;

    for (size_t i = 0; i < p.moveEnabled.size(); ++i) {
        p.moveEnabled[i] = input.allowsOrdering && input.canMove[i];
    }
    p.isPinned = input.prompt.isPinned;
    return p;
}
