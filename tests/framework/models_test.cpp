#include <gtest/gtest.h>

#include <vector>

#include "framework/list_viewport.h"
#include "framework/timers.h"
#include "framework/tri_state_tree.h"

namespace qv::framework {
namespace {

TEST(ListViewportTest, VisibleRangeFollowsTheScroll) {
  ListViewport v;
  v.setRowHeight(30);
  v.setViewHeight(100);
  v.setRowCount(20000);
  struct Case {
    std::int64_t scroll;
    std::int64_t first, end;
    int top;
  };
  for (const Case& c :
       {Case{0, 0, 4, 0}, Case{15, 0, 4, -15}, Case{30, 1, 5, 0}, Case{45, 1, 5, -15},
        Case{599900, 19996, 20000, -20}, Case{1 << 30, 19996, 20000, -20}}) {
    v.setScroll(c.scroll);
    RowRange r = v.visibleRows();
    EXPECT_EQ(r.first, c.first) << c.scroll;
    EXPECT_EQ(r.end, c.end) << c.scroll;
    EXPECT_EQ(r.topOffset, c.top) << c.scroll;
  }
  EXPECT_EQ(v.maxScroll(), 20000 * 30 - 100);
  EXPECT_EQ(v.rowAt(0), 19996);
  EXPECT_EQ(v.rowAt(99), 19999);
  EXPECT_EQ(v.rowAt(100), -1);
}

TEST(ListViewportTest, EnsureVisibleScrollsTheLeast) {
  ListViewport v;
  v.setRowHeight(30);
  v.setViewHeight(100);
  v.setRowCount(10);
  EXPECT_FALSE(v.ensureVisible(2));  // rows 0-3 are in view
  EXPECT_TRUE(v.ensureVisible(5));
  EXPECT_EQ(v.scroll(), 6 * 30 - 100);
  EXPECT_TRUE(v.ensureVisible(0));
  EXPECT_EQ(v.scroll(), 0);
  EXPECT_FALSE(v.ensureVisible(10));
  v.setRowCount(2);  // shrinking clamps the scroll
  EXPECT_EQ(v.scroll(), 0);
  EXPECT_EQ(v.visibleRows().end, 2);
}

TEST(ListViewportTest, HugeCountsStayIn64Bits) {
  ListViewport v;
  v.setRowHeight(30);
  v.setViewHeight(600);
  v.setRowCount(200000000);  // 6e9 pixels: past any 32-bit figure
  EXPECT_TRUE(v.setScroll(v.maxScroll()));
  RowRange r = v.visibleRows();
  EXPECT_EQ(r.end, 200000000);
  EXPECT_EQ(r.size(), 20);
  EXPECT_EQ(v.rowAt(599), 199999999);
}

class TriStateTreeTest : public testing::Test {
 protected:
  // root children: photos (camera, stream), messages (sms (a, b), notes)
  void SetUp() override {
    photos = t.add(TriStateTree::kRoot, L"Photos", true);
    camera = t.add(photos, L"Camera Roll");
    stream = t.add(photos, L"Photo Stream");
    messages = t.add(TriStateTree::kRoot, L"Messages", true);
    sms = t.add(messages, L"Messages");
    a = t.add(sms, L"a");
    b = t.add(sms, L"b");
    notes = t.add(messages, L"Notes");
  }
  TriStateTree t;
  TriStateTree::NodeId photos, camera, stream, messages, sms, a, b, notes;
};

TEST_F(TriStateTreeTest, CheckingCascadesDownAndClimbsUp) {
  t.setChecked(messages, true);
  for (auto n : {messages, sms, a, b, notes}) EXPECT_EQ(t.state(n), CheckState::kChecked);
  EXPECT_EQ(t.state(photos), CheckState::kUnchecked);

  t.setChecked(a, false);  // one leaf off: its parent and grandparent go partial
  EXPECT_EQ(t.state(sms), CheckState::kPartial);
  EXPECT_EQ(t.state(messages), CheckState::kPartial);
  EXPECT_EQ(t.state(notes), CheckState::kChecked);

  t.setChecked(b, false);  // all leaves of sms off: sms unchecked, messages still partial
  EXPECT_EQ(t.state(sms), CheckState::kUnchecked);
  EXPECT_EQ(t.state(messages), CheckState::kPartial);
  t.setChecked(notes, false);
  EXPECT_EQ(t.state(messages), CheckState::kUnchecked);

  t.setChecked(a, true);
  t.setChecked(b, true);
  t.setChecked(notes, true);
  EXPECT_EQ(t.state(messages), CheckState::kChecked);
}

TEST_F(TriStateTreeTest, ClickingAPartialNodeChecksItsSubtree) {
  t.setChecked(a, true);
  ASSERT_EQ(t.state(sms), CheckState::kPartial);
  t.toggle(sms);
  EXPECT_EQ(t.state(b), CheckState::kChecked);
  EXPECT_EQ(t.state(sms), CheckState::kChecked);
  t.toggle(sms);
  EXPECT_EQ(t.state(a), CheckState::kUnchecked);
}

TEST_F(TriStateTreeTest, InsertAndRemoveKeepAncestorsTrue) {
  t.setChecked(photos, true);
  auto apps = t.add(photos, L"App Photos");  // a new unchecked child makes photos partial
  EXPECT_EQ(t.state(photos), CheckState::kPartial);
  t.remove(apps);
  EXPECT_EQ(t.state(photos), CheckState::kChecked);
  t.setChecked(a, true);
  t.remove(b);  // the only unchecked sibling goes: sms becomes checked
  EXPECT_EQ(t.state(sms), CheckState::kChecked);
  EXPECT_FALSE(t.valid(b));
  EXPECT_EQ(t.size(), 7u);
  t.setChecked(b, true);  // a removed node is ignored
  EXPECT_EQ(t.size(), 7u);
}

TEST_F(TriStateTreeTest, VisibleNodesFollowExpansion) {
  using V = std::vector<TriStateTree::NodeId>;
  EXPECT_EQ(t.visibleNodes(), (V{photos, camera, stream, messages, sms, notes}));
  t.setExpanded(sms, true);
  EXPECT_EQ(t.visibleNodes(), (V{photos, camera, stream, messages, sms, a, b, notes}));
  t.setExpanded(messages, false);  // a collapsed ancestor hides expanded descendants too
  EXPECT_EQ(t.visibleNodes(), (V{photos, camera, stream, messages}));
}

TEST(TriStateTreeDepthTest, DeepChainsNeitherRecurseNorSlowDown) {
  TriStateTree t;
  TriStateTree::NodeId n = TriStateTree::kRoot;
  std::vector<TriStateTree::NodeId> chain;
  for (int i = 0; i < 100000; ++i) chain.push_back(n = t.add(n, L"n"));
  t.setChecked(chain.front(), true);
  EXPECT_EQ(t.state(chain.back()), CheckState::kChecked);
  t.setChecked(chain.back(), false);
  EXPECT_EQ(t.state(chain.front()), CheckState::kUnchecked);  // single-child chain follows
}

TEST(TimerTableTest, KeysAreNeverReusedAndDieWithTheirControl) {
  TimerTable timers;
  auto k1 = timers.start(1, 15, 100);
  auto k2 = timers.start(1, 100, 50);
  auto k3 = timers.start(2, 15, 10);
  EXPECT_NE(k1, k2);
  EXPECT_EQ(timers.start(1, 15, 80), k1);  // a restart keeps the key, takes the period
  EXPECT_EQ(timers.find(k1)->periodMs, 80);
  EXPECT_EQ(timers.stop(1, 15), k1);
  EXPECT_EQ(timers.find(k1), nullptr);
  auto k4 = timers.start(1, 15, 100);
  EXPECT_NE(k4, k1);  // a stopped key is not handed out again
  EXPECT_EQ(timers.stopAll(1), (std::vector<TimerTable::Key>{k4, k2}));
  EXPECT_EQ(timers.size(), 1u);
  EXPECT_EQ(timers.find(k3)->control, 2u);
  EXPECT_EQ(timers.stop(9, 9), 0u);
}

}  // namespace
}  // namespace qv::framework
