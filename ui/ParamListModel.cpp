// SPDX-License-Identifier: MIT
#include "ui/ParamListModel.h"

namespace qm {

ParamListModel::ParamListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ParamListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.rows().size());
}

int ParamListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.columns().size());
}

QVariant ParamListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const ParamRow& row = m_list.rows()[static_cast<std::size_t>(index.row())];
    return QString::fromStdString(ParamList::ShownText(row, static_cast<std::size_t>(index.column())));
}

QVariant ParamListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    return QString::fromStdString(m_list.columns()[static_cast<std::size_t>(section)].heading);
}

void ParamListModel::appendRow(ParamRow row) {
    const int at = rowCount();
    beginInsertRows({}, at, at);
    m_list.appendRow(std::move(row));
    endInsertRows();
}

void ParamListModel::removeRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    m_list.removeRow(static_cast<std::size_t>(row));
    endRemoveRows();
}

void ParamListModel::clearRows() {
    if (rowCount() == 0) return;
    beginRemoveRows({}, 0, rowCount() - 1);
    m_list.clearRows();
    endRemoveRows();
}

bool ParamListModel::changeColumns(const std::function<bool(ParamList&)>& edit) {
    // Edited aside, so a change that does not happen keeps the view's selection.
    ParamList edited = m_list;
    if (!edit(edited)) return false;
    beginResetModel();
    m_list = std::move(edited);
    endResetModel();
    return true;
}

}  // namespace qm
