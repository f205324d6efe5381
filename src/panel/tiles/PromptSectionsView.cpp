#include "panel/tiles/PromptSectionsView.h"

#include "panel/tiles/PromptSectionView.h"
#include "panel/tiles/PromptTileView.h"
#include "panel/tiles/TilePreviewPopup.h"

#include <QEvent>

namespace {

// Idle tiles kept for the next scroll or search; beyond this many they are let go, so the pool
// stays the size of a screenful however the view was used.
constexpr int idleTileLimit = 48;

} // namespace

PromptSectionsView::PromptSectionsView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("promptSections"));
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
    return m_tiles.value(promptID);
}

std::optional<QRect> PromptSectionsView::tileRect(const QString& promptID) const {
    const auto it = m_positions.constFind(promptID);
    if (it == m_positions.cend()) {
        return std::nullopt;
    }
    return m_layout.tileRect(it->section, it->index).translated(horizontalInset, m_layout.sectionTop(it->section));
}

PromptTileView* PromptSectionsView::makeTile() {
    auto* tile = new PromptTileView(this);
    tile->hide();
    // The callbacks look the prompt up when they run, so rebinding a tile never replaces them.
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
    callbacks.onHoverMoved = [this, tile](const PromptItem& previous) {
        if (m_callbacks.onTileHover) {
            m_callbacks.onTileHover(previous, false);
            if (tile->isHovered()) {
                m_callbacks.onTileHover(tile->prompt(), true);
            }
        }
    };
    callbacks.onMenuOpenChange = [this](bool open) {
        if (m_callbacks.onPopupOpenChange) {
            m_callbacks.onPopupOpenChange(open);
        }
    };
    tile->setCallbacks(std::move(callbacks));
    return tile;
}

const PromptItem& PromptSectionsView::promptAt(int section, int index) const {
    return m_snapshot.sections[section].prompts.at(m_order[section][index]);
}

TilePresentation::Input PromptSectionsView::inputFor(const PromptItem& prompt) const {
    TilePresentation::Input input = m_baseInput;
    input.prompt = prompt;
    input.isEditable = m_state.editableWorkspaceID.has_value() && m_snapshot.editablePromptIDs.contains(prompt.id);
    if (m_state.copyFeedback && m_state.copyFeedback->promptID == prompt.id) {
        input.feedback = m_state.copyFeedback->kind;
    }
    input.isSelected = m_state.selectedPromptID && *m_state.selectedPromptID == prompt.id;
    const auto number = m_snapshot.shortcutNumbers.constFind(prompt.id);
    input.shortcutNumber = number != m_snapshot.shortcutNumbers.cend() ? std::optional<int>(*number) : std::nullopt;
    return input;
}

void PromptSectionsView::setState(const PanelRenderSnapshot& snapshot, const State& state) {
    m_state = state;
    m_snapshot = snapshot;

    while (m_sections.size() < snapshot.sections.size()) {
        auto* section = new PromptSectionView(this);
        section->setOnLayoutModeChange([this](PromptPanelLayoutMode mode) {
            if (m_callbacks.onLayoutModeChange) {
                m_callbacks.onLayoutModeChange(mode);
            }
        });
        m_sections.append(section);
    }

    m_baseInput = TilePresentation::Input();
    m_baseInput.tileShortcut = state.tileShortcut;
    m_baseInput.layoutMode = state.layoutMode;
    m_baseInput.allowsOrdering = snapshot.allowsPromptOrdering;
    m_baseInput.reduceMotion = state.reduceMotion;
    m_baseInput.typography = state.typography;
    // Resolved once: asking for the interface language reads the environment.
    m_baseInput.language = state.language ? *state.language : L10n::currentLanguage();

    // One tile per prompt id: a prompt met again later is left out. This pass touches every
    // shown prompt, so it only hashes ids; tiles are bound for the visible ones below.
    m_positions.clear();
    m_positions.reserve(snapshot.visiblePrompts.size());
    m_order.resize(snapshot.sections.size());
    QList<PromptStageLayout::Section> layoutSections;
    layoutSections.reserve(snapshot.sections.size());
    for (qsizetype index = 0; index < snapshot.sections.size(); ++index) {
        const PromptSection& section = snapshot.sections[index];
        QList<qsizetype>& order = m_order[index];
        order.clear();
        order.reserve(section.prompts.size());
        for (qsizetype i = 0; i < section.prompts.size(); ++i) {
            const QString& id = section.prompts.at(i).id;
            if (!m_positions.contains(id)) {
                m_positions.insert(id, Position{int(index), int(order.size())});
                order.append(i);
            }
        }
        PromptSectionView* view = m_sections[index];
        view->setHeader(section.title, index == 0, state.layoutMode, state.language);
        view->setBlock(int(order.size()), state.layoutMode);
        layoutSections.append({view->headerHeight(), int(order.size())});
    }
    m_layout = PromptStageLayout(state.layoutMode, layoutSections);
    for (int index = 0; index < m_layout.sectionCount(); ++index) {
        const QPoint position(horizontalInset, m_layout.sectionTop(index));
        if (m_sections[index]->pos() != position) {
            m_sections[index]->move(position);
        }
    }
    for (qsizetype index = snapshot.sections.size(); index < m_sections.size(); ++index) {
        m_sections[index]->setBlock(0, state.layoutMode);
        m_sections[index]->setShownTiles({});
        m_sections[index]->hide();
    }
    bindTiles(true);

    const int height = m_layout.height();
    if (height != m_height) {
        m_height = height;
        setMinimumSize(stageWidth, height);
        updateGeometry();
    }
    updatePreview();
}

void PromptSectionsView::setVisibleArea(const QRect& area) {
    if (m_area == area) {
        return;
    }
    m_area = area;
    bindTiles(false);
    updatePreview();
}

void PromptSectionsView::bindTiles(bool refresh) {
    const int sectionCount = m_layout.sectionCount();
    QList<PromptStageLayout::Range> ranges(sectionCount);
    const int top = m_area ? m_area->top() - areaMargin : 0;
    const int bottom = m_area ? m_area->top() + m_area->height() + areaMargin : 0;
    const bool anyArea = m_area && !m_area->isEmpty();
    for (int section = 0; section < sectionCount; ++section) {
        if (!m_area) {
            ranges[section] = {0, m_layout.section(section).count};
        } else if (anyArea) {
            ranges[section] = m_layout.tilesMeeting(section, top, bottom);
        }
    }
    if (!refresh && ranges == m_ranges) {
        return;
    }
    m_ranges = ranges;

    QList<TilePoolPlan::Slot> wanted;
    for (int section = 0; section < sectionCount; ++section) {
        for (int index = ranges[section].first; index < ranges[section].last; ++index) {
            wanted.append({promptAt(section, index).id, section});
        }
    }
    const TilePoolPlan plan = TilePoolPlan::make(m_slots, wanted);
    QList<QList<PromptTileView*>> shown(sectionCount);
    QHash<QString, PromptTileView*> bound;
    bound.reserve(wanted.size());
    int next = 0;
    for (int section = 0; section < sectionCount; ++section) {
        PromptSectionView* view = m_sections[section];
        for (int index = ranges[section].first; index < ranges[section].last; ++index, ++next) {
            const int slot = plan.tileFor[next];
            while (slot >= m_pool.size()) {
                m_pool.append(makeTile());
                m_slots.append({QString(), -1});
            }
            PromptTileView* tile = m_pool[slot];
            const PromptItem& prompt = promptAt(section, index);
            if (tile->parentWidget() != view) {
                tile->setParent(view);
            }
            if (refresh || m_slots[slot].promptID != prompt.id) {
                tile->setInput(inputFor(prompt));
            }
            m_slots[slot] = {prompt.id, section};
            const QPoint position = m_layout.tileRect(section, index).topLeft();
            if (tile->pos() != position) {
                tile->move(position);
            }
            if (tile->isHidden()) {
                tile->show();
            }
            bound.insert(prompt.id, tile);
            shown[section].append(tile);
        }
    }
    for (const int slot : plan.idle) {
        m_slots[slot].promptID.clear();
        if (!m_pool[slot]->isHidden()) {
            m_pool[slot]->hide();
        }
    }
    m_tiles = std::move(bound);
    // Let go of the idle tiles past the limit, the last made first. A tile may be the one whose
    // click led here: it goes once its event is over.
    int idle = int(plan.idle.size());
    for (qsizetype slot = m_pool.size() - 1; slot >= 0 && idle > idleTileLimit; --slot) {
        if (m_slots[slot].promptID.isEmpty()) {
            m_pool[slot]->deleteLater();
            m_pool.removeAt(slot);
            m_slots.removeAt(slot);
            --idle;
        }
    }

    for (int section = 0; section < sectionCount; ++section) {
        PromptSectionView* view = m_sections[section];
        view->setShownTiles(shown[section]);
        const QRect rect = m_layout.sectionRect(section);
        const bool inView = !m_area || (anyArea && rect.top() < bottom && rect.top() + rect.height() > top);
        if (view->isHidden() == inView) {
            view->setVisible(inView);
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
        dismissPopup();
        return;
    }
    // Made at the first preview: until then the idle app holds no text view, font or style of a
    // window that has never opened.
    if (!m_popup) {
        m_popup = new TilePreviewPopup(this);
    }
    const bool copied = m_state.copyFeedback && m_state.copyFeedback->promptID == preview->id &&
                        m_state.copyFeedback->kind == PromptCopyFeedback::Kind::copied;
    const QRect global(tile->mapToGlobal(QPoint(0, 0)), tile->size());
    m_popup->showFor(tile->prompt(), copied, global, m_state.typography, m_state.language);
}

void PromptSectionsView::previewDismissed(const QString& promptID) {
    if (m_state.previewPrompt && m_state.previewPrompt->id == promptID) {
        dismissPopup();
        m_state.previewPrompt.reset();
        if (m_callbacks.onPreviewDismissed) {
            m_callbacks.onPreviewDismissed(promptID);
        }
    }
}

void PromptSectionsView::dismissPopup() {
    if (m_popup) {
        m_popup->dismiss();
    }
}

void PromptSectionsView::dismissShownPreview() {
    if (!m_popup) {
        return;
    }
    if (const std::optional<QString> shown = m_popup->shownPromptID()) {
        previewDismissed(*shown);
    }
    m_popup->dismiss();
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
    dismissShownPreview();
}

void PromptSectionsView::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A scroll moves the stage inside its viewport: the preview stays with its tile.
    if (m_popup && m_popup->isVisible()) {
        updatePreview();
    }
}

bool PromptSectionsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow) {
        switch (event->type()) {
        case QEvent::Hide:
            // The preview goes with the panel.
            dismissShownPreview();
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
