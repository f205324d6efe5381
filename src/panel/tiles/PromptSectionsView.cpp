#include "panel/tiles/PromptSectionsView.h"

#include "panel/tiles/PromptSectionView.h"
#include "panel/tiles/PromptTileView.h"
#include "panel/tiles/TilePreviewPopup.h"

#include <QEvent>

namespace {

// Tiles of prompts that left the view are kept for a quick return (a search typed and erased);
// beyond this many idle tiles the idle ones are let go.
constexpr int idleTileLimit = 2000;

} // namespace

PromptSectionsView::PromptSectionsView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("promptSections"));
    m_popup = new TilePreviewPopup(this);
}

PromptSectionsView::~PromptSectionsView() {
    if (m_watchedWindow) {
        m_watchedWindow->removeEventFilter(this);
    }
}

void PromptSectionsView::setCallbacks(Callbacks callbacks) {
    m_callbacks = std::move(callbacks);
}

PromptTileView* PromptSectionsView::tile(const QString& promptID) const {
    return m_shownIDs.contains(promptID) ? m_tiles.value(promptID) : nullptr;
}

PromptTileView* PromptSectionsView::makeTile(const QString& promptID) {
    auto* tile = new PromptTileView(this);
    tile->hide();
    // The callbacks look the prompt up when they run, so a refresh never has to replace them.
    auto withPrompt = [this, tile](const std::function<void(const PromptItem&)> Callbacks::*member) {
        return [this, tile, member] {
            if (const auto& callback = m_callbacks.*member) {
                callback(tile->prompt());
            }
        };
    };
    PromptTileView::Callbacks callbacks;
    callbacks.onSelect = withPrompt(&Callbacks::onSelect);
    callbacks.onCopy = withPrompt(&Callbacks::onCopy);
    callbacks.onRetry = withPrompt(&Callbacks::onRetry);
    callbacks.onEdit = withPrompt(&Callbacks::onEdit);
    callbacks.onDelete = withPrompt(&Callbacks::onDelete);
    callbacks.onTogglePinned = withPrompt(&Callbacks::onTogglePinned);
    callbacks.onMove = [this, tile](PromptMoveDirection direction) {
        if (m_callbacks.onMove) {
            m_callbacks.onMove(tile->prompt(), direction);
        }
    };
    // Asked only when the tile's edit menu opens: the one place the answer shows.
    callbacks.canMove = [this, tile](PromptMoveDirection direction) {
        return m_callbacks.canMove && m_callbacks.canMove(tile->prompt(), direction);
    };
    callbacks.onHoverChange = [this, tile](bool hovering) {
        if (m_callbacks.onTileHover) {
            m_callbacks.onTileHover(tile->prompt(), hovering);
        }
    };
    callbacks.onMenuOpenChange = [this](bool open) {
        if (m_callbacks.onPopupOpenChange) {
            m_callbacks.onPopupOpenChange(open);
        }
    };
    tile->setCallbacks(std::move(callbacks));
    m_tiles.insert(promptID, tile);
    return tile;
}

void PromptSectionsView::setState(const PanelRenderSnapshot& snapshot, const State& state) {
    m_state = state;
    const bool anyEditable = state.editableWorkspaceID.has_value();
    const auto feedbackKind = [&](const QString& id) -> std::optional<PromptCopyFeedback::Kind> {
        if (state.copyFeedback && state.copyFeedback->promptID == id) {
            return state.copyFeedback->kind;
        }
        return std::nullopt;
    };

    while (m_sections.size() < snapshot.sections.size()) {
        auto* section = new PromptSectionView(this);
        section->setOnLayoutModeChange([this](PromptPanelLayoutMode mode) {
            if (m_callbacks.onLayoutModeChange) {
                m_callbacks.onLayoutModeChange(mode);
            }
        });
        m_sections.append(section);
    }

    QSet<QString> shown;
    shown.reserve(snapshot.visiblePrompts.size());
    TilePresentation::Input input;
    input.tileShortcut = state.tileShortcut;
    input.layoutMode = state.layoutMode;
    input.allowsOrdering = snapshot.allowsPromptOrdering;
    input.reduceMotion = state.reduceMotion;
    input.typography = state.typography;
    // Resolved once: asking for the interface language reads the environment.
    input.language = state.language ? *state.language : L10n::currentLanguage();

    int y = 0;
    for (qsizetype index = 0; index < snapshot.sections.size(); ++index) {
        const PromptSection& section = snapshot.sections[index];
        PromptSectionView* view = m_sections[index];
        QList<PromptTileView*> tiles;
        tiles.reserve(section.prompts.size());
        for (const PromptItem& prompt : section.prompts) {
            if (shown.contains(prompt.id)) {
                continue; // one tile per prompt id
            }
            shown.insert(prompt.id);
            PromptTileView* tile = m_tiles.value(prompt.id);
            if (!tile) {
                tile = makeTile(prompt.id);
            }
            input.prompt = prompt;
            input.isEditable = anyEditable && snapshot.editablePromptIDs.contains(prompt.id);
            input.feedback = feedbackKind(prompt.id);
            input.isSelected = state.selectedPromptID && *state.selectedPromptID == prompt.id;
            const auto number = snapshot.shortcutNumbers.constFind(prompt.id);
            input.shortcutNumber =
                number != snapshot.shortcutNumbers.cend() ? std::optional<int>(*number) : std::nullopt;
            tile->setInput(input);
            tiles.append(tile);
        }
        view->setHeader(section.title, index == 0, state.layoutMode, state.language);
        view->setTiles(tiles, state.layoutMode);
        view->move(horizontalInset, y);
        view->show();
        y += view->height() + sectionSpacing;
    }
    for (qsizetype index = snapshot.sections.size(); index < m_sections.size(); ++index) {
        m_sections[index]->setTiles({}, state.layoutMode);
        m_sections[index]->hide();
    }
    for (const QString& id : std::as_const(m_shownIDs)) {
        if (!shown.contains(id)) {
            if (PromptTileView* tile = m_tiles.value(id)) {
                tile->hide();
            }
        }
    }
    m_shownIDs = std::move(shown);
    dropUnusedTiles();

    const int height = snapshot.sections.isEmpty() ? 0 : y - sectionSpacing;
    if (height != m_height) {
        m_height = height;
        setMinimumSize(stageWidth, height);
        updateGeometry();
    }
    updatePreview();
}

void PromptSectionsView::dropUnusedTiles() {
    if (m_tiles.size() - m_shownIDs.size() <= idleTileLimit) {
        return;
    }
    for (auto it = m_tiles.begin(); it != m_tiles.end();) {
        if (!m_shownIDs.contains(it.key())) {
            it.value()->deleteLater();
            it = m_tiles.erase(it);
        } else {
            ++it;
        }
    }
}

QSize PromptSectionsView::sizeHint() const {
    return QSize(stageWidth, m_height);
}

void PromptSectionsView::updatePreview() {
    const std::optional<PromptItem>& preview = m_state.previewPrompt;
    PromptTileView* tile = preview ? this->tile(preview->id) : nullptr;
    if (!tile || !isVisible() || !tile->isVisible()) {
        m_popup->dismiss();
        return;
    }
    const bool copied = m_state.copyFeedback && m_state.copyFeedback->promptID == preview->id &&
                        m_state.copyFeedback->kind == PromptCopyFeedback::Kind::copied;
    const QRect global(tile->mapToGlobal(QPoint(0, 0)), tile->size());
    m_popup->showFor(tile->prompt(), copied, global, m_state.typography, m_state.language);
}

void PromptSectionsView::previewDismissed(const QString& promptID) {
    if (m_state.previewPrompt && m_state.previewPrompt->id == promptID) {
        m_popup->dismiss();
        m_state.previewPrompt.reset();
        if (m_callbacks.onPreviewDismissed) {
            m_callbacks.onPreviewDismissed(promptID);
        }
    }
}

void PromptSectionsView::watchWindow() {
    QWidget* top = window();
    if (top == m_watchedWindow) {
        return;
    }
    if (m_watchedWindow) {
        m_watchedWindow->removeEventFilter(this);
    }
    m_watchedWindow = top;
    top->installEventFilter(this);
}

void PromptSectionsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    watchWindow();
    updatePreview();
}

void PromptSectionsView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (const std::optional<QString> shown = m_popup->shownPromptID()) {
        previewDismissed(*shown);
    }
    m_popup->dismiss();
}

void PromptSectionsView::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A scroll moves the stage inside its viewport: the preview stays with its tile.
    if (m_popup->isVisible()) {
        updatePreview();
    }
}

bool PromptSectionsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow) {
        switch (event->type()) {
        case QEvent::Hide:
            // The preview goes with the panel.
            if (const std::optional<QString> shown = m_popup->shownPromptID()) {
                previewDismissed(*shown);
            }
            m_popup->dismiss();
            break;
        case QEvent::Move:
            updatePreview();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
