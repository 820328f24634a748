// Containers: controls that own and place children.
//
//   Container         children stacked over the inner rectangle (each at its fixed size, or
//                     filling it), floats placed by their "pos"
//   VerticalLayout    children top to bottom; HorizontalLayout: left to right
//   TabLayout         one child shown at a time ("selectedid")
//
// Attributes: inset (inner margin), childpadding (gap between children), vscrollbar (a vertical
// scroll bar when the children are taller than the box), mousechild (whether children take
// mouse input; false makes the whole box inert), childalign / childvalign (where fixed-size
// children sit when nothing stretches).
//
// The placing itself is in layout.cpp and follows the skin semantics: on the main axis a child
// with a fixed size keeps it (clamped to min/max), children without one share what is left
// equally (the last takes the remainder); on the cross axis a child fills the box unless it has
// a fixed size. A child's "padding" is its outer margin.
#pragma once

#include "framework/control.h"

namespace qv::framework {

class Container : public Control {
 public:
  explicit Container(std::string kind = "Container");
  ~Container() override;
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;

  std::size_t childCount() const override { return children_.size(); }
  Control* childAt(std::size_t i) const override;
  Control* adopt(ControlPtr child) override { return add(std::move(child)); }
  // Appends (or inserts at index) and returns the child.
  Control* add(ControlPtr child);
  Control* insert(std::size_t index, ControlPtr child);
  // Takes the child out of the tree. While a notification is being dispatched the object itself
  // is kept alive until the dispatch ends, so a handler may remove its own sender.
  void remove(Control* child);
  void removeAll();
  // Takes the child out of the tree and hands it over (to move it into another container).
  ControlPtr take(Control* child);
  int indexOf(const Control* child) const;

  const Edges& inset() const { return inset_; }
  void setInset(const Edges& e);
  int childPadding() const { return childPadding_; }
  void setChildPadding(int gap);
  bool mouseChildEnabled() const { return mouseChild_; }
  // Stops (false) or resumes (true) mouse input to every control inside.
  void setMouseChildEnabled(bool on);
  HAlign childAlign() const { return childAlign_; }
  VAlign childVAlign() const { return childVAlign_; }

  bool hasVScrollBar() const { return vscroll_; }
  int scrollPos() const { return scrollPos_; }
  int scrollRange() const { return scrollRange_; }
  void setScrollPos(int pos);
  // Set by the arrange pass: how far the content overflows (pixels).
  void setScrollRange(int range);
  // The scroll bar's track in window pixels; empty when none is shown.
  Rect scrollBarRect() const;

  void arrange(const Rect& r, TextMeasurer& m, int dpi) override;
  void paint(Painter& p) override;
  Control* hitTest(Point p) override;
  bool onWheel(int delta) override;
  void onMouseDown(const MouseEvent& e) override;
  void onMouseMove(const MouseEvent& e) override;
  void onMouseUp(const MouseEvent& e, bool inside) override;

  // The rectangle the children are placed in: the control less its inset (and scroll bar).
  Rect innerRect(int dpi) const;

 protected:
  void attach(Window* w, Control* parent) override;
  void detach() override;
  virtual void onChildAdded(Control*) {}
  // Places the children inside `inner`, scrolled by `scroll`; returns the content height.
  virtual int layoutChildren(const Rect& inner, int scroll, TextMeasurer& m, int dpi);
  virtual void paintChildren(Painter& p);
  void paintScrollBar(Painter& p);

  std::vector<ControlPtr> children_;
  Edges inset_;
  int childPadding_ = 0;
  bool mouseChild_ = true;
  bool vscroll_ = false;
  int scrollPos_ = 0;
  int scrollRange_ = 0;
  HAlign childAlign_ = HAlign::kLeft;
  VAlign childVAlign_ = VAlign::kTop;
  int dragFrom_ = -1;  // y where a thumb drag started, or -1
  int dragPos_ = 0;
};

class VerticalLayout : public Container {
 public:
  explicit VerticalLayout(std::string kind = "VerticalLayout");
  bool isA(std::string_view n) const override;

 protected:
  int layoutChildren(const Rect& inner, int scroll, TextMeasurer& m, int dpi) override;
};

class HorizontalLayout : public Container {
 public:
  explicit HorizontalLayout(std::string kind = "HorizontalLayout");
  bool isA(std::string_view n) const override;

 protected:
  int layoutChildren(const Rect& inner, int scroll, TextMeasurer& m, int dpi) override;
};

class TabLayout : public Container {
 public:
  TabLayout();
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  int selectedIndex() const { return selected_; }
  // Shows the child at index, hides the others; false for an index out of range.
  bool selectItem(int index);

 protected:
  void onChildAdded(Control* c) override;

 private:
  int selected_ = 0;
};

// Width of the built-in scroll bar, design units.
constexpr int kScrollBarWidth = 8;

}  // namespace qv::framework
