#include "framework/list.h"
#include "framework/attribute_parsing.h"

#include <algorithm>

#include "framework/dpi.h"
#include "framework/layout.h"
#include "framework/values.h"
#include "framework/window.h"

namespace qv::framework {

namespace {

int dpiOf(const Control* c) {
  return c->window() ? c->window()->dpi() : kDesignDpi;
}

}  // namespace

ListHeaderItem::ListHeaderItem() : Label("ListHeaderItem") {}
bool ListHeaderItem::isA(std::string_view n) const {
  return sameName(n, "ListHeaderItem") || Label::isA(n);
}

ListHeader::ListHeader() : HorizontalLayout("ListHeader") {}
bool ListHeader::isA(std::string_view n) const {
  return sameName(n, "ListHeader") || HorizontalLayout::isA(n);
}

// ------------------------------------------------------------------------- ListContainerElement

ListContainerElement::ListContainerElement(std::string kind) : HorizontalLayout(std::move(kind)) {}

bool ListContainerElement::isA(std::string_view n) const {
  return sameName(n, "ListContainerElement") || sameName(n, "ListItem") || HorizontalLayout::isA(n);
}

List* ListContainerElement::owner() const {
  for (Control* c = parent(); c; c = c->parent()) {
    if (auto* l = dynamic_cast<List*>(c)) return l;
  }
  return nullptr;
}

void ListContainerElement::paint(Painter& p) {
  List* l = owner();
  if (l && selected_ && (l->itemSelectedBkColor() >> 24)) {
    p.fillRect(rect(), l->itemSelectedBkColor());
  } else if (l && hot_ && (l->itemHotBkColor() >> 24)) {
    p.fillRect(rect(), l->itemHotBkColor());
  }
  HorizontalLayout::paint(p);
  if (l && (l->itemLineColor() >> 24)) {
    p.fillRect(Rect{rect().left, rect().bottom - 1, rect().right, rect().bottom},
               l->itemLineColor());
  }
}

Control* ListContainerElement::hitTest(Point p) {
  Control* hit = HorizontalLayout::hitTest(p);
  // Plain labels inside a row belong to the row: a click on them selects it.
  if (hit && hit != this && !hit->isA("Button")) return this;
  return hit;
}

void ListContainerElement::onMouseEnter() {
  hot_ = true;
  invalidate();
}

void ListContainerElement::onMouseLeave() {
  hot_ = false;
  invalidate();
}

void ListContainerElement::onMouseDown(const MouseEvent&) {
  if (List* l = owner()) l->elementClicked(this, false);
}

void ListContainerElement::onDoubleClick(const MouseEvent&) {
  if (List* l = owner()) l->elementClicked(this, true);
}

// ------------------------------------------------------------------------------------- ListBody

ListBody::ListBody(List* owner) : VerticalLayout("ListBody"), owner_(owner) {
  vscroll_ = true;
}

bool ListBody::isA(std::string_view n) const {
  return sameName(n, "ListBody") || VerticalLayout::isA(n);
}

int ListBody::layoutChildren(const Rect& inner, int scroll, TextMeasurer& m, int dpi) {
  if (!owner_->model_) return VerticalLayout::layoutChildren(inner, scroll, m, dpi);
  viewport_.setRowHeight(DpiScale{dpi}.px(owner_->itemHeight_));
  viewport_.setRowCount(owner_->model_->rowCount());
  viewport_.setViewHeight(inner.height());
  return inner.height();  // the viewport scrolls, not the box
}

std::int64_t ListBody::rowAtPoint(Point p) const {
  if (!owner_->model_ || !rect().contains(p)) return -1;
  return viewport_.rowAt(p.y - rect().top);
}

Rect ListBody::checkBoxRect(const Rect& row) const {
  const ImageRef& img = owner_->checkImage(CheckState::kUnchecked);
  DpiScale s{dpiOf(this)};
  int side = s.px(img.hasSource ? img.source.width() : 15);
  int left = row.left + s.px(owner_->itemTextPadding_.left);
  int top = row.top + (row.height() - side) / 2;
  return Rect::fromSize(left, top, side, side);
}

void ListBody::paintRows(Painter& p) {
  ListModel* model = owner_->model_;
  RowRange range = viewport_.visibleRows();
  std::vector<std::pair<int, int>> cols = owner_->columns();
  DpiScale s{p.dpi()};
  TextStyle base;
  base.font = owner_->itemFont_;
  base.endEllipsis = true;
  Color listColor = owner_->itemTextColor_;
  if (!(listColor >> 24)) listColor = window() ? window()->info().defaultTextColor : 0xFF000000u;
  int h = viewport_.rowHeight();
  p.pushClip(rect());
  Rect dirty = p.clipRect();
  for (std::int64_t row = range.first; row < range.end; ++row) {
    int top = rect().top + range.topOffset + static_cast<int>(row - range.first) * h;
    Rect rowRect{rect().left, top, rect().right, top + h};
    if (rowRect.intersect(dirty).empty()) continue;
    if (row == owner_->selected_ && (owner_->itemSelectedBkColor_ >> 24)) {
      p.fillRect(rowRect, owner_->itemSelectedBkColor_);
    } else if (row == hotRow_ && (owner_->itemHotBkColor_ >> 24)) {
      p.fillRect(rowRect, owner_->itemHotBkColor_);
    }
    if (owner_->itemLineColor_ >> 24) {
      p.fillRect(Rect{rowRect.left, rowRect.bottom - 1, rowRect.right, rowRect.bottom},
                 owner_->itemLineColor_);
    }
    Color rowColor = model->rowTextColor(row);
    base.color = (rowColor >> 24) ? rowColor : listColor;
    int checkRight = 0;
    if (model->checkable()) {
      Rect box = checkBoxRect(rowRect);
      const ImageRef& img = owner_->checkImage(model->rowCheck(row));
      if (img.valid()) {
        ImageRef drawn = img;
        drawn.hasDest = false;
        p.drawImage(drawn, box);
      }
      checkRight = box.right;
    }
    for (std::size_t c = 0; c < cols.size(); ++c) {
      Rect cellRect{std::max(cols[c].first, checkRight), rowRect.top, cols[c].second,
                    rowRect.bottom};
      cellRect = cellRect.deflated(s.px(owner_->itemTextPadding_));
      if (cellRect.empty()) continue;
      ListCell cell;
      model->cell(row, static_cast<int>(c), &cell);
      if (cell.icon.valid()) {
        Rect dest = cell.icon.hasDest ? s.px(cell.icon.dest) : Rect{0, 0, s.px(16), s.px(16)};
        int top2 = cellRect.top + (cellRect.height() - dest.height()) / 2;
        Rect iconRect = Rect::fromSize(cellRect.left, top2, dest.width(), dest.height());
        ImageRef drawn = cell.icon;
        drawn.hasDest = false;
        p.drawImage(drawn, iconRect);
        cellRect.left = iconRect.right + s.px(4);
      }
      if (cell.text.empty()) continue;
      TextStyle st = base;
      st.align = cell.align;
      p.drawText(cellRect, cell.text, st);
    }
  }
  p.popClip();
  // The scroll thumb of the viewport.
  if (viewport_.maxScroll() > 0) {
    int track = rect().height();
    std::int64_t total = viewport_.contentHeight();
    int thumb =
        std::max(s.px(16), static_cast<int>(static_cast<long double>(track) * track / total));
    int top = rect().top + static_cast<int>(static_cast<long double>(track - thumb) *
                                            viewport_.scroll() / viewport_.maxScroll());
    p.fillRoundRect(Rect{rect().right - s.px(6), top, rect().right - s.px(2), top + thumb},
                    0xFFC4C9D0u, s.px(2));
  }
}

void ListBody::paint(Painter& p) {
  if (!owner_->model_) {
    VerticalLayout::paint(p);
    return;
  }
  paintBackground(p);
  paintRows(p);
  paintBorder(p);
}

Control* ListBody::hitTest(Point p) {
  if (owner_->model_) return visible() && rect().contains(p) ? this : nullptr;
  return VerticalLayout::hitTest(p);
}

bool ListBody::onWheel(int delta) {
  if (!owner_->model_) return VerticalLayout::onWheel(delta);
  bool moved =
      viewport_.scrollBy(-static_cast<std::int64_t>(delta) / 120 * viewport_.rowHeight() * 3);
  if (moved) invalidate();
  return moved;
}

void ListBody::onMouseMove(const MouseEvent& e) {
  if (!owner_->model_) return VerticalLayout::onMouseMove(e);
  std::int64_t row = rowAtPoint(e.pos);
  if (row != hotRow_) {
    hotRow_ = row;
    invalidate();
  }
}

void ListBody::onMouseLeave() {
  hotRow_ = -1;
  invalidate();
}

void ListBody::onMouseDown(const MouseEvent& e) {
  if (!owner_->model_) return VerticalLayout::onMouseDown(e);
  pressedRow_ = rowAtPoint(e.pos);
  if (pressedRow_ < 0) return;
  std::int64_t row = pressedRow_;
  RowRange range = viewport_.visibleRows();
  int top =
      rect().top + range.topOffset + static_cast<int>(row - range.first) * viewport_.rowHeight();
  Rect rowRect{rect().left, top, rect().right, top + viewport_.rowHeight()};
  if (owner_->model_->checkable() && checkBoxRect(rowRect).contains(e.pos)) {
    owner_->model_->toggleRowCheck(row);
    invalidate();
    owner_->notify(EventType::kListCheckClick, row);
    return;
  }
  owner_->selectItem(row);
  owner_->notify(EventType::kItemClick, row);
}

void ListBody::onMouseUp(const MouseEvent& e, bool inside) {
  pressedRow_ = -1;
  if (!owner_->model_) VerticalLayout::onMouseUp(e, inside);
}

void ListBody::onDoubleClick(const MouseEvent& e) {
  if (!owner_->model_) return;
  std::int64_t row = rowAtPoint(e.pos);
  if (row >= 0) owner_->notify(EventType::kListItemDbClick, row);
}

// ----------------------------------------------------------------------------------------- List

List::List(std::string kind) : VerticalLayout(std::move(kind)) {
  auto header = std::make_unique<ListHeader>();
  header->setFixedHeight(30);
  header_ = static_cast<ListHeader*>(add(std::move(header)));
  body_ = static_cast<ListBody*>(add(std::make_unique<ListBody>(this)));
}

bool List::isA(std::string_view n) const {
  return sameName(n, "List") || sameName(n, "IList") || sameName(n, "IListOwner") ||
         VerticalLayout::isA(n);
}

AttributeResult List::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "header")) {
    if (v == L"hidden")
      header_->setVisible(false);
    else if (v == L"visible")
      header_->setVisible(true);
    else
      return AttributeResult::kMalformed;
    return AttributeResult::kApplied;
  }
  if (sameName(n, "headerheight")) {
    int hh = 0;
    if (!parseInt(v, &hh) || hh < 0) return AttributeResult::kMalformed;
    header_->setFixedHeight(hh);
    return AttributeResult::kApplied;
  }
  if (sameName(n, "headerbkcolor")) {
    Color c = 0;
    if (!parseColor(v, &c)) return AttributeResult::kMalformed;
    header_->setBkColor(c);
    return AttributeResult::kApplied;
  }
  if (sameName(n, "itemheight")) return parsedAs(parseInt(v, &itemHeight_) && itemHeight_ > 0);
  if (sameName(n, "itemtextcolor")) return parsedAs(parseColor(v, &itemTextColor_));
  if (sameName(n, "itemselectedbkcolor")) return parsedAs(parseColor(v, &itemSelectedBkColor_));
  if (sameName(n, "itemhotbkcolor")) return parsedAs(parseColor(v, &itemHotBkColor_));
  if (sameName(n, "itemlinecolor")) return parsedAs(parseColor(v, &itemLineColor_));
  if (sameName(n, "itemfont")) return parsedAs(parseInt(v, &itemFont_));
  if (sameName(n, "itemtextpadding")) return parsedAs(parseEdges(v, &itemTextPadding_));
  if (sameName(n, "itemuncheckedimage")) return parsedAs(parseImageRef(v, &uncheckedImage_));
  if (sameName(n, "itemcheckedimage")) return parsedAs(parseImageRef(v, &checkedImage_));
  if (sameName(n, "itemhalfimage")) return parsedAs(parseImageRef(v, &halfImage_));
  if (sameName(n, "vscrollbar")) return parsedAs(true);  // the body always scrolls
  return VerticalLayout::setAttribute(n, v);
}

const ImageRef& List::checkImage(CheckState s) const {
  if (s == CheckState::kChecked) return checkedImage_;
  if (s == CheckState::kPartial && halfImage_.valid()) return halfImage_;
  return uncheckedImage_;
}

Control* List::adopt(ControlPtr child) {
  if (auto* h = dynamic_cast<ListHeader*>(child.get())) {
    // The layout's header replaces the built-in one, keeping its place at the top.
    bool shown = header_->visible();
    remove(header_);
    header_ = static_cast<ListHeader*>(insert(0, std::move(child)));
    if (!shown) header_->setVisible(false);
    (void)h;
    return header_;
  }
  return addElement(std::move(child));
}

Control* List::addElement(ControlPtr element) {
  return body_->add(std::move(element));
}
std::size_t List::elementCount() const {
  return body_->childCount();
}
Control* List::elementAt(std::size_t i) const {
  return body_->childAt(i);
}

void List::removeAllElements() {
  selected_ = -1;
  body_->removeAll();
  body_->setScrollPos(0);
}

void List::setModel(ListModel* model) {
  model_ = model;
  selected_ = -1;
  body_->viewport().setScroll(0);
  modelChanged();
}

void List::modelChanged() {
  if (model_ && selected_ >= model_->rowCount()) selected_ = -1;
  needLayout();
  invalidate();
}

void List::selectItem(std::int64_t index, bool sendNotify) {
  std::int64_t count = model_ ? model_->rowCount() : static_cast<std::int64_t>(elementCount());
  if (index < -1 || index >= count) return;
  if (index == selected_) return;
  if (!model_) {
    for (std::size_t i = 0; i < elementCount(); ++i) {
      if (auto* e = dynamic_cast<ListContainerElement*>(elementAt(i))) {
        e->selected_ = static_cast<std::int64_t>(i) == index;
      }
    }
  }
  selected_ = index;
  ensureVisible(index);
  invalidate();
  if (sendNotify) notify(EventType::kItemSelect, index);
}

void List::scrollToTop() {
  body_->viewport().setScroll(0);
  body_->setScrollPos(0);
  invalidate();
}

void List::ensureVisible(std::int64_t index) {
  if (index < 0) return;
  if (model_) {
    if (body_->viewport().ensureVisible(index)) invalidate();
    return;
  }
  Control* e = elementAt(static_cast<std::size_t>(index));
  if (!e) return;
  Rect inner = body_->innerRect(dpiOf(this));
  if (e->rect().top < inner.top) {
    body_->setScrollPos(body_->scrollPos() - (inner.top - e->rect().top));
  } else if (e->rect().bottom > inner.bottom) {
    body_->setScrollPos(body_->scrollPos() + (e->rect().bottom - inner.bottom));
  }
}

void List::elementClicked(ListContainerElement* e, bool dbl) {
  int index = body_->indexOf(e);
  if (index < 0) return;
  if (dbl) {
    notify(EventType::kListItemDbClick, index);
    return;
  }
  selectItem(index);
  notify(EventType::kItemClick, index);
}

std::vector<std::pair<int, int>> List::columns() const {
  std::vector<std::pair<int, int>> out;
  DpiScale s{dpiOf(this)};
  Rect area = body_->rect();
  int x = area.left;
  std::size_t n = header_->childCount();
  for (std::size_t i = 0; i < n; ++i) {
    Control* item = header_->childAt(i);
    if (!item->visible()) continue;
    int w = item->fixedWidth();
    int right = w > 0 ? std::min(x + s.px(w), area.right) : area.right;
    out.emplace_back(x, right);
    x = right;
  }
  if (out.empty()) out.emplace_back(area.left, area.right);
  return out;
}

}  // namespace qv::framework
