#include "framework/tri_state_tree.h"

#include <algorithm>

namespace qv::framework {

TriStateTree::TriStateTree() {
  clear();
}

void TriStateTree::clear() {
  nodes_.assign(1, Node{});
  nodes_[0].expanded = true;
  live_ = 0;
}

bool TriStateTree::valid(NodeId n) const {
  return n >= 0 && static_cast<std::size_t>(n) < nodes_.size() && nodes_[n].live;
}

TriStateTree::NodeId TriStateTree::parent(NodeId n) const {
  return valid(n) ? nodes_[n].parent : -1;
}

const std::vector<TriStateTree::NodeId>& TriStateTree::children(NodeId n) const {
  static const std::vector<NodeId> kNone;
  return valid(n) ? nodes_[n].children : kNone;
}

int TriStateTree::level(NodeId n) const {
  return valid(n) ? nodes_[n].level : -1;
}
std::size_t TriStateTree::size() const {
  return live_;
}

CheckState TriStateTree::derive(const Node& n) const {
  if (n.children.empty()) return n.checked ? CheckState::kChecked : CheckState::kUnchecked;
  if (n.checkedChildren == static_cast<int>(n.children.size())) return CheckState::kChecked;
  if (n.checkedChildren == 0 && n.partialChildren == 0) return CheckState::kUnchecked;
  return CheckState::kPartial;
}

CheckState TriStateTree::state(NodeId n) const {
  return valid(n) ? derive(nodes_[n]) : CheckState::kUnchecked;
}

void TriStateTree::count(Node& p, CheckState s, int delta) {
  if (s == CheckState::kChecked) p.checkedChildren += delta;
  if (s == CheckState::kPartial) p.partialChildren += delta;
}

void TriStateTree::climb(NodeId child, CheckState before, CheckState after) {
  NodeId p = nodes_[child].parent;
  while (p >= 0 && before != after) {
    Node& pn = nodes_[p];
    CheckState parentBefore = derive(pn);
    count(pn, before, -1);
    count(pn, after, +1);
    CheckState parentAfter = derive(pn);
    before = parentBefore;
    after = parentAfter;
    p = pn.parent;
  }
}

TriStateTree::NodeId TriStateTree::add(NodeId parent, std::wstring text, bool expanded) {
  if (!valid(parent) && parent != kRoot) parent = kRoot;
  NodeId id = static_cast<NodeId>(nodes_.size());
  Node n;
  n.parent = parent;
  n.text = std::move(text);
  n.level = nodes_[parent].level + 1;
  n.expanded = expanded;
  CheckState parentBefore = derive(nodes_[parent]);
  // A leaf parent that was checked hands its state over: the new child starts as the parent
  // was, so adding a child never flips a checked leaf to unchecked.
  if (nodes_[parent].children.empty() && parent != kRoot) n.checked = nodes_[parent].checked;
  nodes_.push_back(std::move(n));
  Node& pn = nodes_[parent];
  pn.children.push_back(id);
  count(pn, derive(nodes_[id]), +1);
  ++live_;
  if (parent != kRoot) climb(parent, parentBefore, derive(nodes_[parent]));
  return id;
}

void TriStateTree::remove(NodeId node) {
  if (!valid(node) || node == kRoot) return;
  NodeId parent = nodes_[node].parent;
  Node& pn = nodes_[parent];
  CheckState parentBefore = derive(pn);
  count(pn, derive(nodes_[node]), -1);
  pn.children.erase(std::find(pn.children.begin(), pn.children.end(), node));
  if (pn.children.empty()) pn.checked = parentBefore == CheckState::kChecked;
  std::vector<NodeId> stack{node};
  while (!stack.empty()) {
    NodeId n = stack.back();
    stack.pop_back();
    nodes_[n].live = false;
    --live_;
    for (NodeId c : nodes_[n].children) stack.push_back(c);
  }
  if (parent != kRoot) climb(parent, parentBefore, derive(nodes_[parent]));
}

void TriStateTree::setSubtree(NodeId node, bool checked) {
  // Iterative, so a deep tree cannot exhaust the stack.
  std::vector<NodeId> stack{node};
  while (!stack.empty()) {
    NodeId n = stack.back();
    stack.pop_back();
    Node& nd = nodes_[n];
    nd.checked = checked;
    nd.checkedChildren = checked ? static_cast<int>(nd.children.size()) : 0;
    nd.partialChildren = 0;
    for (NodeId c : nd.children) stack.push_back(c);
  }
}

void TriStateTree::setChecked(NodeId node, bool checked) {
  if (!valid(node) || node == kRoot) return;
  CheckState before = derive(nodes_[node]);
  setSubtree(node, checked);
  climb(node, before, derive(nodes_[node]));
}

void TriStateTree::toggle(NodeId node) {
  setChecked(node, state(node) != CheckState::kChecked);
}

bool TriStateTree::expanded(NodeId n) const {
  return valid(n) && nodes_[n].expanded;
}
void TriStateTree::setExpanded(NodeId n, bool e) {
  if (valid(n)) nodes_[n].expanded = e;
}

const std::wstring& TriStateTree::text(NodeId n) const {
  static const std::wstring kEmpty;
  return valid(n) ? nodes_[n].text : kEmpty;
}
void TriStateTree::setText(NodeId n, std::wstring t) {
  if (valid(n)) nodes_[n].text = std::move(t);
}
std::int64_t TriStateTree::userValue(NodeId n) const {
  return valid(n) ? nodes_[n].userValue : 0;
}
void TriStateTree::setUserValue(NodeId n, std::int64_t v) {
  if (valid(n)) nodes_[n].userValue = v;
}

std::vector<TriStateTree::NodeId> TriStateTree::visibleNodes() const {
  std::vector<NodeId> out;
  std::vector<NodeId> stack(nodes_[kRoot].children.rbegin(), nodes_[kRoot].children.rend());
  while (!stack.empty()) {
    NodeId n = stack.back();
    stack.pop_back();
    out.push_back(n);
    const Node& nd = nodes_[n];
    if (nd.expanded) stack.insert(stack.end(), nd.children.rbegin(), nd.children.rend());
  }
  return out;
}

}  // namespace qv::framework
