#include "reader/TTreeModel.h"

TTreeModel::TTreeModel(QList<RTreeItem> items, QObject* parent)
    : QAbstractItemModel(parent), m_items(std::move(items)) {
    const qsizetype n = m_items.size();
    m_children.resize(size_t(n));
    m_row.resize(size_t(n));
    for (qsizetype i = 0; i < n; ++i) {
        const int p = m_items[i].parent;
        std::vector<int>& siblings =
            p >= 0 && p < i ? m_children[size_t(p)] : m_topLevel; // parents come first
        m_row[size_t(i)] = int(siblings.size());
        siblings.push_back(int(i));
    }
}

QModelIndex TTreeModel::indexOf(int item) const {
    if (item < 0 || item >= count())
        return {};
    return createIndex(m_row[size_t(item)], 0, quintptr(item));
}

int TTreeModel::itemOf(const QModelIndex& index) {
    return index.isValid() ? int(index.internalId()) : -1;
}

const std::vector<int>& TTreeModel::childrenOf(const QModelIndex& parent) const {
    return parent.isValid() ? m_children[size_t(parent.internalId())] : m_topLevel;
}

QModelIndex TTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || (parent.isValid() && parent.model() != this))
        return {};
    const std::vector<int>& children = childrenOf(parent);
    if (size_t(row) >= children.size())
        return {};
    return createIndex(row, 0, quintptr(children[size_t(row)]));
}

QModelIndex TTreeModel::parent(const QModelIndex& child) const {
    const int item = itemOf(child);
    if (item < 0 || item >= count())
        return {};
    return indexOf(m_items[item].parent);
}

int TTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(childrenOf(parent).size());
}

int TTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TTreeModel::data(const QModelIndex& index, int role) const {
    const int item = itemOf(index);
    if (item < 0 || item >= count())
        return {};
    if (role == Qt::DisplayRole)
        return m_items[item].caption;
    return {};
}

Qt::ItemFlags TTreeModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
