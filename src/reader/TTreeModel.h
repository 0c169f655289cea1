#pragma once

#include "data/TreeDescription.h"

#include <QAbstractItemModel>

#include <vector>

// The items of one contents tree as a read-only item model: one column, the
// caption as display text. The model index of an item carries the item's
// line index, which is also its absolute position in the tree.
class TTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TTreeModel(QList<RTreeItem> items, QObject* parent = nullptr);

    const QList<RTreeItem>& items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    // The model index of item `item` (invalid when out of range), and back.
    QModelIndex indexOf(int item) const;
    static int itemOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const std::vector<int>& childrenOf(const QModelIndex& parent) const;

    QList<RTreeItem> m_items;
    std::vector<int> m_topLevel;
    std::vector<std::vector<int>> m_children; // per item, its children in line order
    std::vector<int> m_row;                   // per item, its row below its parent
};
