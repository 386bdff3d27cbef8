#include "results/tree_build.h"

#include <QSet>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

bool shown_directory(const fat_entry_s &e)
{
    return (e.attributes & fat_attr_directory) && e.has_files && e.first_cluster != 0;
}

bool shown_directory(const ntfs_entry_s &e)
{
    return (e.flags & ntfs_flag_directory) && e.has_files && e.record_number > ntfs_last_system_record;
}

// Depth-first walk with an explicit stack: a deep directory chain cannot overflow the thread's
// stack, and an entry already placed is never placed twice (a damaged index cannot loop).
template <typename Entry>
std::unique_ptr<TreeModel> build_quick_tree(const Entry *root)
{
    auto model = std::make_unique<TreeModel>();
    if (!root)
        return model;
    auto *top = new TreeNode(QStringLiteral("/"), nullptr, root);
    model->root()->append(top);
    QSet<const Entry *> placed{root};
    std::vector<std::pair<TreeNode *, const Entry *>> stack{{top, root}};
    while (!stack.empty()) {
        auto [node, entry] = stack.back();
        stack.pop_back();
        // Children are appended in index order; their own children are filled when popped.
        const qsizetype first = qsizetype(stack.size());
        for (const Entry *child : entry->children) {
            if (!child || !shown_directory(*child) || placed.contains(child))
                continue;
            placed.insert(child);
            auto *sub = new TreeNode(child->name_text(), node, child);
            node->append(sub);
            stack.emplace_back(sub, child);
        }
        std::reverse(stack.begin() + first, stack.end()); // visit in order, first child first
    }
    return model;
}

} // namespace

std::unique_ptr<TreeModel> build_fat_tree(const fat_entry_s *root) { return build_quick_tree(root); }

std::unique_ptr<TreeModel> build_ntfs_tree(const ntfs_entry_s *root) { return build_quick_tree(root); }

std::unique_ptr<TreeModel> build_deep_tree(const QList<raw_category_s> &categories)
{
    auto model = std::make_unique<TreeModel>();
    auto *top = new TreeNode(QStringLiteral("/"), nullptr, nullptr);
    model->root()->append(top);
    for (const raw_category_s &c : categories)
        top->append(new TreeNode(QString::fromLatin1(c.extension), top, c.ids));
    return model;
}

TreeNode *tree_top(const TreeModel &model)
{
    const auto &top = model.root()->children;
    return top.isEmpty() ? nullptr : top.first();
}
