#pragma once
// The results tree: directories that lead to found files after a quick scan, one node per
// extension after a deep scan. Built complete once per scan and replaced as a whole.

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <QString>

class TreeNode {
public:
    TreeNode(QString name, TreeNode *parent, const void *payload);
    ~TreeNode();
    TreeNode(const TreeNode &) = delete;
    TreeNode &operator=(const TreeNode &) = delete;

    // Takes ownership; the child's row is its position here.
    void append(TreeNode *child);

    QList<TreeNode *> children; // owned
    QString name;
    TreeNode *parent = nullptr; // null only for the invisible root
    const void *payload = nullptr; // the engine record (or category list) the node stands for
    int row = 0; // position in the parent's children, kept so parent() is O(1)
};

class TreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TreeModel(QObject *parent = nullptr);
    ~TreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    TreeNode *root() const { return root_; }
    static TreeNode *node_of(const QModelIndex &index);

private:
    TreeNode *root_;
    QIcon folder_icon_;
};
