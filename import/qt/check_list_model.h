// A check list of the import dialog shown through a model, so that a bookmark
// file of a hundred thousand addresses makes no widget per item. A tick the
// user sets goes to the logic; the logic's changes come back as resets and
// single-item updates.
#pragma once

#include <QAbstractListModel>
#include <functional>

#include "import/check_list.h"

namespace zn {

class CheckListModel : public QAbstractListModel {
    Q_OBJECT
public:
    CheckListModel(const CheckList& list, std::function<void(std::size_t, bool)> userTicked,
                   QObject* parent = nullptr)
        : QAbstractListModel(parent), list_(list), userTicked_(std::move(userTicked)) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The logic replaced or reordered the items.
    void reload();
    void tickChanged(std::size_t row);

private:
    const CheckList& list_;
    std::function<void(std::size_t, bool)> userTicked_;
};

}  // namespace zn
