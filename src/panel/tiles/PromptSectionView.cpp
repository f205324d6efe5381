#include "panel/tiles/PromptSectionView.h"

#include "panel/tiles/PromptPanelLayoutPicker.h"
#include "panel/tiles/PromptStageLayout.h"
#include "panel/tiles/PromptTileView.h"
#include "panel/tiles/TileLook.h"
#include "widgets/accessibility/AccessibleText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPaintEvent>

namespace {

QFont headerFont() {
    QFont font;
    font.setPixelSize(15);
    font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace

PromptSectionView::PromptSectionView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("promptSection"));
}

PromptPanelLayoutPicker* PromptSectionView::layoutPicker() const {
    return m_picker && !m_picker->isHidden() ? m_picker : nullptr;
}

void PromptSectionView::setOnLayoutModeChange(std::function<void(PromptPanelLayoutMode)> onChange) {
    m_onLayoutModeChange = std::move(onChange);
}

void PromptSectionView::setHeader(const QString& title, bool showsLayoutPicker, PromptPanelLayoutMode mode,
                                  std::optional<AppLanguage> language) {
    if (showsLayoutPicker) {
        if (!m_picker) {
            m_picker = new PromptPanelLayoutPicker(this);
            m_picker->setOnChange([this](PromptPanelLayoutMode chosen) {
                if (m_onLayoutModeChange) {
                    m_onLayoutModeChange(chosen);
                }
            });
        }
        m_picker->setSelection(mode, language);
        m_picker->move(blockWidth - headerTrailingPadding - m_picker->width(), 0);
        m_picker->show();
    } else if (m_picker) {
        m_picker->hide();
    }
    const qreal available = blockWidth - headerTrailingPadding - (showsLayoutPicker ? m_picker->width() + spacing : 0);
    const QString elided = QFontMetricsF(headerFont()).elidedText(title, Qt::ElideRight, available);
    if (title != m_title || elided != m_elidedTitle) {
        m_title = title;
        m_elidedTitle = elided;
        AccessibleText::setName(this, title);
        update();
    }
}

int PromptSectionView::headerHeight() const {
    const int text = int(std::ceil(QFontMetricsF(headerFont()).height()));
    return layoutPicker() ? std::max(text, m_picker->height()) : text;
}

QPoint PromptSectionView::tilePosition(int index, PromptPanelLayoutMode mode) {
    return PromptStageLayout::tilePosition(index, mode);
}

int PromptSectionView::blockHeight(int count, PromptPanelLayoutMode mode) {
    return PromptStageLayout::blockHeight(count, mode);
}

void PromptSectionView::setBlock(int count, PromptPanelLayoutMode mode) {
    m_count = count;
    m_mode = mode;
    const QSize size = sizeHint();
    if (this->size() != size) {
        setFixedSize(size);
    }
}

void PromptSectionView::setShownTiles(const QList<PromptTileView*>& tiles) {
    if (tiles == m_tiles) {
        return;
    }
    m_tiles = tiles;
    update();
}

QSize PromptSectionView::sizeHint() const {
    return QSize(blockWidth, PromptStageLayout::sectionHeight({headerHeight(), m_count}, m_mode));
}

void PromptSectionView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont font = headerFont();
    painter.setFont(font);
    painter.setPen(TileLook::textPrimary());
    painter.drawText(QRectF(0, 0, blockWidth, headerHeight()), Qt::AlignLeft | Qt::AlignVCenter, m_elidedTitle);

    // The tiles' glow and lift fall outside their own bounds, so the section draws them under the tiles.
    for (PromptTileView* tile : m_tiles) {
        const TilePresentation& p = tile->presentation();
        if ((p.glowOpacity <= 0 && p.liftOpacity <= 0) ||
            !event->rect().intersects(tile->geometry().adjusted(-8, -8, 8, 10))) {
            continue;
        }
        const QRectF bounds = QRectF(tile->geometry());
        const qreal radius = TilePresentation::cornerRadius;
        painter.setBrush(Qt::NoBrush);
        for (int step = 1; step <= 6; ++step) {
            const qreal fade = 1.0 - (step - 0.5) / 6.0;
            if (p.glowOpacity > 0) {
                painter.setPen(QPen(TileLook::withOpacity(TileLook::accent(), p.glowOpacity * fade * 0.5), 1));
                painter.drawRoundedRect(bounds.adjusted(-step + 0.5, -step + 0.5, step - 0.5, step - 0.5),
                                        radius + step, radius + step);
            }
            if (p.liftOpacity > 0 && step <= 3) {
                painter.setPen(QPen(TileLook::black(p.liftOpacity * (1.0 - (step - 0.5) / 3.0)), 1));
                painter.drawRoundedRect(bounds.adjusted(-step + 0.5, -step + 2.5, step - 0.5, step + 1.5),
                                        radius + step, radius + step);
            }
        }
    }
}
