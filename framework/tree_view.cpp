#include "framework/tree_view.h"
#include "framework/attribute_parsing.h"

#include <algorithm>

#include "framework/dpi.h"
#include "framework/values.h"
#include "framework/window.h"

namespace qv::framework {

namespace {

constexpr int kPartSize = 16;  // expander, check box and icon side, design units
constexpr int kGap = 4;

}  // namespace

TreeView::TreeView(std::string kind) : Control(std::move(kind)) {}

bool TreeView::isA(std::string_view n) const {
  return sameName(n, "TreeView") || sameName(n, "List") || sameName(n, "IList") ||
         sameName(n, "IListOwner") || Control::isA(n);
}

AttributeResult TreeView::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "itemheight")) return parsedAs(parseInt(v, &itemHeight_) && itemHeight_ > 0);
  if (sameName(n, "indent")) return parsedAs(parseInt(v, &indent_) && indent_ >= 0);
  if (sameName(n, "itemtextcolor")) return parsedAs(parseColor(v, &itemTextColor_));
  if (sameName(n, "itemselectedbkcolor")) return parsedAs(parseColor(v, &selectedBkColor_));
  if (sameName(n, "itemhotbkcolor")) return parsedAs(parseColor(v, &hotBkColor_));
  if (sameName(n, "itemfont")) return parsedAs(parseInt(v, &itemFont_));
  if (sameName(n, "expandimage")) return parsedAs(parseImageRef(v, &expandImage_));
  if (sameName(n, "itemuncheckedimage")) return parsedAs(parseImageRef(v, &uncheckedImage_));
  if (sameName(n, "itemcheckedimage")) return parsedAs(parseImageRef(v, &checkedImage_));
  if (sameName(n, "itemhalfimage")) return parsedAs(parseImageRef(v, &halfImage_));
  return Control::setAttribute(n, v);
}

TreeView::Look& TreeView::look(NodeId n) {
  if (static_cast<std::size_t>(n) >= looks_.size()) looks_.resize(static_cast<std::size_t>(n) + 1);
  return looks_[static_cast<std::size_t>(n)];
}

const TreeView::Look* TreeView::findLook(NodeId n) const {
  return n >= 0 && static_cast<std::size_t>(n) < looks_.size()
             ? &looks_[static_cast<std::size_t>(n)]
             : nullptr;
}

TreeView::NodeId TreeView::addNode(NodeId parent, std::wstring text, bool checkable,
                                   const ImageRef& icon) {
  NodeId id = tree_.add(parent, std::move(text), true);
  Look& l = look(id);
  l.icon = icon;
  l.checkable = checkable;
  rowsChanged();
  return id;
}

void TreeView::removeAllNodes() {
  tree_.clear();
  looks_.clear();
  selected_ = -1;
  hotRow_ = -1;
  rowsChanged();
}

void TreeView::setNodeEnabled(NodeId n, bool enabled) {
  if (!tree_.valid(n)) return;
  look(n).enabled = enabled;
  invalidate();
}

bool TreeView::nodeEnabled(NodeId n) const {
  const Look* l = findLook(n);
  return tree_.valid(n) && (!l || l->enabled);
}

bool TreeView::nodeCheckable(NodeId n) const {
  const Look* l = findLook(n);
  return l && l->checkable;
}

void TreeView::setNodeText(NodeId n, std::wstring text) {
  tree_.setText(n, std::move(text));
  invalidate();
}

void TreeView::setNodeChecked(NodeId n, bool checked) {
  tree_.setChecked(n, checked);
  invalidate();
}

void TreeView::setExpanded(NodeId n, bool expanded, bool sendNotify) {
  if (!tree_.valid(n) || tree_.expanded(n) == expanded) return;
  tree_.setExpanded(n, expanded);
  rowsChanged();
  onExpanded(n);
  if (sendNotify) notify(EventType::kItemExpand, n);
}

void TreeView::selectNode(NodeId n, bool sendNotify) {
  if (n != -1 && !tree_.valid(n)) return;
  if (n == selected_) return;
  selected_ = n;
  invalidate();
  if (sendNotify) notify(EventType::kItemSelect, n);
}

const std::vector<TreeView::NodeId>& TreeView::rows() {
  if (!rowsValid_) {
    rows_ = tree_.visibleNodes();
    rowsValid_ = true;
    viewport_.setRowCount(static_cast<std::int64_t>(rows_.size()));
  }
  return rows_;
}

void TreeView::rowsChanged() {
  rowsValid_ = false;
  needLayout();
  invalidate();
}

void TreeView::arrange(const Rect& r, TextMeasurer&, int dpi) {
  setRect(r);
  rows();
  viewport_.setRowHeight(DpiScale{dpi}.px(itemHeight_));
  viewport_.setViewHeight(r.height());
}

TreeView::RowParts TreeView::rowParts(std::int64_t rowIndex) {
  RowParts parts;
  const std::vector<NodeId>& all = rows();
  if (rowIndex < 0 || rowIndex >= static_cast<std::int64_t>(all.size())) return parts;
  NodeId n = all[static_cast<std::size_t>(rowIndex)];
  DpiScale s{window() ? window()->dpi() : kDesignDpi};
  int h = viewport_.rowHeight();
  int top = rect().top + static_cast<int>(viewport_.rowTop(rowIndex));
  parts.row = Rect{rect().left, top, rect().right, top + h};
  int side = s.px(kPartSize);
  int y = top + (h - side) / 2;
  int x = rect().left + s.px(kGap) + s.px(indent_) * tree_.level(n);
  if (!tree_.children(n).empty()) parts.expander = Rect::fromSize(x, y, side, side);
  x += side + s.px(kGap);
  const Look* l = findLook(n);
  if (l && l->checkable) {
    parts.checkBox = Rect::fromSize(x, y, side, side);
    x += side + s.px(kGap);
  }
  if (l && l->icon.valid()) {
    Rect dest = l->icon.hasDest ? s.px(l->icon.dest) : Rect{0, 0, side, side};
    parts.icon = Rect::fromSize(x, top + (h - dest.height()) / 2, dest.width(), dest.height());
    x += dest.width() + s.px(kGap + 2);
  }
  parts.text = Rect{x, top, rect().right - s.px(kGap), top + h};
  return parts;
}

void TreeView::paint(Painter& p) {
  paintBackground(p);
  rows();
  RowRange range = viewport_.visibleRows();
  const WindowInfo* info = window() ? &window()->info() : nullptr;
  Color normal = (itemTextColor_ >> 24) ? itemTextColor_
                 : info                 ? info->defaultTextColor
                                        : 0xFF000000u;
  Color grey = info ? info->disabledTextColor : 0xFFA7A6AAu;
  p.pushClip(rect());
  Rect dirty = p.clipRect();
  for (std::int64_t r = range.first; r < range.end; ++r) {
    NodeId n = rows_[static_cast<std::size_t>(r)];
    RowParts parts = rowParts(r);
    if (parts.row.intersect(dirty).empty()) continue;
    bool enabled = nodeEnabled(n) && enabledInTree();
    if (n == selected_ && (selectedBkColor_ >> 24)) {
      p.fillRect(parts.row, selectedBkColor_);
    } else if (r == hotRow_ && enabled && (hotBkColor_ >> 24)) {
      p.fillRect(parts.row, hotBkColor_);
    }
    if (!parts.expander.empty() && expandImage_.valid()) {
      Size sheet = p.imageSize(expandImage_.file);
      ImageRef flag = expandImage_;
      flag.hasDest = false;
      p.drawImage(flag, parts.expander,
                  imagePart(sheet.cx, sheet.cy, 2, tree_.expanded(n) ? 1 : 0));
    }
    if (!parts.checkBox.empty()) {
      CheckState st = tree_.state(n);
      const ImageRef& img = st == CheckState::kChecked ? checkedImage_
                            : st == CheckState::kPartial
                                ? (halfImage_.valid() ? halfImage_ : checkedImage_)
                                : uncheckedImage_;
      if (img.valid()) {
        ImageRef drawn = img;
        drawn.hasDest = false;
        drawn.fade = enabled ? img.fade : 110;
        p.drawImage(drawn, parts.checkBox);
      }
    }
    if (!parts.icon.empty()) {
      ImageRef icon = findLook(n)->icon;
      icon.hasDest = false;
      icon.fade = enabled ? icon.fade : 110;
      p.drawImage(icon, parts.icon);
    }
    TextStyle st;
    st.font = itemFont_;
    st.color = enabled ? normal : grey;
    st.endEllipsis = true;
    st.bold = tree_.level(n) == 0 && !tree_.children(n).empty();
    p.drawText(parts.text, tree_.text(n), st);
  }
  p.popClip();
  paintBorder(p);
}

std::int64_t TreeView::rowAtPoint(Point p) {
  if (!rect().contains(p)) return -1;
  rows();
  return viewport_.rowAt(p.y - rect().top);
}

void TreeView::onMouseDown(const MouseEvent& e) {
  std::int64_t r = rowAtPoint(e.pos);
  if (r < 0) return;
  NodeId n = rows_[static_cast<std::size_t>(r)];
  RowParts parts = rowParts(r);
  if (parts.expander.contains(e.pos)) {
    setExpanded(n, !tree_.expanded(n), true);
    return;
  }
  if (!nodeEnabled(n)) return;
  if (parts.checkBox.contains(e.pos)) {
    tree_.toggle(n);
    invalidate();
    onChecked(n);
    notify(EventType::kCheckBoxSelectChanged, n);
    return;
  }
  selectNode(n);
}

void TreeView::onDoubleClick(const MouseEvent& e) {
  std::int64_t r = rowAtPoint(e.pos);
  if (r < 0) return;
  NodeId n = rows_[static_cast<std::size_t>(r)];
  if (!tree_.children(n).empty()) setExpanded(n, !tree_.expanded(n), true);
  notify(EventType::kItemDbClick, n);
}

void TreeView::onMouseMove(const MouseEvent& e) {
  std::int64_t r = rowAtPoint(e.pos);
  if (r != hotRow_) {
    hotRow_ = r;
    invalidate();
  }
}

void TreeView::onMouseLeave() {
  hotRow_ = -1;
  invalidate();
}

bool TreeView::onWheel(int delta) {
  bool moved =
      viewport_.scrollBy(-static_cast<std::int64_t>(delta) / 120 * viewport_.rowHeight() * 3);
  if (moved) invalidate();
  return moved;
}

}  // namespace qv::framework
