// The category tree model: its groups hold each category once in the scan page's order, node
// texts, and the statistics line over checked, unchecked and filtered items.
#include <gtest/gtest.h>

#include <set>

#include "app/settings.h"
#include "export/category_tree.h"
#include "export/statistics.h"

namespace qv::output {
namespace {

using engine::categoryNumber;
using engine::ItemCategory;

TEST(CategoryTree, TwoGroupsHoldEveryCategoryOnceInIdOrder) {
  const std::vector<CategoryGroup>& tree = categoryTree();
  ASSERT_EQ(tree.size(), 2u);
  EXPECT_STREQ(tree[0].name, "Photos & Videos");
  EXPECT_STREQ(tree[1].name, "Messages & Call logs");
  ASSERT_EQ(tree[0].categories.size(), 4u);
  EXPECT_EQ(tree[0].categories.back(), ItemCategory::kAppVideos);
  int next = 0;
  for (const CategoryGroup& group : tree) {
    for (ItemCategory category : group.categories) EXPECT_EQ(static_cast<int>(category), next++);
  }
  EXPECT_EQ(next, engine::kCategoryCount);
}

TEST(CategoryTree, NodeTextsAndNumbers) {
  EXPECT_EQ(categoryNodeText(ItemCategory::kCameraRoll, 0), "Camera Roll (0)");
  EXPECT_EQ(categoryNodeText(ItemCategory::kMessageAttachments, 1234),
            "Messages Attachments (1234)");
  for (int id = 0; id < engine::kCategoryCount; ++id) {
    ItemCategory back;
    ASSERT_TRUE(engine::categoryOfNumber(categoryNumber(static_cast<ItemCategory>(id)), &back));
    EXPECT_EQ(static_cast<int>(back), id);
  }
  ItemCategory untouched = ItemCategory::kNotes;
  EXPECT_FALSE(engine::categoryOfNumber(0, &untouched));
  EXPECT_FALSE(engine::categoryOfNumber(engine::kCategoryCount + 1, &untouched));
  EXPECT_EQ(untouched, ItemCategory::kNotes);
}

TEST(CategoryTree, StatisticsLineCountsSelectedAgainstAllItems) {
  app::Settings::loadFrom(QV_SOURCE_DIR);
  CStatisticsObj stats;
  EXPECT_EQ(statisticsLine(stats.totals()), L"You select 0 MB in 0 item(s) of 0 MB in 0 item(s)");

  const StatKey roll = stats.addCategory(categoryNumber(ItemCategory::kCameraRoll));
  stats.addItem(roll, 0, 10, false);  // counts as 1024 bytes
  const StatKey big = stats.addItem(roll, 1, 5000, false);
  stats.addItem(roll, 2, 2048, false);
  EXPECT_EQ(statisticsLine(stats.totals()),
            L"You select 7.88 KB in 3 item(s) of 7.88 KB in 3 item(s)");
  stats.setChecked(big, false);
  EXPECT_EQ(statisticsLine(stats.totals()),
            L"You select 3.00 KB in 2 item(s) of 7.88 KB in 3 item(s)");

  // Items the deleted-only filter hides are not selected, though still checked.
  const StatKey notes = stats.addCategory(categoryNumber(ItemCategory::kNotes));
  stats.addItem(notes, 0, 0, true);
  stats.addItem(notes, 1, 0, false);
  stats.setDeletedOnly(categoryNumber(ItemCategory::kNotes), true);
  EXPECT_EQ(statisticsLine(stats.totals()),
            L"You select 4.00 KB in 3 item(s) of 9.88 KB in 5 item(s)");
  stats.setChecked(stats.root(), false);
  EXPECT_EQ(statisticsLine(stats.totals()),
            L"You select 0 MB in 0 item(s) of 9.88 KB in 5 item(s)");
}

}  // namespace
}  // namespace qv::output
