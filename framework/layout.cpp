#include "framework/layout.h"

#include <algorithm>
#include <vector>

#include "framework/dpi.h"

namespace qv::framework {

namespace {

int clampPx(int v, int minDu, int maxDu, const DpiScale& s) {
  int lo = s.px(minDu);
  int hi = std::max(s.px(maxDu), lo);
  return std::clamp(v, lo, hi);
}

// Axis-neutral views of sizes and edges: "main" runs along the axis, "cross" across it.
struct AxisView {
  Axis axis;
  int main(Size s) const { return axis == Axis::kVertical ? s.cy : s.cx; }
  int cross(Size s) const { return axis == Axis::kVertical ? s.cx : s.cy; }
  int mainLen(const Rect& r) const { return axis == Axis::kVertical ? r.height() : r.width(); }
  int crossLen(const Rect& r) const { return axis == Axis::kVertical ? r.width() : r.height(); }
  int mainStart(const Rect& r) const { return axis == Axis::kVertical ? r.top : r.left; }
  int crossStart(const Rect& r) const { return axis == Axis::kVertical ? r.left : r.top; }
  int mainBefore(const Edges& e) const { return axis == Axis::kVertical ? e.top : e.left; }
  int mainAfter(const Edges& e) const { return axis == Axis::kVertical ? e.bottom : e.right; }
  int crossBefore(const Edges& e) const { return axis == Axis::kVertical ? e.left : e.top; }
  int crossAfter(const Edges& e) const { return axis == Axis::kVertical ? e.right : e.bottom; }
  int minMain(const Control& c) const {
    return axis == Axis::kVertical ? c.minHeight() : c.minWidth();
  }
  int maxMain(const Control& c) const {
    return axis == Axis::kVertical ? c.maxHeight() : c.maxWidth();
  }
  int minCross(const Control& c) const {
    return axis == Axis::kVertical ? c.minWidth() : c.minHeight();
  }
  int maxCross(const Control& c) const {
    return axis == Axis::kVertical ? c.maxWidth() : c.maxHeight();
  }
  Rect make(int mainPos, int mainLen, int crossPos, int crossLen) const {
    return axis == Axis::kVertical ? Rect::fromSize(crossPos, mainPos, crossLen, mainLen)
                                   : Rect::fromSize(mainPos, crossPos, mainLen, crossLen);
  }
};

Size toDesign(const Rect& inner, int dpi) {
  return Size{inner.width() * kDesignDpi / std::max(dpi, 1),
              inner.height() * kDesignDpi / std::max(dpi, 1)};
}

}  // namespace

int arrangeLinear(Container& box, const Rect& inner, Axis axis, int scroll, TextMeasurer& m,
                  int dpi) {
  DpiScale s{dpi};
  AxisView a{axis};
  struct Item {
    Control* c;
    Size est;   // design units
    Edges pad;  // pixels
    int main = 0;
    bool stretch = false;
  };
  std::vector<Item> items;
  Size avail = toDesign(inner, dpi);
  int fixedTotal = 0;
  int stretchCount = 0;
  for (std::size_t i = 0; i < box.childCount(); ++i) {
    Control* c = box.childAt(i);
    if (!c->visible() || c->isFloat()) continue;
    Item it{c, c->estimateSize(avail, m, dpi), s.px(c->padding())};
    int fixedMain = a.main(it.est);
    if (fixedMain > 0) {
      it.main = clampPx(s.px(fixedMain), a.minMain(*c), a.maxMain(*c), s);
      fixedTotal += it.main;
    } else {
      it.stretch = true;
      ++stretchCount;
    }
    fixedTotal += a.mainBefore(it.pad) + a.mainAfter(it.pad);
    items.push_back(it);
  }
  int gap = s.px(box.childPadding());
  if (!items.empty()) fixedTotal += gap * static_cast<int>(items.size() - 1);

  // Share what is left among the stretching children; the last takes the rounding remainder.
  int left = std::max(a.mainLen(inner) - fixedTotal, 0);
  int given = 0;
  int seen = 0;
  for (Item& it : items) {
    if (!it.stretch) continue;
    ++seen;
    int share = seen == stretchCount ? left - given : left / stretchCount;
    it.main = clampPx(share, a.minMain(*it.c), a.maxMain(*it.c), s);
    given += share;
  }

  int content = fixedTotal;
  for (const Item& it : items) {
    if (it.stretch) content += it.main;
  }
  int pos = a.mainStart(inner) - scroll;
  if (stretchCount == 0 && content < a.mainLen(inner)) {
    // Fixed children only: the box's alignment on its main axis decides where they sit.
    int slack = a.mainLen(inner) - content;
    bool centre = axis == Axis::kVertical ? box.childVAlign() == VAlign::kCenter
                                          : box.childAlign() == HAlign::kCenter;
    bool end = axis == Axis::kVertical ? box.childVAlign() == VAlign::kBottom
                                       : box.childAlign() == HAlign::kRight;
    pos += centre ? slack / 2 : end ? slack : 0;
  }
  for (std::size_t k = 0; k < items.size(); ++k) {
    Item& it = items[k];
    pos += a.mainBefore(it.pad);
    int crossRoom = a.crossLen(inner) - a.crossBefore(it.pad) - a.crossAfter(it.pad);
    int crossLen = crossRoom;
    int crossPos = a.crossStart(inner) + a.crossBefore(it.pad);
    int fixedCross = a.cross(it.est);
    if (fixedCross > 0) {
      crossLen = clampPx(s.px(fixedCross), a.minCross(*it.c), a.maxCross(*it.c), s);
      int slack = crossRoom - crossLen;
      bool centre = axis == Axis::kVertical ? box.childAlign() == HAlign::kCenter
                                            : box.childVAlign() == VAlign::kCenter;
      bool end = axis == Axis::kVertical ? box.childAlign() == HAlign::kRight
                                         : box.childVAlign() == VAlign::kBottom;
      if (slack > 0) crossPos += centre ? slack / 2 : end ? slack : 0;
    }
    it.c->arrange(a.make(pos, it.main, crossPos, std::max(crossLen, 0)), m, dpi);
    pos += it.main + a.mainAfter(it.pad) + (k + 1 < items.size() ? gap : 0);
  }
  return content;
}

void arrangeStacked(Container& box, const Rect& inner, TextMeasurer& m, int dpi) {
  DpiScale s{dpi};
  Size avail = toDesign(inner, dpi);
  for (std::size_t i = 0; i < box.childCount(); ++i) {
    Control* c = box.childAt(i);
    if (!c->visible() || c->isFloat()) continue;
    Edges pad = s.px(c->padding());
    Rect room = inner.deflated(pad);
    Size est = c->estimateSize(avail, m, dpi);
    int w = est.cx > 0 ? clampPx(s.px(est.cx), c->minWidth(), c->maxWidth(), s) : room.width();
    int h = est.cy > 0 ? clampPx(s.px(est.cy), c->minHeight(), c->maxHeight(), s) : room.height();
    c->arrange(Rect::fromSize(room.left, room.top, w, h), m, dpi);
  }
}

void arrangeFloats(Container& box, TextMeasurer& m, int dpi) {
  DpiScale s{dpi};
  for (std::size_t i = 0; i < box.childCount(); ++i) {
    Control* c = box.childAt(i);
    if (!c->visible() || !c->isFloat()) continue;
    Rect r = s.px(c->floatPos()).offset(box.rect().left, box.rect().top);
    c->arrange(r, m, dpi);
  }
}

}  // namespace qv::framework
