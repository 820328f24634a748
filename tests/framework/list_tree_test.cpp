#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "framework/list.h"
#include "framework/tree_view.h"
#include "framework/window.h"
#include "tests/framework/test_support.h"

namespace qv::framework {
namespace {

class CountingModel : public ListModel {
 public:
  explicit CountingModel(std::int64_t rows) : checks(static_cast<std::size_t>(rows)) {}
  std::int64_t rowCount() const override { return static_cast<std::int64_t>(checks.size()); }
  void cell(std::int64_t row, int column, ListCell* out) const override {
    rowsAsked.insert(row);
    out->text = L"r" + std::to_wstring(row) + L"c" + std::to_wstring(column);
  }
  Color rowTextColor(std::int64_t row) const override { return row % 2 ? 0xFFF37302u : 0; }
  bool checkable() const override { return true; }
  CheckState rowCheck(std::int64_t row) const override {
    return checks[static_cast<std::size_t>(row)] ? CheckState::kChecked : CheckState::kUnchecked;
  }
  void toggleRowCheck(std::int64_t row) override { checks[static_cast<std::size_t>(row)].flip(); }
  mutable std::set<std::int64_t> rowsAsked;
  std::vector<bool> checks;
};

class ListTest : public testing::Test {
 protected:
  void SetUp() override {
    auto l = std::make_unique<List>();
    l->setName(L"DataList");
    l->setAttribute("itemuncheckedimage", L"file='Controls.png' source='325,75,340,90'");
    l->setAttribute("itemcheckedimage", L"file='Controls.png' source='340,75,355,90'");
    for (auto [name, width] : {std::pair{L"Col1", L"200"}, std::pair{L"Col2", L"0"}}) {
      auto item = std::make_unique<ListHeaderItem>();
      item->setName(name);
      item->setAttribute("width", width);
      l->header()->add(std::move(item));
    }
    list = l.get();
    window.setHost(&host);
    window.setRoot(std::move(l));
    window.router().setWindowTarget(&target);
    window.setClientSize(Size{500, 330});  // 30 header + 300 body: 10 rows of 30
  }
  void paint(test::RecordingPainter& p) {
    window.layoutIfNeeded(p);
    window.paint(p, Rect{0, 0, 500, 330});
  }
  test::RecordingHost host;
  test::RecordingTarget target{true};
  Window window;
  List* list = nullptr;
};

TEST_F(ListTest, TwentyThousandRowsPaintOnlyTheVisibleOnes) {
  CountingModel model(20000);
  list->setModel(&model);
  test::RecordingPainter p;
  paint(p);
  EXPECT_EQ(model.rowsAsked, (std::set<std::int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  const test::PaintCall* first = p.findText(L"r0c0");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->rect.top, 30);
  EXPECT_EQ(p.findText(L"r1c1")->color, 0xFFF37302u);
  // The second column starts where the first header item ends.
  EXPECT_GE(p.findText(L"r0c1")->rect.left, 200);

  model.rowsAsked.clear();
  window.wheel(Point{100, 100}, -120 * 100000);  // far down: clamped to the last page
  test::RecordingPainter p2;
  paint(p2);
  EXPECT_EQ(*model.rowsAsked.begin(), 19990);
  EXPECT_EQ(*model.rowsAsked.rbegin(), 19999);
  EXPECT_EQ(model.rowsAsked.size(), 10u);
}

TEST_F(ListTest, RepaintingOneRowAsksForThatRowOnly) {
  CountingModel model(20000);
  list->setModel(&model);
  test::RecordingPainter p;
  window.layoutIfNeeded(p);
  window.paint(p, Rect{0, 95, 500, 100});  // inside row 2 (y 90..120)
  EXPECT_EQ(model.rowsAsked, std::set<std::int64_t>{2});
  EXPECT_EQ(p.findText(L"r3c0"), nullptr);
}

TEST_F(ListTest, ClicksSelectRowsAndToggleCheckBoxes) {
  CountingModel model(50);
  list->setModel(&model);
  test::RecordingPainter p;
  paint(p);
  // Row 2 spans y 90..120; its text is to the right of the check box.
  window.mouseDown(MouseEvent{Point{300, 100}});
  window.mouseUp(MouseEvent{Point{300, 100}});
  EXPECT_EQ(list->selectedIndex(), 2);
  // The check box sits at the left of the first column.
  window.mouseDown(MouseEvent{Point{12, 130}});
  window.mouseUp(MouseEvent{Point{12, 130}});
  EXPECT_TRUE(model.checks[3]);
  EXPECT_EQ(list->selectedIndex(), 2);  // a check box click does not move the selection
  EXPECT_EQ(target.seen, (std::vector<std::string>{"itemselect:DataList", "itemclick:DataList",
                                                   "list_check_click:DataList"}));
  const test::PaintCall* image = nullptr;
  test::RecordingPainter p2;
  paint(p2);
  for (const test::PaintCall& c : p2.calls) {
    if (c.op == "image" && c.source == Rect{340, 75, 355, 90}) image = &c;
  }
  ASSERT_NE(image, nullptr);  // row 3's box is drawn checked
  EXPECT_EQ(image->rect.top, 120 + (30 - 15) / 2);
}

TEST_F(ListTest, ShrinkingTheModelDropsASelectionPastItsEnd) {
  CountingModel model(50);
  list->setModel(&model);
  list->selectItem(40, false);
  model.checks.resize(10);
  list->modelChanged();
  EXPECT_EQ(list->selectedIndex(), -1);
  list->selectItem(10);  // out of range: ignored
  EXPECT_EQ(list->selectedIndex(), -1);
  EXPECT_TRUE(target.seen.empty());
}

TEST_F(ListTest, ElementRowsSelectAndScroll) {
  for (int i = 0; i < 30; ++i) {
    auto row = std::make_unique<ListContainerElement>();
    row->setAttribute("height", L"40");
    auto label = std::make_unique<Label>();
    label->setText(L"row " + std::to_wstring(i));
    row->add(std::move(label));
    list->addElement(std::move(row));
  }
  test::RecordingPainter p;
  paint(p);
  EXPECT_EQ(p.texts().size(), 8u);  // 300 pixels of 40-pixel rows: 7.5 rows meet the view
  window.mouseDown(MouseEvent{Point{100, 35}});
  window.mouseUp(MouseEvent{Point{100, 35}});
  EXPECT_EQ(list->selectedIndex(), 0);
  list->selectItem(29);  // brought into view
  test::RecordingPainter p2;
  paint(p2);
  EXPECT_NE(p2.findText(L"row 29"), nullptr);
  EXPECT_EQ(p2.findText(L"row 0"), nullptr);
  list->removeAllElements();
  EXPECT_EQ(list->selectedIndex(), -1);
  EXPECT_EQ(list->elementCount(), 0u);
}

class TreeViewTest : public testing::Test {
 protected:
  void SetUp() override {
    auto t = std::make_unique<TreeView>();
    t->setName(L"NodeTree");
    t->setAttribute("itemheight", L"28");
    tree = t.get();
    group = tree->addNode(TriStateTree::kRoot, L"Messages & Call logs", false);
    sms = tree->addNode(group, L"Messages (3)", true);
    for (int i = 0; i < 3; ++i) leaves.push_back(tree->addNode(sms, L"leaf", true));
    notes = tree->addNode(group, L"Notes (0)", true);
    tree->setNodeEnabled(notes, false);
    window.setRoot(std::move(t));
    window.router().setWindowTarget(&target);
    window.setClientSize(Size{300, 400});
    window.layoutIfNeeded(measurer);
  }
  void clickAt(Point p) {
    window.mouseDown(MouseEvent{p});
    window.mouseUp(MouseEvent{p});
  }
  Point centre(const Rect& r) { return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  test::FixedMeasurer measurer;
  test::RecordingTarget target{true};
  Window window;
  TreeView* tree = nullptr;
  TreeView::NodeId group, sms, notes;
  std::vector<TreeView::NodeId> leaves;
};

TEST_F(TreeViewTest, CheckBoxClicksCascadeAndClimb) {
  ASSERT_EQ(tree->rows().size(), 6u);  // all expanded as added
  clickAt(centre(tree->rowParts(1).checkBox));
  for (auto n : leaves) EXPECT_EQ(tree->nodes().state(n), CheckState::kChecked);
  clickAt(centre(tree->rowParts(3).checkBox));  // the second leaf
  EXPECT_EQ(tree->nodes().state(sms), CheckState::kPartial);
  EXPECT_EQ(target.seen, (std::vector<std::string>{"checkboxselectchanged:NodeTree",
                                                   "checkboxselectchanged:NodeTree"}));
  EXPECT_TRUE(tree->rowParts(0).checkBox.empty());  // the group node has no box
}

TEST_F(TreeViewTest, DisabledNodesIgnoreClicksAndExpandersToggle) {
  clickAt(centre(tree->rowParts(5).checkBox));
  clickAt(centre(tree->rowParts(5).text));
  EXPECT_EQ(tree->nodes().state(notes), CheckState::kUnchecked);
  EXPECT_EQ(tree->selectedNode(), -1);
  EXPECT_TRUE(target.seen.empty());

  clickAt(centre(tree->rowParts(1).expander));
  EXPECT_EQ(tree->rows().size(), 3u);
  EXPECT_EQ(target.seen, std::vector<std::string>{"itemexpand:NodeTree"});
  window.doubleClick(MouseEvent{centre(tree->rowParts(1).text)});
  EXPECT_EQ(tree->rows().size(), 6u);
  clickAt(centre(tree->rowParts(1).text));
  EXPECT_EQ(tree->selectedNode(), sms);
}

TEST_F(TreeViewTest, RowPartsScaleWithTheDpi) {
  TreeView::RowParts at96 = tree->rowParts(2);
  window.setDpi(144);
  window.layoutIfNeeded(measurer);
  TreeView::RowParts at144 = tree->rowParts(2);
  EXPECT_EQ(at144.row.height(), 42);
  EXPECT_EQ(at144.checkBox.width(), at96.checkBox.width() * 3 / 2);
  EXPECT_EQ(at144.checkBox.left, at96.checkBox.left * 3 / 2);
}

}  // namespace
}  // namespace qv::framework
