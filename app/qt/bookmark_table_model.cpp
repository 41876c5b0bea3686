#include "app/qt/bookmark_table_model.h"

#include "platform/qt/qt_message_boxes.h"

namespace zn {
namespace {

const char* const kColumnTitles[] = {"Site", "Description", "User Name", "Password"};

}  // namespace

BookmarkTableModel::BookmarkTableModel(BookmarkList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
    list_.setObserver(this);
}

BookmarkTableModel::~BookmarkTableModel() {
    list_.setObserver(nullptr);
}

int BookmarkTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int BookmarkTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant BookmarkTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto& entry = list_.at(static_cast<std::size_t>(index.row()));
    switch (index.column()) {
        case 0:
            return toQt(entry.site);
        case 1:
            return toQt(entry.description);
        case 2:
            return toQt(entry.userName);
        case 3:
            return toQt(entry.password);
    }
    return {};
}

QVariant BookmarkTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 3)
        return {};
    return QString::fromLatin1(kColumnTitles[section]);
}

void BookmarkTableModel::beforeInsert(std::size_t row) {
    beginInsertRows({}, static_cast<int>(row), static_cast<int>(row));
}

void BookmarkTableModel::beforeRemove(std::size_t row) {
    beginRemoveRows({}, static_cast<int>(row), static_cast<int>(row));
}

void BookmarkTableModel::rowChanged(std::size_t row) {
    emit dataChanged(index(static_cast<int>(row), 0), index(static_cast<int>(row), 3));
}

}  // namespace zn
