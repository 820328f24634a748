#include <gtest/gtest.h>

#include <memory>

#include "framework/container.h"
#include "framework/controls.h"
#include "framework/window.h"
#include "tests/framework/test_support.h"

namespace qv::framework {
namespace {

// A window with a page under virtual window "ScanVtrWnd" and a header outside any page:
//   root (V)
//     header (H, 40): BtnAssist, closebtn
//     page (H, virtualwnd ScanVtrWnd): BtnHome, OptA, OptB (group g), ChkAll, BtnOff (disabled)
class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    auto root = std::make_unique<VerticalLayout>();
    auto header = std::make_unique<HorizontalLayout>();
    header->setAttribute("height", L"40");
    header->add(button<Button>(L"BtnAssist", 100));
    header->add(button<Button>(L"closebtn", 100));
    auto page = std::make_unique<HorizontalLayout>();
    page->setName(L"page");
    page->setAttribute("virtualwnd", L"ScanVtrWnd");
    page->add(button<Button>(L"BtnHome", 60));
    optA = static_cast<Option*>(page->add(button<Option>(L"OptA", 60)));
    optB = static_cast<Option*>(page->add(button<Option>(L"OptB", 60)));
    optA->setAttribute("group", L"g");
    optB->setAttribute("group", L"g");
    optA->setAttribute("selected", L"true");
    chk = static_cast<CheckBox*>(page->add(button<CheckBox>(L"ChkAll", 60)));
    chk->setAttribute("threestate", L"true");
    page->add(button<Button>(L"BtnOff", 60))->setEnabled(false);
    root->add(std::move(header));
    root->add(std::move(page));
    window.setHost(&host);
    window.setRoot(std::move(root));
    window.setClientSize(Size{400, 100});
    window.router().setController(L"ScanVtrWnd", &page_);
    window.router().setWindowTarget(&main_);
    window.layoutIfNeeded(measurer);
  }
  template <typename T>
  ControlPtr button(const wchar_t* name, int width) {
    auto b = std::make_unique<T>();
    b->setName(name);
    b->setAttribute("width", std::to_wstring(width));
    return b;
  }
  void click(const wchar_t* name) {
    Rect r = window.find(name)->rect();
    Point p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    window.mouseMove(p);
    window.mouseDown(MouseEvent{p});
    window.mouseUp(MouseEvent{p});
  }

  test::RecordingHost host;
  test::FixedMeasurer measurer;
  test::RecordingTarget page_{true};
  test::RecordingTarget main_{false};
  Window window;
  Option* optA = nullptr;
  Option* optB = nullptr;
  CheckBox* chk = nullptr;
};

TEST_F(WindowTest, ClicksGoToThePageThenTheWindow) {
  click(L"BtnHome");
  click(L"BtnAssist");
  EXPECT_EQ(page_.seen, std::vector<std::string>{"click:BtnHome"});
  // The page handled its click; the header's button has no page and reaches the window.
  EXPECT_EQ(main_.seen, std::vector<std::string>{"click:BtnAssist"});
}

TEST_F(WindowTest, UnhandledPageNotificationsFallThroughToTheWindow) {
  test::RecordingTarget passive(false);
  window.router().setController(L"ScanVtrWnd", &passive);
  click(L"BtnHome");
  EXPECT_EQ(passive.seen, std::vector<std::string>{"click:BtnHome"});
  EXPECT_EQ(main_.seen, std::vector<std::string>{"click:BtnHome"});
}

TEST_F(WindowTest, PressReleasedOutsideIsNoClick) {
  Rect r = window.find(L"BtnHome")->rect();
  window.mouseDown(MouseEvent{Point{r.left + 2, r.top + 2}});
  EXPECT_TRUE(host.captured);
  EXPECT_TRUE(window.find(L"BtnHome")->pushed());
  window.mouseUp(MouseEvent{Point{390, 90}});
  EXPECT_FALSE(host.captured);
  EXPECT_TRUE(page_.seen.empty());
}

TEST_F(WindowTest, DisabledControlsAndDisabledSubtreesTakeNoInput) {
  click(L"BtnOff");
  EXPECT_TRUE(page_.seen.empty());
  auto* page = static_cast<Container*>(window.find(L"page"));
  page->setEnabled(false);
  click(L"BtnHome");
  EXPECT_TRUE(page_.seen.empty());
  page->setEnabled(true);
  page->setMouseChildEnabled(false);  // the box answers for its children, which stay silent
  click(L"BtnHome");
  EXPECT_TRUE(page_.seen.empty());
  page->setMouseChildEnabled(true);
  click(L"BtnHome");
  EXPECT_EQ(page_.seen.size(), 1u);
}

TEST_F(WindowTest, OptionGroupKeepsOneSelected) {
  click(L"OptB");
  EXPECT_TRUE(optB->selected());
  EXPECT_FALSE(optA->selected());
  // The one that lost its selection reports first, so the last report is the new choice.
  EXPECT_EQ(page_.seen,
            (std::vector<std::string>{"click:OptB", "selectchanged:OptA", "selectchanged:OptB"}));
  page_.seen.clear();
  click(L"OptB");  // clicking the selected option changes nothing
  EXPECT_EQ(page_.seen, std::vector<std::string>{"click:OptB"});
}

TEST_F(WindowTest, ThreeStateCheckBox) {
  chk->setSelected(true, false);
  chk->setHalfChecked(true);
  EXPECT_TRUE(chk->halfChecked());
  page_.seen.clear();
  click(L"ChkAll");  // half-checked becomes fully checked, and says so
  EXPECT_TRUE(chk->selected());
  EXPECT_FALSE(chk->halfChecked());
  EXPECT_EQ(page_.seen, (std::vector<std::string>{"click:ChkAll", "selectchanged:ChkAll"}));
  click(L"ChkAll");
  EXPECT_FALSE(chk->selected());
  chk->setAttribute("threestate", L"false");
  chk->setHalfChecked(true);
  EXPECT_FALSE(chk->halfChecked());
}

TEST_F(WindowTest, HandlersMayRemoveTheirOwnSender) {
  NotifyMap map;
  map.on(EventType::kClick, L"BtnHome", [&](const Notification& n) {
    auto* page = static_cast<Container*>(window.find(L"page"));
    page->remove(n.sender);
    // Still a whole object until the dispatch ends.
    EXPECT_EQ(n.sender->name(), L"BtnHome");
  });
  window.router().setController(L"ScanVtrWnd", &map);
  click(L"BtnHome");
  EXPECT_EQ(window.find(L"BtnHome"), nullptr);
  ASSERT_EQ(host.detached.size(), 1u);
}

TEST_F(WindowTest, PostedNotificationsOfRemovedControlsAreDropped) {
  Control* home = window.find(L"BtnHome");
  Notification n;
  n.type = EventType::kClick;
  n.sender = home;
  window.post(n);
  n.sender = window.find(L"OptA");
  window.post(n);
  EXPECT_EQ(host.wakes, 2);
  static_cast<Container*>(window.find(L"page"))->remove(home);
  window.drainPosted();
  EXPECT_EQ(page_.seen, std::vector<std::string>{"click:OptA"});
}

// The browser reports a loaded page from inside its own event call: the notification waits for
// the queue, and a browser that went meanwhile reports nothing.
TEST_F(WindowTest, LoadedPagesArriveQueuedAsNavigateComplete) {
  auto* page = static_cast<Container*>(window.find(L"page"));
  auto* web = static_cast<WebBrowser*>(page->add(std::make_unique<WebBrowser>()));
  web->setName(L"WebPagePrint");
  web->navigate(L"file:///C:/Print/page");
  web->pageLoaded(L"file:///C:/Print/page");
  EXPECT_EQ(web->loadedUrl(), L"file:///C:/Print/page");
  EXPECT_TRUE(page_.seen.empty());
  EXPECT_EQ(host.wakes, 1);
  window.drainPosted();
  EXPECT_EQ(page_.seen, std::vector<std::string>{"navigatecomplete:WebPagePrint"});

  web->pageLoaded(L"about:blank");
  page->remove(web);
  window.drainPosted();
  EXPECT_EQ(page_.seen.size(), 1u);
}

class TickingLabel : public Label {
 public:
  void onTimer(int id) override {
    ticks.push_back(id);
    if (ticks.size() == 2) stopTimer(id);
  }
  std::vector<int> ticks;
};

TEST_F(WindowTest, TimersTickTheirControlAndStopWithIt) {
  auto* page = static_cast<Container*>(window.find(L"page"));
  auto* label = static_cast<TickingLabel*>(page->add(std::make_unique<TickingLabel>()));
  label->setName(L"Ticker");
  label->startTimer(15, 100);
  ASSERT_EQ(host.running.size(), 1u);
  TimerTable::Key key = host.running.begin()->first;
  EXPECT_EQ(host.running.begin()->second, 100);
  window.timerFired(key);
  window.timerFired(key);  // the second tick stops the timer from inside the handler
  window.timerFired(key);  // a tick already queued finds nothing
  EXPECT_EQ(label->ticks, (std::vector<int>{15, 15}));
  EXPECT_TRUE(host.running.empty());
  EXPECT_EQ(page_.seen, (std::vector<std::string>{"timer:Ticker", "timer:Ticker"}));

  label->startTimer(16, 10);
  page->remove(label);
  EXPECT_TRUE(host.running.empty());  // removal stops the control's timers
}

TEST_F(WindowTest, WindowInitIsSentOnce) {
  window.sendWindowInit();
  window.sendWindowInit();
  EXPECT_EQ(main_.seen, std::vector<std::string>{"windowinit:"});
}

}  // namespace
}  // namespace qv::framework
