#include "windows/manager/WorkspaceRowDelegate.h"

#include "widgets/ElidedTextBlock.h"
#include "widgets/InterfaceEnvironment.h"
#include "windows/manager/WorkspaceManagerListModel.h"
#include "windows/manager/WorkspaceManagerStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int tickColumn = 24;
constexpr int gap = 8;      // between the tick box and the block, and between rows
constexpr int padding = 10; // inside the block
constexpr int lineSpacing = 5;
// A read-only reason wraps; only a reason far longer than any of ours is cut.
constexpr int reasonMaxLines = 6;

struct Fonts {
    QFont headline;
    QFont caption;
    QFont path;
    QFont reason;
};

// The row's fonts at the interface text size of the list they are drawn in.
Fonts fontsFor(const QStyleOptionViewItem& option) {
    using namespace WorkspaceManagerStyle;
    const PromptPanelTextSize size = InterfaceEnvironment::textSize(option.widget);
    const auto scaled = [size](const QFont& font) { return InterfaceEnvironment::scaledFont(font, size); };
    const QFont& base = option.font;
    return {scaled(font(base, headlinePixels, QFont::DemiBold)), scaled(font(base, captionPixels)),
            scaled(monospaced(base, caption2Pixels)), scaled(font(base, caption2Pixels))};
}

// The tick box drawn by hand: the style's box is dark on the dark list and cannot be seen. Its
// outline stands out from the list's background by far more than 3:1; a ticked box is filled
// with the accent; the box of a read-only row is only a faint outline.
void paintTickBox(QPainter& painter, const QRect& rect, bool ticked, bool enabled) {
    using namespace WorkspaceManagerStyle;
    const QRectF box = QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!enabled) {
        painter.setPen(QPen(QColor(255, 255, 255, 46), 1.2, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box, 4, 4);
        painter.restore();
        return;
    }
    if (ticked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgb(accent));
        painter.drawRoundedRect(box, 4, 4);
        QPainterPath check;
        check.moveTo(box.left() + box.width() * 0.24, box.top() + box.height() * 0.52);
        check.lineTo(box.left() + box.width() * 0.43, box.top() + box.height() * 0.71);
        check.lineTo(box.left() + box.width() * 0.77, box.top() + box.height() * 0.31);
        painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(check);
    } else {
        painter.setPen(QPen(QColor(255, 255, 255, 160), 1.5));
        painter.setBrush(QColor(255, 255, 255, 14));
        painter.drawRoundedRect(box, 4, 4);
    }
    painter.restore();
}

// The width of a row's text inside a list of the given viewport width.
int contentWidth(int rowWidth) {
    return rowWidth - tickColumn - gap - 2 * padding;
}

} // namespace

WorkspaceRowDelegate::WorkspaceRowDelegate(WorkspaceManagerListModel& rows, QObject* parent)
    : QStyledItemDelegate(parent), m_rows(rows) {}

QRect WorkspaceRowDelegate::tickRect(const QRect& rowRect) {
    return QRect(rowRect.left() + 2, rowRect.top() + padding, tickColumn - 4, tickColumn - 4);
}

QRect WorkspaceRowDelegate::blockRect(const QRect& rowRect) {
    return QRect(rowRect.left() + tickColumn + gap, rowRect.top(), rowRect.width() - tickColumn - gap,
                 rowRect.height() - gap);
}

QSize WorkspaceRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    // The list asks for every row's size at each relayout: the two heights are measured once per
    // font.
    if (option.font != m_measuredFont || m_plainHeight == 0) {
        const Fonts fonts = fontsFor(option);
        m_measuredFont = option.font;
        m_plainHeight = padding + QFontMetrics(fonts.headline).height() + lineSpacing +
                        QFontMetrics(fonts.caption).height() + lineSpacing + QFontMetrics(fonts.path).height() +
                        padding + gap;
        m_readOnlyHeight = m_plainHeight + lineSpacing + QFontMetrics(fonts.reason).height();
    }
    const WorkspaceManagerModel::Row* row = m_rows.rowAt(index);
    if (row == nullptr || row->readOnlyReason.isEmpty()) {
        return QSize(200, m_plainHeight);
    }
    // The rows fill the list's width; the reason's lines are counted at that width.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const int rowWidth = view != nullptr ? view->viewport()->width() : option.rect.width();
    ElidedTextBlock reason;
    reason.setText(row->readOnlyReason, fontsFor(option).reason, contentWidth(rowWidth), reasonMaxLines);
    const int lines = qMax(1, int(reason.lines().size()));
    return QSize(200, m_readOnlyHeight + (lines - 1) * QFontMetrics(fontsFor(option).reason).height());
}

void WorkspaceRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const WorkspaceManagerModel::Row* row = m_rows.rowAt(index);
    if (row == nullptr) {
        return;
    }
    using namespace WorkspaceManagerStyle;
    const Fonts fonts = fontsFor(option);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    // The tick box: drawn for every row, enabled for user workspaces only.
    paintTickBox(*painter, tickRect(option.rect), row->isTicked, row->isTickable);

    const QRect block = blockRect(option.rect);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(block), 8, 8);
    painter->fillPath(shape, QColor::fromRgba(row->isSelected ? selectedRow : plainRow));
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(QColor::fromRgb(accent), 1));
        painter->drawPath(shape);
    }

    const QRect content = block.adjusted(padding, padding, -padding, -padding);
    const QColor primary = option.palette.color(QPalette::Text);
    const QColor secondary = QColor::fromRgba(secondaryText);
    int y = content.top();

    // Name, then the prompt count at the right.
    const QFontMetrics countMetrics(fonts.caption);
    const int countWidth = countMetrics.horizontalAdvance(row->promptCountText);
    const QFontMetrics headlineMetrics(fonts.headline);
    painter->setFont(fonts.caption);
    painter->setPen(secondary);
    painter->drawText(QRect(content.right() - countWidth, y, countWidth, headlineMetrics.height()),
                      Qt::AlignRight | Qt::AlignVCenter, row->promptCountText);
    painter->setFont(fonts.headline);
    painter->setPen(primary);
    const int nameWidth = content.width() - countWidth - gap;
    painter->drawText(QRect(content.left(), y, nameWidth, headlineMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      headlineMetrics.elidedText(row->name, Qt::ElideRight, nameWidth));
    y += headlineMetrics.height() + lineSpacing;

    painter->setFont(fonts.caption);
    painter->setPen(secondary);
    painter->drawText(QRect(content.left(), y, content.width(), countMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      countMetrics.elidedText(row->detailLine, Qt::ElideRight, content.width()));
    y += countMetrics.height() + lineSpacing;

    const QFontMetrics pathMetrics(fonts.path);
    painter->setFont(fonts.path);
    painter->drawText(QRect(content.left(), y, content.width(), pathMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      pathMetrics.elidedText(row->pathText, Qt::ElideMiddle, content.width()));
    y += pathMetrics.height() + lineSpacing;

    if (!row->readOnlyReason.isEmpty()) {
        ElidedTextBlock reason;
        reason.setText(row->readOnlyReason, fonts.reason, content.width(), reasonMaxLines);
        reason.paint(*painter, QPointF(content.left(), y), QColor::fromRgb(orange));
    }
    painter->restore();
}

bool WorkspaceRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
    const WorkspaceManagerModel::Row* row = m_rows.rowAt(index);
    if (row == nullptr) {
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    }
    if (event->type() != QEvent::MouseButtonRelease) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) {
        return false;
    }
    const QPoint position = mouse->position().toPoint();
    if (tickRect(option.rect).adjusted(-2, -2, 2, 2).contains(position)) {
        if (row->isTickable) {
            model->setData(index, row->isTicked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        return true;
    }
    if (blockRect(option.rect).contains(position)) {
        emit selectRequested(row->id);
        return true;
    }
    return false;
}
