#include "windows/manager/WorkspaceManagerListModel.h"

#include <algorithm>

void WorkspaceManagerListModel::setRows(QList<WorkspaceManagerModel::Row> rows) {
    const bool sameIDs =
        rows.size() == m_rows.size() && std::equal(rows.cbegin(), rows.cend(), m_rows.cbegin(),
                                                   [](const auto& a, const auto& b) { return a.id == b.id; });
    if (sameIDs) {
        if (rows == m_rows) {
            return;
        }
        m_rows = std::move(rows);
        if (!m_rows.isEmpty()) {
            emit dataChanged(index(0), index(int(m_rows.size()) - 1));
        }
        return;
    }
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const WorkspaceManagerModel::Row* WorkspaceManagerListModel::rowAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || index.row() < 0 || index.row() >= m_rows.size()) {
        return nullptr;
    }
    return &m_rows.at(index.row());
}

QModelIndex WorkspaceManagerListModel::indexOf(const QString& id) const {
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).id == id) {
            return index(row);
        }
    }
    return {};
}

int WorkspaceManagerListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant WorkspaceManagerListModel::data(const QModelIndex& index, int role) const {
    const WorkspaceManagerModel::Row* row = rowAt(index);
    if (row == nullptr) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return row->name;
    case Qt::AccessibleTextRole:
        return QStringList{row->name, row->promptCountText, row->detailLine, row->pathText, row->readOnlyReason}.join(
            QStringLiteral(", "));
    case Qt::AccessibleDescriptionRole:
        return row->isTickable ? row->tickAccessibleName : row->readOnlyReason;
    case Qt::CheckStateRole:
        return row->isTickable ? QVariant(row->isTicked ? Qt::Checked : Qt::Unchecked) : QVariant();
    case IdRole:
        return row->id;
    default:
        return {};
    }
}

bool WorkspaceManagerListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const WorkspaceManagerModel::Row* row = rowAt(index);
    if (row == nullptr || role != Qt::CheckStateRole || !row->isTickable) {
        return false;
    }
    // The manager model decides and the rows come back through setRows.
    emit tickRequested(row->id, value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags WorkspaceManagerListModel::flags(const QModelIndex& index) const {
    const WorkspaceManagerModel::Row* row = rowAt(index);
    if (row == nullptr) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (row->isTickable) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}
