#include "results/tree_model.h"

#include <QPixmap>

TreeNode::TreeNode(QString name_, TreeNode *parent_, const void *payload_)
    : name(std::move(name_)), parent(parent_), payload(payload_)
{
}

TreeNode::~TreeNode() { qDeleteAll(children); }

void TreeNode::append(TreeNode *child)
{
    child->parent = this;
    child->row = int(children.size());
    children.append(child);
}

TreeModel::TreeModel(QObject *parent)
    : QAbstractItemModel(parent), root_(new TreeNode(QStringLiteral("Title"), nullptr, nullptr))
{
    const QPixmap folder(QStringLiteral(":/images/recovery/folder.png"));
    if (!folder.isNull())
        folder_icon_ = QIcon(folder);
}

TreeModel::~TreeModel() { delete root_; }

TreeNode *TreeModel::node_of(const QModelIndex &index)
{
    return index.isValid() ? static_cast<TreeNode *>(index.internalPointer()) : nullptr;
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    const TreeNode *node = parent.isValid() ? node_of(parent) : root_;
    if (row < 0 || row >= node->children.size())
        return {};
    return createIndex(row, column, node->children[row]);
}

QModelIndex TreeModel::parent(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    TreeNode *p = node_of(index)->parent;
    if (!p || p == root_)
        return {};
    return createIndex(p->row, 0, p);
}

int TreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const TreeNode *node = parent.isValid() ? node_of(parent) : root_;
    return int(node->children.size());
}

int TreeModel::columnCount(const QModelIndex &) const { return 1; }

QVariant TreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DecorationRole)
        return folder_icon_.isNull() ? QVariant() : QVariant(folder_icon_);
    if (role == Qt::DisplayRole)
        return node_of(index)->name;
    return {};
}

QVariant TreeModel::headerData(int, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return root_->name;
    return {};
}

Qt::ItemFlags TreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}
