// The rows of a list whose rows form a tree (the disk list): each node has a level (children of
// the invisible root are level 0), an expanded flag and a text, and keeps its place in row
// order: a new node goes after its parent's last descendant. A node is hidden when its parent
// is collapsed or hidden. Its row shows as markup: an indent of 6 and 18 per level, the expand
// flag (for levels 0 to 2) as a link, then the text.
#pragma once

#include <string>
#include <vector>

namespace qv::ui {

class ListTreeRows {
 public:
  static constexpr int kRoot = -1;

  // The new node's row index. An unknown parent counts as the root.
  int insert(int parent, std::wstring text, bool expanded = false);
  void clear() { nodes_.clear(); }
  int size() const { return static_cast<int>(nodes_.size()); }

  int level(int row) const { return nodes_.at(static_cast<std::size_t>(row)).level; }
  int parent(int row) const { return nodes_.at(static_cast<std::size_t>(row)).parent; }
  bool expanded(int row) const { return nodes_.at(static_cast<std::size_t>(row)).expanded; }
  void setExpanded(int row, bool expanded);
  bool visible(int row) const;
  std::wstring markup(int row) const;

 private:
  struct Node {
    int parent = kRoot;
    int level = 0;
    bool expanded = false;
    std::wstring text;
  };
  std::vector<Node> nodes_;  // in row order; parents are stored as row indexes
};

}  // namespace qv::ui
