#include <gtest/gtest.h>

#include <memory>

#include "framework/container.h"
#include "framework/controls.h"
#include "framework/window.h"
#include "tests/framework/test_support.h"

namespace qv::framework {
namespace {

ControlPtr box(const char* kind,
               std::initializer_list<std::pair<const char*, const wchar_t*>> attrs) {
  ControlPtr c;
  std::string k = kind;
  if (k == "V")
    c = std::make_unique<VerticalLayout>();
  else if (k == "H")
    c = std::make_unique<HorizontalLayout>();
  else if (k == "T")
    c = std::make_unique<TabLayout>();
  else if (k == "C")
    c = std::make_unique<Container>();
  else if (k == "L")
    c = std::make_unique<Label>();
  else
    c = std::make_unique<Control>();
  for (const auto& [n, v] : attrs) EXPECT_EQ(c->setAttribute(n, v), AttributeResult::kApplied) << n;
  return c;
}

// Lays a root out in a window of the given client size and DPI.
struct Laid {
  Window window;
  test::FixedMeasurer measurer;
  Laid(ControlPtr root, Size client, int dpi = 96) : measurer(dpi) {
    window.setRoot(std::move(root));
    window.setDpi(dpi);
    window.setClientSize(client);
    window.layoutIfNeeded(measurer);
  }
  Rect at(const wchar_t* name) { return window.find(name)->rect(); }
};

TEST(LayoutTest, VerticalFixedAndStretchChildren) {
  auto root = box("V", {{"inset", L"10,10,10,10"}, {"childpadding", L"5"}});
  auto* v = static_cast<Container*>(root.get());
  v->add(box("X", {{"name", L"a"}, {"height", L"40"}}));
  v->add(box("X", {{"name", L"b"}}));
  v->add(box("X", {{"name", L"c"}}));
  v->add(box("X", {{"name", L"d"}, {"height", L"20"}, {"width", L"50"}, {"padding", L"3,4,0,6"}}));
  Laid l(std::move(root), Size{300, 200});
  EXPECT_EQ(l.at(L"a"), (Rect{10, 10, 290, 50}));
  // 180 inside; fixed 40 + 20 + paddings 10 + gaps 15 = 85; 95 left: 47 and 48
  EXPECT_EQ(l.at(L"b"), (Rect{10, 55, 290, 102}));
  EXPECT_EQ(l.at(L"c"), (Rect{10, 107, 290, 155}));
  EXPECT_EQ(l.at(L"d"), (Rect{13, 164, 63, 184}));
}

TEST(LayoutTest, MinAndMaxClampBothKindsOfChild) {
  auto root = box("H", {});
  auto* h = static_cast<Container*>(root.get());
  h->add(box("X", {{"name", L"a"}, {"width", L"500"}, {"maxwidth", L"100"}}));
  h->add(box("X", {{"name", L"b"}, {"minwidth", L"150"}}));
  h->add(box("X", {{"name", L"c"}, {"maxwidth", L"20"}}));
  Laid l(std::move(root), Size{300, 50});
  EXPECT_EQ(l.at(L"a").width(), 100);
  EXPECT_EQ(l.at(L"b").width(), 150);  // its share (100) was below its minimum
  EXPECT_EQ(l.at(L"c").width(), 20);
  EXPECT_EQ(l.at(L"c").left, 250);
  EXPECT_EQ(l.at(L"a").height(), 50);  // the cross axis fills
}

TEST(LayoutTest, ChildAlignPlacesFixedChildren) {
  for (auto [align, left] :
       {std::pair{L"left", 0}, std::pair{L"center", 100}, std::pair{L"right", 200}}) {
    auto root = box("H", {{"childalign", align}, {"childvalign", L"center"}});
    static_cast<Container*>(root.get())
        ->add(box("X", {{"name", L"a"}, {"width", L"100"}, {"height", L"20"}}));
    Laid l(std::move(root), Size{300, 60});
    EXPECT_EQ(l.at(L"a"), (Rect{left, 20, left + 100, 40})) << align;
  }
}

TEST(LayoutTest, FloatsSitAtTheirPosAndTakeNoSpace) {
  auto root = box("V", {});
  auto* v = static_cast<Container*>(root.get());
  v->add(box("X", {{"name", L"f"}, {"float", L"true"}, {"pos", L"10,20,60,45"}}));
  v->add(box("X", {{"name", L"a"}}));
  Laid l(std::move(root), Size{200, 100});
  EXPECT_EQ(l.at(L"f"), (Rect{10, 20, 60, 45}));
  EXPECT_EQ(l.at(L"a"), (Rect{0, 0, 200, 100}));
}

TEST(LayoutTest, EveryFigureScalesWithTheDpi) {
  for (int dpi : {96, 144, 192}) {
    auto copy = box("V", {{"inset", L"10,10,10,10"}, {"childpadding", L"4"}});
    auto* c = static_cast<Container*>(copy.get());
    c->add(box("X", {{"name", L"a"}, {"height", L"40"}, {"padding", L"2,2,2,2"}}));
    c->add(box("X", {{"name", L"b"}, {"height", L"30"}, {"width", L"100"}}));
    c->add(box("X", {{"name", L"f"}, {"float", L"true"}, {"pos", L"10,10,30,30"}}));
    Laid l(std::move(copy), Size{600, 400}, dpi);
    auto px = [&](int du) { return du * dpi / 96; };
    EXPECT_EQ(l.at(L"a"), (Rect{px(12), px(12), 600 - px(12), px(52)})) << dpi;
    EXPECT_EQ(l.at(L"b"), (Rect{px(10), px(58), px(110), px(88)})) << dpi;
    EXPECT_EQ(l.at(L"f"), (Rect{px(10), px(10), px(30), px(30)})) << dpi;
  }
}

TEST(LayoutTest, DpiChangesNeverCompoundRounding) {
  auto root = box("V", {});
  static_cast<Container*>(root.get())->add(box("X", {{"name", L"a"}, {"height", L"33"}}));
  Laid l(std::move(root), Size{100, 100}, 96);
  for (int dpi : {120, 144, 168, 96, 144, 120}) {
    l.window.setDpi(dpi);
    l.window.layoutIfNeeded(l.measurer);
  }
  l.window.setDpi(96);
  l.window.layoutIfNeeded(l.measurer);
  EXPECT_EQ(l.at(L"a").height(), 33);
}

TEST(LayoutTest, TabLayoutShowsOnePage) {
  auto root = box("T", {{"selectedid", L"1"}});
  auto* t = static_cast<TabLayout*>(root.get());
  t->add(box("X", {{"name", L"p0"}}));
  t->add(box("X", {{"name", L"p1"}}));
  t->add(box("X", {{"name", L"p2"}, {"width", L"50"}}));
  Laid l(std::move(root), Size{200, 100});
  EXPECT_FALSE(l.window.find(L"p0")->visible());
  EXPECT_TRUE(l.window.find(L"p1")->visible());
  EXPECT_EQ(l.at(L"p1"), (Rect{0, 0, 200, 100}));
  EXPECT_TRUE(t->selectItem(2));
  EXPECT_FALSE(t->selectItem(3));
  l.window.layoutIfNeeded(l.measurer);
  EXPECT_FALSE(l.window.find(L"p1")->visible());
  EXPECT_EQ(l.at(L"p2"), (Rect{0, 0, 50, 100}));
}

TEST(LayoutTest, OverflowingBoxScrollsAndClampsItsPosition) {
  auto root = box("V", {{"vscrollbar", L"true"}});
  auto* v = static_cast<Container*>(root.get());
  for (int i = 0; i < 10; ++i) {
    v->add(box("X", {{"name", (L"r" + std::to_wstring(i)).c_str()}, {"height", L"30"}}));
  }
  Laid l(std::move(root), Size{200, 100});
  EXPECT_EQ(v->scrollRange(), 200);
  EXPECT_EQ(l.at(L"r0").right, 200 - kScrollBarWidth);  // the bar takes its strip
  v->setScrollPos(1000);
  l.window.layoutIfNeeded(l.measurer);
  EXPECT_EQ(v->scrollPos(), 200);
  EXPECT_EQ(l.at(L"r9").bottom, 100);
  // Removing rows shrinks the range and pulls the position back.
  while (v->childCount() > 2) v->remove(v->childAt(v->childCount() - 1));
  l.window.layoutIfNeeded(l.measurer);
  EXPECT_EQ(v->scrollPos(), 0);
  EXPECT_EQ(l.at(L"r0"), (Rect{0, 0, 200, 30}));
}

TEST(LayoutTest, AutoWidthLabelsMeasureTheirText) {
  auto root = box("H", {});
  auto* h = static_cast<Container*>(root.get());
  h->add(box("L", {{"name", L"a"},
                   {"autocalcwidth", L"true"},
                   {"text", L"Pause"},
                   {"textpadding", L"4,0,4,0"}}));
  h->add(box("X", {{"name", L"b"}}));
  Laid l(std::move(root), Size{300, 30}, 144);
  // 55 px of text is rounded up to 37 design units, plus 8 of padding: 45 at 150%.
  EXPECT_EQ(l.at(L"a").width(), 68);
  EXPECT_EQ(l.at(L"b").left, l.at(L"a").right);
}

}  // namespace
}  // namespace qv::framework
