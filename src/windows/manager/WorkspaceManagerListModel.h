#pragma once

#include "windows/manager/WorkspaceManagerModel.h"

#include <QAbstractListModel>

// The rows of the manager's sidebar list for a QListView: rows are painted by
// WorkspaceRowDelegate only as they come into view, so a new search costs the row texts alone.
class WorkspaceManagerListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { IdRole = Qt::UserRole + 1 };

    using QAbstractListModel::QAbstractListModel;

    // Replaces the rows; the same ids in the same order only update the texts and ticks, so the
    // scroll position and the current row stay.
    void setRows(QList<WorkspaceManagerModel::Row> rows);
    const QList<WorkspaceManagerModel::Row>& rows() const { return m_rows; }
    const WorkspaceManagerModel::Row* rowAt(const QModelIndex& index) const;
    QModelIndex indexOf(const QString& id) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void tickRequested(const QString& id, bool ticked);

private:
    QList<WorkspaceManagerModel::Row> m_rows;
};
