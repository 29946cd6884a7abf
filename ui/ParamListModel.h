// SPDX-License-Identifier: MIT
// The parameter list's one copy of its rows and columns, as lstParams shows them.
#pragma once
#include <QAbstractTableModel>
#include <functional>

#include "ui/ParamList.h"

namespace qm {

class ParamListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ParamListModel(QObject* parent = nullptr);

    const ParamList& list() const { return m_list; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // The row's text in column 0, its stored sub-item under the others.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void appendRow(ParamRow row);
    // Out-of-range rows are ignored.
    void removeRow(int row);
    void clearRows();
    // Runs edit on the columns; true (and the view told) when it reports a change.
    bool changeColumns(const std::function<bool(ParamList&)>& edit);

private:
    ParamList m_list;
};

}  // namespace qm
