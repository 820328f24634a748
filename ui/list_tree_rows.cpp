#include "ui/list_tree_rows.h"

namespace qv::ui {

int ListTreeRows::insert(int parent, std::wstring text, bool expanded) {
  if (parent < 0 || parent >= size()) parent = kRoot;
  // After the parent's last descendant: the first later row whose level is not deeper.
  int at = size();
  if (parent != kRoot) {
    int parentLevel = level(parent);
    at = parent + 1;
    while (at < size() && level(at) > parentLevel) ++at;
  }
  Node n;
  n.parent = parent;
  n.level = parent == kRoot ? 0 : level(parent) + 1;
  n.expanded = expanded;
  n.text = std::move(text);
  nodes_.insert(nodes_.begin() + at, std::move(n));
  // Rows after the insertion point moved one down: so did the parents that point at them.
  for (int i = at + 1; i < size(); ++i) {
    if (nodes_[static_cast<std::size_t>(i)].parent >= at)
      ++nodes_[static_cast<std::size_t>(i)].parent;
  }
  return at;
}

void ListTreeRows::setExpanded(int row, bool expanded) {
  nodes_.at(static_cast<std::size_t>(row)).expanded = expanded;
}

bool ListTreeRows::visible(int row) const {
  for (int p = parent(row); p != kRoot; p = parent(p)) {
    if (!expanded(p)) return false;
  }
  return true;
}

std::wstring ListTreeRows::markup(int row) const {
  std::wstring m = L"<x 6>";
  for (int i = 0; i < level(row); ++i) m += L"<x 18>";
  if (level(row) <= 2) {
    m += expanded(row) ? L"<a><i expand_flag.png 2 1></a>" : L"<a><i expand_flag.png 2 0></a>";
  }
  return m + nodes_.at(static_cast<std::size_t>(row)).text;
}

}  // namespace qv::ui
