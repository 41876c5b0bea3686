// The bookmark list as a Qt table model: four columns over the rows the
// logic holds, told of every change through the list's observer.
#pragma once

#include <QAbstractTableModel>

#include "app/bookmark_list.h"

namespace zn {

class BookmarkTableModel : public QAbstractTableModel, private ListObserver {
    Q_OBJECT
public:
    explicit BookmarkTableModel(BookmarkList& list, QObject* parent = nullptr);
    ~BookmarkTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The logic's selection changed; the view mirrors it.
    void logicSelectionChanged();

private:
    void beforeReset() override { beginResetModel(); }
    void afterReset() override { endResetModel(); }
    void beforeInsert(std::size_t row) override;
    void afterInsert(std::size_t) override { endInsertRows(); }
    void beforeRemove(std::size_t row) override;
    void afterRemove(std::size_t) override { endRemoveRows(); }
    void rowChanged(std::size_t row) override;
    void selectionChanged() override { emit logicSelectionChanged(); }

    BookmarkList& list_;
};

}  // namespace zn
