#pragma once

#include <QFont>
#include <QStyledItemDelegate>

class WorkspaceManagerListModel;

// Paints one row of the manager list: the deletion tick box (user workspaces only), then a
// rounded block with the name and prompt count, "source · bindings", the path with "~", and for
// a read-only workspace its reason. A click on the tick box toggles it; a click elsewhere asks
// for the workspace to be selected.
class WorkspaceRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit WorkspaceRowDelegate(WorkspaceManagerListModel& rows, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Where the tick box of a row drawn in `rowRect` sits.
    static QRect tickRect(const QRect& rowRect);
    // Where the clickable block of a row drawn in `rowRect` sits.
    static QRect blockRect(const QRect& rowRect);

signals:
    void selectRequested(const QString& id);

private:
    WorkspaceManagerListModel& m_rows;
    mutable QFont m_measuredFont;
    mutable int m_plainHeight = 0;
    mutable int m_readOnlyHeight = 0;
};
