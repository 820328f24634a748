// A tree whose nodes carry three-state check boxes, kept as data apart from any control.
//
// A node without children stores checked or not. A node with children stores how many of its
// direct children are checked and how many are partly checked, and derives its own state from
// those counts: all children checked -> checked; none checked and none partial -> unchecked;
// otherwise partial. "Partial" is therefore never set, only derived, and a change climbs the
// ancestors in O(depth), each step stopping as soon as a parent's state stays the same.
// Checking (or unchecking) a node sets it and its whole subtree ("cascade"); clicking a partial
// node checks its subtree.
//
// Nodes also keep an expanded flag and a user value; visibleNodes() flattens the expanded part
// of the tree for a virtual list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::framework {

enum class CheckState : std::uint8_t { kUnchecked, kChecked, kPartial };

class TriStateTree {
 public:
  using NodeId = int;
  static constexpr NodeId kRoot = 0;  // invisible root; level of its children is 0

  TriStateTree();

  // A new last child of parent; unchecked leaf, collapsed unless `expanded`.
  NodeId add(NodeId parent, std::wstring text, bool expanded = false);
  // Removes the node and its subtree; ancestors re-derive their state. Ids of removed nodes are
  // not reused until clear().
  void remove(NodeId node);
  void clear();

  bool valid(NodeId node) const;
  NodeId parent(NodeId node) const;
  const std::vector<NodeId>& children(NodeId node) const;
  int level(NodeId node) const;  // 0 for children of the root
  std::size_t size() const;      // live nodes, the root excluded

  CheckState state(NodeId node) const;
  // Sets the node and every descendant, then re-derives the ancestors.
  void setChecked(NodeId node, bool checked);
  // The user's click: a checked node becomes unchecked, anything else checked.
  void toggle(NodeId node);

  bool expanded(NodeId node) const;
  void setExpanded(NodeId node, bool expanded);

  const std::wstring& text(NodeId node) const;
  void setText(NodeId node, std::wstring text);
  std::int64_t userValue(NodeId node) const;
  void setUserValue(NodeId node, std::int64_t value);

  // Every node whose ancestors are all expanded, in depth-first order.
  std::vector<NodeId> visibleNodes() const;

 private:
  struct Node {
    NodeId parent = -1;
    std::vector<NodeId> children;
    std::wstring text;
    std::int64_t userValue = 0;
    int level = -1;
    bool live = true;
    bool expanded = false;
    bool checked = false;  // a leaf's own state
    int checkedChildren = 0;
    int partialChildren = 0;
  };
  CheckState derive(const Node& n) const;
  void setSubtree(NodeId node, bool checked);
  // A child's state went from `before` to `after`: adjust the parent's counts and climb.
  void climb(NodeId child, CheckState before, CheckState after);
  void count(Node& parent, CheckState s, int delta);

  std::vector<Node> nodes_;
  std::size_t live_ = 0;
};

}  // namespace qv::framework
