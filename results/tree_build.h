#pragma once
// Building the results tree from a finished engine's index. Each builder returns a model whose
// invisible root holds the single node "/"; the page treats a "/" without children as an empty
// result.

#include "engines/found_entries.h"
#include "results/engine_set.h"
#include "results/tree_model.h"

#include <memory>

// Directories below root that hold files (directory bit, has_files, first cluster not 0).
std::unique_ptr<TreeModel> build_fat_tree(const fat_entry_s *root);
// Directories below root that hold files (directory flag, has_files, record above 11).
std::unique_ptr<TreeModel> build_ntfs_tree(const ntfs_entry_s *root);
// One leaf per category, in the given order; "/" has no payload.
std::unique_ptr<TreeModel> build_deep_tree(const QList<raw_category_s> &categories);

// The node "/" of a built model (null when there is none).
TreeNode *tree_top(const TreeModel &model);
