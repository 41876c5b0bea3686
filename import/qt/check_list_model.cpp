#include "import/qt/check_list_model.h"

#include "platform/qt/qt_message_boxes.h"

namespace zn {

int CheckListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= list_.size()) return {};
    const CheckListItem& item = list_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return toQt(item.text);
    if (role == Qt::CheckStateRole) return item.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool CheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid()) return false;
    userTicked_(static_cast<std::size_t>(index.row()),
                value.value<Qt::CheckState>() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

void CheckListModel::reload() {
    beginResetModel();
    endResetModel();
}

void CheckListModel::tickChanged(std::size_t row) {
    const QModelIndex changed = index(static_cast<int>(row));
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

}  // namespace zn
