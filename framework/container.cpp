#include "framework/container.h"
#include "framework/attribute_parsing.h"

#include <algorithm>

#include "framework/dpi.h"
#include "framework/layout.h"
#include "framework/values.h"
#include "framework/window.h"

namespace qv::framework {

namespace {

constexpr int kWheelStep = 48;  // design units per wheel notch
constexpr int kMinThumb = 16;   // design units

}  // namespace

Container::Container(std::string kind) : Control(std::move(kind)) {}

Container::~Container() {
  // Children go first, while their parent is still a whole object.
  for (ControlPtr& c : children_) c->detach();
  children_.clear();
}

bool Container::isA(std::string_view n) const {
  return sameName(n, "Container") || sameName(n, "IContainer") || Control::isA(n);
}

AttributeResult Container::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "inset")) return parsedAs(parseEdges(v, &inset_));
  if (sameName(n, "childpadding"))
    return parsedAs(parseInt(v, &childPadding_) && childPadding_ >= 0);
  if (sameName(n, "vscrollbar")) return parsedAs(parseBool(v, &vscroll_));
  if (sameName(n, "mousechild")) return parsedAs(parseBool(v, &mouseChild_));
  if (sameName(n, "childalign")) return parsedAs(parseHAlign(v, &childAlign_));
  if (sameName(n, "childvalign")) return parsedAs(parseVAlign(v, &childVAlign_));
  return Control::setAttribute(n, v);
}

Control* Container::childAt(std::size_t i) const {
  return i < children_.size() ? children_[i].get() : nullptr;
}

Control* Container::add(ControlPtr child) {
  return insert(children_.size(), std::move(child));
}

Control* Container::insert(std::size_t index, ControlPtr child) {
  if (!child) return nullptr;
  Control* raw = child.get();
  index = std::min(index, children_.size());
  children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(index), std::move(child));
  raw->attach(window(), this);
  onChildAdded(raw);
  needLayout();
  return raw;
}

int Container::indexOf(const Control* child) const {
  for (std::size_t i = 0; i < children_.size(); ++i) {
    if (children_[i].get() == child) return static_cast<int>(i);
  }
  return -1;
}

void Container::remove(Control* child) {
  int i = indexOf(child);
  if (i < 0) return;
  ControlPtr owned = std::move(children_[static_cast<std::size_t>(i)]);
  children_.erase(children_.begin() + i);
  Window* w = window();
  owned->detach();
  owned->parent_ = nullptr;
  needLayout();
  if (w) {
    w->keepUntilDispatchEnds(std::move(owned));
  }
}

ControlPtr Container::take(Control* child) {
  int i = indexOf(child);
  if (i < 0) return nullptr;
  ControlPtr owned = std::move(children_[static_cast<std::size_t>(i)]);
  children_.erase(children_.begin() + i);
  owned->detach();
  owned->parent_ = nullptr;
  needLayout();
  return owned;
}

void Container::removeAll() {
  while (!children_.empty()) remove(children_.back().get());
}

void Container::setInset(const Edges& e) {
  inset_ = e;
  needLayout();
}

void Container::setChildPadding(int gap) {
  childPadding_ = std::max(gap, 0);
  needLayout();
}

void Container::setMouseChildEnabled(bool on) {
  mouseChild_ = on;
}

void Container::setScrollPos(int pos) {
  pos = std::clamp(pos, 0, scrollRange_);
  if (pos == scrollPos_) return;
  scrollPos_ = pos;
  needLayout();
  invalidate();
}

void Container::setScrollRange(int range) {
  scrollRange_ = std::max(range, 0);
  scrollPos_ = std::clamp(scrollPos_, 0, scrollRange_);
}

Rect Container::innerRect(int dpi) const {
  DpiScale s{dpi};
  Rect inner = rect().deflated(s.px(inset_));
  if (vscroll_ && scrollRange_ > 0)
    inner.right = std::max(inner.left, inner.right - s.px(kScrollBarWidth));
  return inner;
}

Rect Container::scrollBarRect() const {
  if (!vscroll_ || scrollRange_ <= 0) return Rect{};
  int dpi = window() ? window()->dpi() : kDesignDpi;
  DpiScale s{dpi};
  Rect inner = rect().deflated(s.px(inset_));
  return Rect{inner.right - s.px(kScrollBarWidth), inner.top, inner.right, inner.bottom};
}

int Container::layoutChildren(const Rect& inner, int, TextMeasurer& m, int dpi) {
  arrangeStacked(*this, inner, m, dpi);
  return inner.height();
}

void Container::arrange(const Rect& r, TextMeasurer& m, int dpi) {
  setRect(r);
  DpiScale s{dpi};
  Rect inner = r.deflated(s.px(inset_));
  int content = layoutChildren(inner, vscroll_ ? scrollPos_ : 0, m, dpi);
  if (vscroll_) {
    int range = content - inner.height();
    if (range > 0) {
      // Room for the bar, then again with the narrower box (content may grow when it wraps).
      inner.right = std::max(inner.left, inner.right - s.px(kScrollBarWidth));
      setScrollRange(range);
      content = layoutChildren(inner, scrollPos_, m, dpi);
      range = content - inner.height();
    }
    int before = scrollPos_;
    setScrollRange(range);
    if (scrollPos_ != before) layoutChildren(inner, scrollPos_, m, dpi);
  }
  arrangeFloats(*this, m, dpi);
}

void Container::paintChildren(Painter& p) {
  int dpi = p.dpi();
  Rect clip = rect().deflated(DpiScale{dpi}.px(inset_));
  Rect dirty = p.clipRect();
  for (ControlPtr& c : children_) {
    if (!c->visible()) continue;
    if (c->isFloat()) continue;
    // Scrolled out of view, or outside the area being repainted.
    if (c->rect().intersect(clip).intersect(dirty).empty()) continue;
    p.pushClip(clip);
    c->paint(p);
    p.popClip();
  }
  for (ControlPtr& c : children_) {
    if (c->visible() && c->isFloat() && !c->rect().intersect(dirty).empty()) c->paint(p);
  }
}

void Container::paintScrollBar(Painter& p) {
  Rect track = scrollBarRect();
  if (track.empty()) return;
  DpiScale s{p.dpi()};
  int view = innerRect(p.dpi()).height();
  int total = view + scrollRange_;
  int thumbLen = std::max(s.px(kMinThumb),
                          static_cast<int>(static_cast<long long>(track.height()) * view / total));
  thumbLen = std::min(thumbLen, track.height());
  int thumbTop = track.top + static_cast<int>(static_cast<long long>(track.height() - thumbLen) *
                                              scrollPos_ / std::max(scrollRange_, 1));
  Rect thumb{track.left + s.px(2), thumbTop, track.right - s.px(2), thumbTop + thumbLen};
  p.fillRoundRect(thumb, 0xFFC4C9D0u, s.px(2));
}

void Container::paint(Painter& p) {
  paintBackground(p);
  paintChildren(p);
  paintScrollBar(p);
  paintBorder(p);
}

Control* Container::hitTest(Point p) {
  if (!visible() || !rect().contains(p)) return nullptr;
  if (scrollBarRect().contains(p)) return this;
  if (mouseChild_) {
    for (std::size_t i = children_.size(); i-- > 0;) {
      if (!children_[i]->isFloat()) continue;
      if (Control* hit = children_[i]->hitTest(p)) return hit;
    }
    Rect clip = rect().deflated(DpiScale{window() ? window()->dpi() : kDesignDpi}.px(inset_));
    if (clip.contains(p)) {
      for (std::size_t i = children_.size(); i-- > 0;) {
        if (children_[i]->isFloat()) continue;
        if (Control* hit = children_[i]->hitTest(p)) return hit;
      }
    }
  }
  return mouseEnabled() ? this : nullptr;
}

bool Container::onWheel(int delta) {
  if (!vscroll_ || scrollRange_ <= 0) return false;
  int dpi = window() ? window()->dpi() : kDesignDpi;
  int before = scrollPos_;
  setScrollPos(scrollPos_ - delta * DpiScale{dpi}.px(kWheelStep) / 120);
  return scrollPos_ != before;
}

void Container::onMouseDown(const MouseEvent& e) {
  Rect track = scrollBarRect();
  if (!track.contains(e.pos)) return;
  dragFrom_ = e.pos.y;
  dragPos_ = scrollPos_;
}

void Container::onMouseMove(const MouseEvent& e) {
  if (dragFrom_ < 0) return;
  Rect track = scrollBarRect();
  int view = innerRect(window() ? window()->dpi() : kDesignDpi).height();
  if (track.height() <= 0 || view <= 0) return;
  long long total = static_cast<long long>(view) + scrollRange_;
  setScrollPos(dragPos_ + static_cast<int>((e.pos.y - dragFrom_) * total / track.height()));
}

void Container::onMouseUp(const MouseEvent&, bool) {
  dragFrom_ = -1;
}

void Container::attach(Window* w, Control* parent) {
  Control::attach(w, parent);
  for (ControlPtr& c : children_) c->attach(w, this);
}

void Container::detach() {
  for (ControlPtr& c : children_) c->detach();
  Control::detach();
}

VerticalLayout::VerticalLayout(std::string kind) : Container(std::move(kind)) {}
bool VerticalLayout::isA(std::string_view n) const {
  return sameName(n, "VerticalLayout") || Container::isA(n);
}
int VerticalLayout::layoutChildren(const Rect& inner, int scroll, TextMeasurer& m, int dpi) {
  return arrangeLinear(*this, inner, Axis::kVertical, scroll, m, dpi);
}

HorizontalLayout::HorizontalLayout(std::string kind) : Container(std::move(kind)) {}
bool HorizontalLayout::isA(std::string_view n) const {
  return sameName(n, "HorizontalLayout") || Container::isA(n);
}
int HorizontalLayout::layoutChildren(const Rect& inner, int, TextMeasurer& m, int dpi) {
  arrangeLinear(*this, inner, Axis::kHorizontal, 0, m, dpi);
  return inner.height();
}

TabLayout::TabLayout() : Container("TabLayout") {}
bool TabLayout::isA(std::string_view n) const {
  return sameName(n, "TabLayout") || Container::isA(n);
}

AttributeResult TabLayout::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "selectedid")) return parsedAs(parseInt(v, &selected_) && selected_ >= 0);
  return Container::setAttribute(n, v);
}

bool TabLayout::selectItem(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= children_.size()) return false;
  selected_ = index;
  for (std::size_t i = 0; i < children_.size(); ++i) {
    children_[i]->setVisible(static_cast<int>(i) == index);
  }
  needLayout();
  invalidate();
  return true;
}

void TabLayout::onChildAdded(Control* c) {
  // Pages arrive while a layout is built: only the selected one shows.
  c->setVisible(indexOf(c) == selected_);
}

}  // namespace qv::framework
