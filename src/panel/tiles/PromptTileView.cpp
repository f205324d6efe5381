#include "panel/tiles/PromptTileView.h"

#include "panel/tiles/PromptTileAccessible.h"
#include "panel/tiles/TileChromeCache.h"
#include "panel/tiles/TileCornerButton.h"
#include "panel/tiles/TileIcons.h"
#include "panel/tiles/TileLook.h"
#include "widgets/accessibility/AccessibleText.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal gridStackSpacing = 8;
// The grid stack may close up to this before a wrapped title gives up its second line.
constexpr qreal gridStackSpacingTight = 4;
constexpr qreal listColumnSpacing = 10;
constexpr qreal listColumnGap = 16;
constexpr qreal cornerInset = 10;
constexpr qreal selectedMarkSize = 20;
constexpr qreal selectedMarkInset = 7;
constexpr qreal selectedMarkGap = 4;
constexpr qreal badgeHeight = 24;
constexpr qreal badgeMinWidth = 36;
constexpr qreal metaPinHeight = 18;
constexpr qreal listBodyTrailingReserve = 40;

QFont badgeFont() {
    QFont font;
    font.setPixelSize(11);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

PromptTileView::PromptTileView(QWidget* parent) : QWidget(parent) {
    PromptTileAccessible::install();
    setObjectName(QStringLiteral("promptTile"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, false);
    setFixedSize(TilePresentation::gridTileSize);
}

PromptTileView::~PromptTileView() {
    if (m_menu) {
        m_menu->close();
    }
}

void PromptTileView::setCallbacks(Callbacks callbacks) {
    m_callbacks = std::move(callbacks);
}

void PromptTileView::setInput(const TilePresentation::Input& input) {
    const bool first = !m_hasInput;
    const bool rebound = !first && input.prompt.id != m_input.prompt.id;
    if (rebound) {
        // The stage hands this widget another prompt (a scroll, a search): what belonged to the
        // old one ends with it.
        if (m_menu) {
            m_menu->close();
        }
        m_pressed = false;
        if (m_hovered) {
            // Told once the stage has finished, never from inside its refresh.
            QMetaObject::invokeMethod(
                this,
                [this, previous = m_input.prompt] {
                    if (m_callbacks.onHoverMoved) {
                        m_callbacks.onHoverMoved(previous);
                    }
                },
                Qt::QueuedConnection);
        }
    }
    m_input = input;
    m_hasInput = true;
    refresh(first);
}

void PromptTileView::refresh(bool force) {
    m_input.isHovered = m_hovered;
    TilePresentation next = TilePresentation::make(m_input);
    if (next == m_presentation && !force) {
        return;
    }
    const bool valueChanged = next.accessibilityValue != m_presentation.accessibilityValue;
    const bool wasSelected = m_selected;
    m_selected = m_input.isSelected;
    const bool shadowChanged =
        next.glowOpacity != m_presentation.glowOpacity || next.liftOpacity != m_presentation.liftOpacity;
    m_presentation = std::move(next);
    if (size() != m_presentation.tileSize) {
        setFixedSize(m_presentation.tileSize);
    }
    if (accessibleName() != m_presentation.accessibilityLabel) {
        AccessibleText::setName(this, m_presentation.accessibilityLabel);
    }
    if (accessibleDescription() != m_presentation.accessibilityHint) {
        AccessibleText::setDescription(this, m_presentation.accessibilityHint);
    } else if (valueChanged && !force && QAccessible::isActive()) {
        // The value is read as the start of the description (see PromptTileAccessible).
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
    if (m_selected != wasSelected && !force && QAccessible::isActive()) {
        // Keyboard focus stays in the search field: the selected state tells which tile the
        // arrow keys chose.
        QAccessibleEvent event(this, m_selected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
        QAccessible::updateAccessibility(&event);
    }
    placeCornerControls();
    update();
    if (shadowChanged && parentWidget()) {
        // The glow and lift are drawn by the section under the tile.
        parentWidget()->update(geometry().adjusted(-8, -8, 8, 10));
    }
}

void PromptTileView::layOutText() {
    const TilePresentation& p = m_presentation;
    const bool grid = m_input.layoutMode == PromptPanelLayoutMode::grid;
    const qreal inner = p.tileSize.width() - 2 * p.contentPadding;
    const qreal titleWidth = (grid ? inner : TilePresentation::listTitleColumnWidth) - p.titleTrailingPadding;
    // In the list the body reaches the top-trailing corner: keep it clear of the badges and the menu.
    const qreal bodyWidth =
        grid ? inner : inner - TilePresentation::listTitleColumnWidth - listColumnGap - listBodyTrailingReserve;
    const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                            .arg(p.titleFont.pixelSize())
                            .arg(p.bodyFont.pixelSize())
                            .arg(titleWidth)
                            .arg(bodyWidth)
                            .arg(p.bodyLineLimit)
                            .arg(p.lineSpacing)
                            .arg(int(p.titleFont.weight()))
                            .arg(metaRowHeight());
    if (key == m_textKey && m_input.prompt.title == m_titleSource && m_input.prompt.text == m_bodySource) {
        return;
    }
    m_textKey = key;
    m_titleSource = m_input.prompt.title.toString();
    m_bodySource = m_input.prompt.text.toString();
    m_title.setText(m_titleSource, p.titleFont, titleWidth, p.titleLineLimit, p.lineSpacing);
    int bodyLines = p.bodyLineLimit;
    if (grid) {
        // The body gets the lines that fit under the title and the meta row, the last one
        // ending in an ellipsis, rather than a line cut in half at the tile's edge.
        const qreal lineHeight = QFontMetricsF(p.bodyFont).height();
        const auto fitting = [&](qreal spacing) {
            const qreal top = p.contentPadding + m_title.height() + spacing + metaRowHeight() + spacing;
            const qreal available = p.tileSize.height() - p.contentPadding / 2 - top;
            return std::min(p.bodyLineLimit, int((available + p.lineSpacing) / (lineHeight + p.lineSpacing)));
        };
        m_gridSpacing = gridStackSpacing;
        bodyLines = fitting(m_gridSpacing);
        if (bodyLines < 1 && p.bodyLineLimit >= 1 && m_title.lines().size() > 1) {
            // At the larger text sizes a wrapped title and the shortcut badge leave the body
            // a few pixels short: the stack closes up first, so the title keeps both lines
            // (a title cut to one line at this size often shows no more than its first word).
            if (fitting(gridStackSpacingTight) >= 1) {
                m_gridSpacing = gridStackSpacingTight;
                while (fitting(m_gridSpacing + 1) >= 1) {
                    m_gridSpacing += 1;
                }
            } else {
                // Only then does the title give up its second line, so the body keeps one.
                m_title.setText(m_titleSource, p.titleFont, titleWidth, 1, p.lineSpacing);
            }
            bodyLines = fitting(m_gridSpacing);
        }
    }
    // A body that reaches down beside the selected mark ends its last line before the mark, on
    // every tile: selecting one never reflows its text, and no ellipsis hides under the mark.
    qreal lastLineWidth = 0;
    if (grid && bodyLines >= 1) {
        const qreal lineHeight = QFontMetricsF(p.bodyFont).height();
        const qreal lastLineBottom = gridBodyTop() + bodyLines * lineHeight + (bodyLines - 1) * p.lineSpacing;
        const QRectF mark = selectedMarkRect();
        if (lastLineBottom > mark.top()) {
            lastLineWidth = mark.left() - selectedMarkGap - p.contentPadding;
        }
    }
    m_body.setText(m_bodySource, p.bodyFont, bodyWidth, bodyLines, p.lineSpacing, lastLineWidth);
}

qreal PromptTileView::gridBodyTop() const {
    return m_presentation.contentPadding + m_title.height() + m_gridSpacing + metaRowHeight() + m_gridSpacing;
}

QRectF PromptTileView::bodyRect() const {
    const TilePresentation& p = m_presentation;
    qreal width = 0;
    for (const QString& line : m_body.lines()) {
        width = std::max(width, QFontMetricsF(p.bodyFont).horizontalAdvance(line));
    }
    if (m_input.layoutMode == PromptPanelLayoutMode::grid) {
        return QRectF(p.contentPadding, gridBodyTop(), width, m_body.height());
    }
    return QRectF(p.contentPadding + TilePresentation::listTitleColumnWidth + listColumnGap, p.contentPadding + 2,
                  width, m_body.height());
}

QRectF PromptTileView::selectedMarkRect() const {
    const QSizeF size = m_presentation.tileSize;
    return QRectF(size.width() - selectedMarkInset - selectedMarkSize,
                  size.height() - selectedMarkInset - selectedMarkSize, selectedMarkSize, selectedMarkSize);
}

TileCornerButton* PromptTileView::retryButton() const {
    return m_retry && m_retry->isVisibleTo(this) ? m_retry : nullptr;
}

TileCornerButton* PromptTileView::moreButton() const {
    return m_more && m_more->isVisibleTo(this) ? m_more : nullptr;
}

void PromptTileView::placeCornerControls() {
    using Corner = TilePresentation::Corner;
    const Corner corner = m_presentation.corner;
    const int right = m_presentation.tileSize.width() - int(cornerInset);
    if (corner == Corner::retryBadge) {
        if (!m_retry) {
            m_retry = new TileCornerButton(TileCornerButton::Kind::retry, this);
            m_retry->setObjectName(QStringLiteral("promptTileRetry"));
            connect(m_retry, &QAbstractButton::clicked, this, [this] {
                if (m_callbacks.onRetry) {
                    m_callbacks.onRetry();
                }
            });
        }
        const QString retry = L10n::string(L10N("action.retry.copy"), m_input.language);
        AccessibleText::setName(m_retry, retry);
        m_retry->setToolTip(retry);
        m_retry->move(right - m_retry->width(), int(cornerInset));
        m_retry->show();
    } else if (m_retry) {
        m_retry->hide();
    }
    if (corner == Corner::accessoryRow) {
        if (!m_more) {
            m_more = new TileCornerButton(TileCornerButton::Kind::more, this);
            m_more->setObjectName(QStringLiteral("promptTileMore"));
            connect(m_more, &QAbstractButton::pressed, this, &PromptTileView::openEditMenu);
        }
        const QString more = L10n::string(L10N("help.more"), m_input.language);
        if (m_more->accessibleName() != more) {
            AccessibleText::setName(m_more, more);
            m_more->setToolTip(more);
        }
        m_more->move(right - m_more->width(), int(cornerInset));
        m_more->show();
    } else if (m_more) {
        m_more->hide();
    }
}

QMenu* PromptTileView::createEditMenu(QWidget* parent) {
    const std::optional<AppLanguage> language = m_input.language;
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("promptTileEditMenu"));
    AccessibleText::setName(menu, L10n::string(L10N("help.more"), language));
    auto add = [&](const QString& name, const QString& text, bool enabled, std::function<void()> action) {
        QAction* item = menu->addAction(text);
        item->setObjectName(name);
        item->setEnabled(enabled);
        QPointer<PromptTileView> tile(this);
        connect(item, &QAction::triggered, menu, [tile, action = std::move(action)] {
            if (tile && action) {
                action();
            }
        });
        return item;
    };
    add(QStringLiteral("edit"), L10n::string(L10N("action.edit"), language), true, [this] {
        if (m_callbacks.onEdit) {
            m_callbacks.onEdit();
        }
    });
    add(QStringLiteral("togglePinned"),
        m_presentation.isPinned ? L10n::string(L10N("action.unpin"), language)
                                : L10n::string(L10N("action.pin"), language),
        true, [this] {
            if (m_callbacks.onTogglePinned) {
                m_callbacks.onTogglePinned();
            }
        });
    menu->addSeparator();
    const struct {
        const char* name;
        QString text;
        PromptMoveDirection direction;
    } moves[] = {
        {"moveUp", L10n::string(L10N("action.move.up"), language), PromptMoveDirection::up},
        {"moveDown", L10n::string(L10N("action.move.down"), language), PromptMoveDirection::down},
        {"moveTop", L10n::string(L10N("action.move.top"), language), PromptMoveDirection::top},
        {"moveBottom", L10n::string(L10N("action.move.bottom"), language), PromptMoveDirection::bottom},
    };
    for (const auto& move : moves) {
        const PromptMoveDirection direction = move.direction;
        const bool enabled = m_input.allowsOrdering && (m_callbacks.canMove ? m_callbacks.canMove(direction)
                                                                            : m_input.canMove[size_t(direction)]);
        add(QString::fromLatin1(move.name), move.text, enabled, [this, direction] {
            if (m_callbacks.onMove) {
                m_callbacks.onMove(direction);
            }
        });
    }
    menu->addSeparator();
    add(QStringLiteral("delete"), L10n::string(L10N("action.delete"), language), true, [this] {
        if (m_callbacks.onDelete) {
            m_callbacks.onDelete();
        }
    });
    return menu;
}

void PromptTileView::openEditMenu() {
    if (m_menu) {
        return;
    }
    // A child of the panel window, so the window manager treats it as part of the panel.
    QMenu* menu = createEditMenu(window());
    m_menu = menu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<PromptTileView> tile(this);
    auto onMenuOpenChange = m_callbacks.onMenuOpenChange;
    connect(menu, &QMenu::aboutToHide, menu, [tile, onMenuOpenChange] {
        if (tile && tile->m_more) {
            tile->m_more->setDown(false);
        }
        if (onMenuOpenChange) {
            onMenuOpenChange(false);
        }
    });
    if (onMenuOpenChange) {
        onMenuOpenChange(true);
    }
    menu->popup(m_more->mapToGlobal(QPoint(0, m_more->height() + 2)));
}

void PromptTileView::activate() {
    if (m_callbacks.onCopy) {
        m_callbacks.onCopy();
    }
}

QSize PromptTileView::sizeHint() const {
    return m_presentation.tileSize.isValid() ? m_presentation.tileSize : TilePresentation::gridTileSize;
}

void PromptTileView::setHovered(bool hovered) {
    if (m_hovered == hovered) {
        return;
    }
    // The flag first, then the report, so the panel sees a tile that already knows.
    m_hovered = hovered;
    if (m_hasInput) {
        refresh();
    }
    if (m_callbacks.onHoverChange) {
        m_callbacks.onHoverChange(hovered);
    }
}

void PromptTileView::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setHovered(true);
}

void PromptTileView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (m_pressed) {
        m_pressed = false;
        update();
    }
    setHovered(false);
}

void PromptTileView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), TilePresentation::cornerRadius, TilePresentation::cornerRadius);
    if (!shape.contains(event->position())) {
        event->ignore();
        return;
    }
    m_pressed = true;
    update();
}

void PromptTileView::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    if (m_pressed != inside && (event->buttons() & Qt::LeftButton)) {
        m_pressed = inside;
        update();
    }
}

void PromptTileView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    update();
    if (rect().contains(event->position().toPoint())) {
        activate();
    }
}

qreal PromptTileView::metaRowHeight() const {
    const TilePresentation& p = m_presentation;
    if (p.shortcutText) {
        return badgeHeight;
    }
    return p.showsMetaPin ? metaPinHeight : 0;
}

void PromptTileView::paintMetaRow(QPainter& painter, const QRectF& row) const {
    const TilePresentation& p = m_presentation;
    if (p.shortcutText) {
        const QFont font = badgeFont();
        const QFontMetricsF metrics(font);
        const qreal width = std::max(badgeMinWidth, metrics.horizontalAdvance(*p.shortcutText) + 16);
        const qreal available = row.width() - (p.showsMetaPin ? 14 + 4 + 6 : 0);
        const QRectF badge(row.left(), row.center().y() - badgeHeight / 2, std::min(width, available), badgeHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(p.shortcutBadgeAccented ? TileLook::withOpacity(TileLook::accent(), 0.14)
                                                 : TileLook::white(0.1));
        painter.drawRoundedRect(badge, badgeHeight / 2, badgeHeight / 2);
        painter.setFont(font);
        painter.setPen(p.shortcutBadgeAccented ? TileLook::accent() : TileLook::white(0.72));
        painter.drawText(badge.adjusted(8, 0, -8, 0), Qt::AlignCenter,
                         metrics.elidedText(*p.shortcutText, Qt::ElideRight, badge.width() - 16));
    }
    if (p.showsMetaPin) {
        const QRectF frame(row.right() - 14, row.center().y() - metaPinHeight / 2, 14, metaPinHeight);
        TileIcons::pin(painter, QRectF(frame.center().x() - 5, frame.center().y() - 5, 10, 10), TileLook::white(0.72));
    }
}

void PromptTileView::paintEvent(QPaintEvent*) {
    // Laid out when first painted: most tiles of a long panel are never on screen.
    layOutText();
    const TilePresentation& p = m_presentation;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF bounds = rect();
    qreal scale = p.scale;
    if (m_pressed && !m_input.reduceMotion) {
        scale *= 0.97;
    }
    if (scale != 1) {
        painter.translate(bounds.center());
        painter.scale(scale, scale);
        painter.translate(-bounds.center());
    }

    TileChromeCache::draw(painter, TileChromeCache::Look{
                                       .size = rect().size(),
                                       .fill = TileLook::white(p.fillOpacity),
                                       .border = p.borderColor,
                                       .borderWidth = p.borderWidth,
                                       .borderInset = p.borderInset,
                                       .ring = p.copiedRingOpacity > 0
                                                   ? TileLook::withOpacity(TileLook::green(), p.copiedRingOpacity)
                                                   : QColor(Qt::transparent),
                                   });

    // Content.
    const qreal pad = p.contentPadding;
    const bool grid = m_input.layoutMode == PromptPanelLayoutMode::grid;
    const QColor titleColor = TileLook::white(0.98);
    const QColor bodyColor = TileLook::white(0.82);
    const qreal metaHeight = metaRowHeight();
    if (grid) {
        qreal y = pad;
        m_title.paint(painter, QPointF(pad, y), titleColor);
        y += m_title.height() + m_gridSpacing;
        paintMetaRow(painter, QRectF(pad, y, bounds.width() - 2 * pad, metaHeight));
        y += metaHeight + m_gridSpacing;
        painter.save();
        painter.setClipRect(QRectF(0, 0, bounds.width(), bounds.height() - pad / 2));
        m_body.paint(painter, QPointF(pad, y), bodyColor);
        painter.restore();
    } else {
        const qreal column = TilePresentation::listTitleColumnWidth;
        qreal y = pad;
        m_title.paint(painter, QPointF(pad, y), titleColor);
        y += m_title.height() + listColumnSpacing;
        paintMetaRow(painter, QRectF(pad, y, column, metaHeight));
        m_body.paint(painter, QPointF(pad + column + listColumnGap, pad + 2), bodyColor);
    }

    // Top-trailing corner.
    const qreal right = bounds.width() - cornerInset;
    if (p.corner == TilePresentation::Corner::copiedBadge) {
        const QRectF badge(right - 22, cornerInset, 22, 22);
        painter.setPen(Qt::NoPen);
        painter.setBrush(TileLook::withOpacity(TileLook::accent(), 0.94));
        painter.drawEllipse(badge);
        TileIcons::checkmark(painter, badge.adjusted(5.5, 5.5, -5.5, -5.5), TileLook::black(0.86), 2.0);
    }
    if (p.showsAccessoryPin) {
        const QRectF frame(right - 20 - 4 - 14, cornerInset, 14, 20);
        TileIcons::pin(painter, QRectF(frame.center().x() - 5, frame.center().y() - 5, 10, 10), TileLook::white(0.72));
    }

    // Bottom-trailing corner.
    if (p.showsSelectedBadge) {
        const QRectF badge = selectedMarkRect();
        painter.setPen(Qt::NoPen);
        painter.setBrush(TileLook::black(0.36));
        painter.drawEllipse(badge);
        TileIcons::circleInsetFilled(painter, badge.adjusted(4, 4, -4, -4), Qt::white);
    }
}
