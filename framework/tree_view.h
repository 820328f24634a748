// A tree of rows with expand flags, three-state check boxes and icons, drawn from a
// TriStateTree (tri_state_tree.h): only the expanded part is flattened into rows, and only the
// rows inside the view are painted.
//
// Clicking a node's check box checks or unchecks its subtree and re-derives its ancestors, then
// sends "checkboxselectchanged" (wParam = node). Clicking the expand flag, or double-clicking
// the row, expands or collapses it and sends "itemexpand". Clicking elsewhere on an enabled row
// selects it: "itemselect". Disabled nodes show grey and take no clicks.
#pragma once

#include <vector>

#include "framework/control.h"
#include "framework/list_viewport.h"
#include "framework/tri_state_tree.h"

namespace qv::framework {

class TreeView : public Control {
 public:
  using NodeId = TriStateTree::NodeId;
  explicit TreeView(std::string kind = "TreeView");
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;

  TriStateTree& nodes() { return tree_; }
  const TriStateTree& nodes() const { return tree_; }
  NodeId addNode(NodeId parent, std::wstring text, bool checkable, const ImageRef& icon = {});
  void removeAllNodes();
  void setNodeEnabled(NodeId n, bool enabled);
  bool nodeEnabled(NodeId n) const;
  bool nodeCheckable(NodeId n) const;
  void setNodeText(NodeId n, std::wstring text);
  // Programmatic check: cascades and climbs like a click, sends nothing.
  void setNodeChecked(NodeId n, bool checked);
  void setExpanded(NodeId n, bool expanded, bool sendNotify = false);

  NodeId selectedNode() const { return selected_; }
  // -1 clears; sends "itemselect" when it changed and sendNotify is set.
  void selectNode(NodeId n, bool sendNotify = true);

  // Rows as shown now (node ids, depth-first, collapsed subtrees left out).
  const std::vector<NodeId>& rows();

  void arrange(const Rect& r, TextMeasurer& m, int dpi) override;
  void paint(Painter& p) override;
  void onMouseDown(const MouseEvent& e) override;
  void onDoubleClick(const MouseEvent& e) override;
  void onMouseMove(const MouseEvent& e) override;
  void onMouseLeave() override;
  bool onWheel(int delta) override;

  // Parts of a row, window pixels; empty when the row has no such part.
  struct RowParts {
    Rect row, expander, checkBox, icon, text;
  };
  RowParts rowParts(std::int64_t rowIndex);

 protected:
  // Hooks for controls built on the tree (ui/file_tree): after a user's check change and after
  // an expansion change, before the notification goes out.
  virtual void onChecked(NodeId) {}
  virtual void onExpanded(NodeId) {}

  struct Look {
    ImageRef icon;
    bool checkable = false;
    bool enabled = true;
  };
  Look& look(NodeId n);
  const Look* findLook(NodeId n) const;

 private:
  void rowsChanged();
  std::int64_t rowAtPoint(Point p);

  TriStateTree tree_;
  std::vector<Look> looks_;  // by node id
  std::vector<NodeId> rows_;
  bool rowsValid_ = false;
  ListViewport viewport_;
  NodeId selected_ = -1;
  std::int64_t hotRow_ = -1;

  int itemHeight_ = 28;
  int indent_ = 16;
  Color itemTextColor_ = 0;
  Color selectedBkColor_ = 0xFFE3EEFBu;
  Color hotBkColor_ = 0xFFF2F6FBu;
  int itemFont_ = -1;
  ImageRef expandImage_;  // two side-by-side parts: collapsed, expanded
  ImageRef uncheckedImage_, checkedImage_, halfImage_;
};

}  // namespace qv::framework
