#include <gtest/gtest.h>

#include <memory>

#include "framework/builder.h"
#include "framework/window.h"
#include "tests/framework/test_support.h"
#include "ui/custom_controls.h"

namespace qv::ui {
namespace {

using framework::Window;

TEST(PaginationLayoutTest, PagesShownAroundTheCurrentOne) {
  struct Case {
    int count, current;
    std::vector<int> pages;
    bool left, right, prev, next;
  };
  const Case cases[] = {
      {0, 0, {}, false, false, false, false},
      {1, 1, {1}, false, false, false, false},
      {11, 11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, false, false, true, false},
      {12, 6, {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12}, false, true, true, true},
      {20, 10, {1, 2, 7, 8, 9, 10, 11, 12, 13, 19, 20}, true, true, true, true},
      {20, 7, {1, 2, 4, 5, 6, 7, 8, 9, 10, 19, 20}, true, true, true, true},
      {20, 15, {1, 2, 12, 13, 14, 15, 16, 17, 18, 19, 20}, true, false, true, true},
      {20, 20, {1, 2, 12, 13, 14, 15, 16, 17, 18, 19, 20}, true, false, true, false},
      {20, 99, {1, 2, 12, 13, 14, 15, 16, 17, 18, 19, 20}, true, false, true, false},
  };
  for (const Case& c : cases) {
    PaginationLayout l = layoutPagination(c.count, c.current);
    EXPECT_EQ(l.pages, c.pages) << c.count << "/" << c.current;
    EXPECT_EQ(l.leftGap, c.left) << c.count << "/" << c.current;
    EXPECT_EQ(l.rightGap, c.right) << c.count << "/" << c.current;
    EXPECT_EQ(l.prevEnabled, c.prev) << c.count << "/" << c.current;
    EXPECT_EQ(l.nextEnabled, c.next) << c.count << "/" << c.current;
  }
}

TEST(AnimationClockTest, EachFrameKeepsItsOwnDelay) {
  AnimationClock clock;
  clock.setFrames({600, 60, 60, 300, 0});
  EXPECT_EQ(clock.start(), 600);
  EXPECT_EQ(clock.paint().restartPeriod, 0);  // nothing due yet
  std::vector<int> restarts;
  for (int i = 0; i < 5; ++i) {
    clock.tick();
    AnimationClock::PaintStep s = clock.paint();
    restarts.push_back(s.restartPeriod);
    EXPECT_EQ(s.frame, (i + 1) % 5);
  }
  // 60 after 600; the second 60 needs no restart; 300; a 0 delay shows for 100; back to 600.
  EXPECT_EQ(restarts, (std::vector<int>{60, 0, 300, 100, 600}));
  clock.stop();
  clock.tick();  // a tick already queued when it stopped moves nothing
  EXPECT_EQ(clock.paint().frame, 0);
  EXPECT_EQ(clock.start(), 600);
}

TEST(ListTreeRowsTest, NodesGoAfterTheirParentsLastDescendant) {
  ListTreeRows rows;
  int c = rows.insert(ListTreeRows::kRoot, L"C:", true);
  int d = rows.insert(ListTreeRows::kRoot, L"D:");
  int users = rows.insert(c, L"Users", true);
  int windows = rows.insert(c, L"Windows");
  int alice = rows.insert(users, L"alice");
  EXPECT_EQ(c, 0);
  EXPECT_EQ(users, 1);
  EXPECT_EQ(alice, 2);           // inside Users, before Windows
  EXPECT_EQ(rows.parent(3), 0);  // Windows moved down; its parent still C:
  EXPECT_EQ(windows, 2);         // as inserted, before alice pushed it
  EXPECT_EQ(rows.size(), 5);
  EXPECT_EQ(rows.level(2), 2);
  EXPECT_EQ(rows.markup(2), L"<x 6><x 18><x 18><a><i expand_flag.png 2 0></a>alice");
  EXPECT_EQ(rows.markup(0), L"<x 6><a><i expand_flag.png 2 1></a>C:");
  int deep = rows.insert(2, L"docs");
  EXPECT_EQ(rows.markup(deep), L"<x 6><x 18><x 18><x 18>docs");  // level 3: no flag
  EXPECT_TRUE(rows.visible(deep) == false);                      // alice is collapsed
  rows.setExpanded(0, false);
  EXPECT_FALSE(rows.visible(1));
  EXPECT_TRUE(rows.visible(d + 4));  // D: itself, now the last row
}

// A window over one custom control, with a recording host and target.
template <typename T>
struct Harness {
  Harness() {
    auto c = std::make_unique<T>();
    c->setName(L"Ctl");
    control = c.get();
    window.setHost(&host);
    window.setRoot(std::move(c));
    window.router().setWindowTarget(&target);
    window.setClientSize(framework::Size{600, 200});
    window.layoutIfNeeded(painter);
  }
  void clickAt(framework::Point p) {
    window.mouseMove(p);
    window.mouseDown(framework::MouseEvent{p});
    window.mouseUp(framework::MouseEvent{p});
  }
  framework::test::RecordingHost host;
  framework::test::RecordingTarget target{true};
  framework::test::RecordingPainter painter;
  Window window;
  T* control = nullptr;
};

TEST(ButtonGifTest, FramesAdvanceOnTicksWithTheirDelaysAndHidingStopsTheTimer) {
  Harness<CButtonGifUI> h;
  h.painter.measurer().animations["pulse.gif"] = {600, 60, 300};
  h.control->setAttribute("normalgiffile", L"pulse.gif");
  h.control->start();
  EXPECT_TRUE(h.host.running.empty());  // frames are known only once painted
  h.window.paint(h.painter, framework::Rect{0, 0, 600, 200});
  ASSERT_EQ(h.host.running.size(), 1u);
  auto key = h.host.running.begin()->first;
  EXPECT_EQ(h.host.running.begin()->second, 600);
  h.window.timerFired(key);
  h.window.paint(h.painter, framework::Rect{0, 0, 600, 200});
  EXPECT_EQ(h.host.running[key], 60);
  EXPECT_EQ(h.control->clock().currentFrame(), 1);

  h.control->setVisible(false);
  EXPECT_TRUE(h.host.running.empty());
  h.control->setVisible(true);
  h.window.paint(h.painter, framework::Rect{0, 0, 600, 200});
  EXPECT_TRUE(h.host.running.empty());  // shown again, it waits for start()
  EXPECT_FALSE(h.control->animating());
}

TEST(ButtonGifTest, WithoutAnAnimationItPaintsLikeAButton) {
  Harness<CButtonGifUI> h;
  h.control->setText(L"Scan");
  h.control->setAttribute("normalgiffile", L"missing.gif");
  h.control->start();
  h.window.paint(h.painter, framework::Rect{0, 0, 600, 200});
  EXPECT_NE(h.painter.findText(L"Scan"), nullptr);
  EXPECT_TRUE(h.host.running.empty());
}

TEST(ButtonExTest, ReportsHotAndOffHotOnlyWhileEnabled) {
  Harness<CButtonExUI> h;
  h.window.mouseMove(framework::Point{10, 10});
  h.window.mouseLeave();
  h.control->setEnabled(false);
  h.window.mouseMove(framework::Point{10, 10});
  EXPECT_EQ(h.target.seen, (std::vector<std::string>{"onhot:Ctl", "offhot:Ctl"}));
}

TEST(PaginationTest, ClicksMovePagesAndReport) {
  Harness<CPaginationUI> h;
  h.control->setPageCount(20);
  h.control->setCurrentPage(10, false);
  h.window.layoutIfNeeded(h.painter);
  EXPECT_EQ(h.control->shownTexts(),
            (std::vector<std::wstring>{L"1", L"2", L"...", L"7", L"8", L"9", L"10", L"11", L"12",
                                       L"13", L"...", L"19", L"20"}));
  // Page 12 is the tenth child: Prev, 1, 2, ..., 7 ... 12.
  framework::Control* twelve = nullptr;
  for (std::size_t i = 0; i < h.control->childCount(); ++i) {
    if (h.control->childAt(i)->text() == L"12") twelve = h.control->childAt(i);
  }
  ASSERT_NE(twelve, nullptr);
  framework::Rect r = twelve->rect();
  h.clickAt(framework::Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  EXPECT_EQ(h.control->currentPage(), 12);
  EXPECT_EQ(h.target.seen, std::vector<std::string>{"updatepage:Ctl"});
  h.control->setCurrentPage(1);
  EXPECT_FALSE(h.control->childAt(0)->enabled());  // Prev on the first page
  h.control->setPageCount(3);
  h.window.layoutIfNeeded(h.painter);
  EXPECT_EQ(h.control->shownTexts(), (std::vector<std::wstring>{L"1", L"2", L"3"}));
}

TEST(CustomControlsTest, FactoryMakesEachNameAndAnswersItsInterfaces) {
  struct Case {
    const char* element;
    std::vector<const char*> answers;
  };
  for (const Case& c :
       {Case{"FileTree", {"FileTree", "TreeView", "List", "IList", "IListOwner"}},
        Case{"ButtonGif", {"ButtonGif", "Control"}},
        Case{"LabelEx", {"LabelEx", "Label", "Control"}},
        Case{"ButtonEx", {"ButtonEx", "Button", "Label", "Control"}},
        Case{"DiskList", {"DiskList", "List"}}, Case{"Pagination", {"Pagination"}}}) {
    framework::ControlPtr ctl = createCustomControl(c.element);
    ASSERT_NE(ctl, nullptr) << c.element;
    for (const char* name : c.answers) EXPECT_TRUE(ctl->isA(name)) << c.element << " " << name;
    EXPECT_EQ(ctl->className(), std::string(c.element) + "UI");
  }
  EXPECT_EQ(createCustomControl("Gadget"), nullptr);
  EXPECT_FALSE(createCustomControl("ButtonGif")->isA("Button"));
}

TEST(ListExTest, ExpandLinksShowAndHideChildRows) {
  Harness<CListExUI> h;
  int c = h.control->addNode(ListTreeRows::kRoot, L"C:", false);
  h.control->addNode(c, L"Users");
  h.control->addNode(ListTreeRows::kRoot, L"D:");
  h.window.layoutIfNeeded(h.painter);
  EXPECT_FALSE(h.control->elementAt(1)->visible());
  h.window.paint(h.painter, framework::Rect{0, 0, 600, 200});  // places the markup runs
  // The flag image of row 0 sits after the 6-unit indent.
  framework::Rect row = h.control->elementAt(0)->rect();
  h.clickAt(framework::Point{row.left + 6 + 8, (row.top + row.bottom) / 2});
  EXPECT_TRUE(h.control->rows().expanded(0));
  EXPECT_TRUE(h.control->elementAt(1)->visible());
  h.window.paint(h.painter, framework::Rect{0, 0, 600, 200});
  EXPECT_NE(h.painter.findText(L"Users"), nullptr);
}

}  // namespace
}  // namespace qv::ui
