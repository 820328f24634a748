// The selection statistics: check propagation, check states, root sums, the deleted-only
// filter's counts and the order of keys.
#include <gtest/gtest.h>

#include "engine/items.h"
#include "export/statistics.h"

namespace qv::output {
namespace {

constexpr int kCameraRoll = engine::categoryNumber(engine::ItemCategory::kCameraRoll);
constexpr int kAppPhotos = engine::categoryNumber(engine::ItemCategory::kAppPhotos);
constexpr int kNotes = engine::categoryNumber(engine::ItemCategory::kNotes);

TEST(Statistics, ItemsStartCheckedAndCountAtLeast1024Bytes) {
  CStatisticsObj stats;
  const StatKey roll = stats.addCategory(kCameraRoll);
  EXPECT_EQ(stats.addCategory(kCameraRoll), roll);
  stats.addItem(roll, 0, 10, false);
  stats.addItem(roll, 1, 5000, false);
  stats.addItem(roll, 2, 0, false);
  const Counts& t = stats.totals();
  EXPECT_EQ(t.items, 3u);
  EXPECT_EQ(t.checked, 3u);
  EXPECT_EQ(t.bytes, 1024u + 5000u + 1024u);
  EXPECT_EQ(t.selectedBytes(), t.bytes);
  EXPECT_EQ(stats.checkState(roll), CheckState::kChecked);
  EXPECT_EQ(stats.addCategory(0), kNoRecord);
  EXPECT_EQ(stats.addCategory(15), kNoRecord);
  EXPECT_EQ(stats.addItem(stats.root(), 0, 1, false), kNoRecord);
}

TEST(Statistics, ChecksPropagateDownAndSumUp) {
  CStatisticsObj stats;
  const StatKey apps = stats.addCategory(kAppPhotos);
  const StatKey a = stats.addGroup(apps, L"app.a");
  const StatKey b = stats.addGroup(apps, L"app.b");
  const StatKey a0 = stats.addItem(a, 0, 2048, false);
  stats.addItem(a, 1, 2048, false);
  const StatKey b0 = stats.addItem(b, 0, 4096, false);
  EXPECT_EQ(stats.itemOf(kAppPhotos, 2), b0);

  stats.setChecked(a0, false);
  EXPECT_EQ(stats.checkState(a), CheckState::kHalfChecked);
  EXPECT_EQ(stats.checkState(apps), CheckState::kHalfChecked);
  EXPECT_EQ(stats.totals().checked, 2u);
  EXPECT_EQ(stats.totals().checkedBytes, 2048u + 4096u);

  stats.setChecked(b, false);
  EXPECT_EQ(stats.checkState(b), CheckState::kUnchecked);
  EXPECT_FALSE(stats.record(b0).checked);
  EXPECT_EQ(stats.totals().checked, 1u);

  stats.setChecked(apps, true);
  EXPECT_EQ(stats.checkState(apps), CheckState::kChecked);
  EXPECT_EQ(stats.totals().checked, 3u);
  stats.setChecked(stats.root(), false);
  EXPECT_EQ(stats.totals().checked, 0u);
  EXPECT_EQ(stats.checkState(apps), CheckState::kUnchecked);
}

TEST(Statistics, DeletedOnlyFilterHidesLiveRowsAndCountsThem) {
  CStatisticsObj stats;
  const StatKey notes = stats.addCategory(kNotes);
  const StatKey n0 = stats.addItem(notes, 0, 0, true);
  const StatKey n1 = stats.addItem(notes, 1, 0, false);
  stats.addItem(notes, 2, 0, false);
  const StatKey roll = stats.addCategory(kCameraRoll);
  stats.addItem(roll, 0, 0, false);

  stats.setChecked(n1, false);
  stats.setDeletedOnly(kNotes, true);
  EXPECT_TRUE(stats.deletedOnly(kNotes));
  EXPECT_EQ(stats.record(notes).counts.filtered, 2u);
  EXPECT_EQ(stats.record(notes).counts.hiddenChecked, 1u);
  EXPECT_EQ(stats.totals().checked, 3u);
  EXPECT_EQ(stats.totals().selected(), 2u);  // the deleted note and the photo
  EXPECT_TRUE(stats.isSelected(n0));
  EXPECT_FALSE(stats.isSelected(n1));
  EXPECT_FALSE(stats.isSelected(stats.itemOf(kNotes, 2)));

  // A row added while the filter is on is hidden at once.
  stats.addItem(notes, 3, 0, false);
  EXPECT_EQ(stats.record(notes).counts.filtered, 3u);

  stats.setDeletedOnly(kNotes, false);
  EXPECT_EQ(stats.totals().filtered, 0u);
  EXPECT_EQ(stats.totals().selected(), stats.totals().checked);
}

TEST(Statistics, KeysFollowTheOrderOfRegistrationAndClearStartsOver) {
  CStatisticsObj stats;
  const StatKey notes = stats.addCategory(kNotes);
  const StatKey first = stats.addItem(notes, 0, 0, false);
  const StatKey roll = stats.addCategory(kCameraRoll);
  const StatKey second = stats.addItem(roll, 0, 0, false);
  EXPECT_LT(notes, first);
  EXPECT_LT(first, roll);
  EXPECT_LT(roll, second);
  EXPECT_EQ(stats.record(second).category, kCameraRoll);
  stats.clear();
  EXPECT_EQ(stats.recordCount(), 1u);
  EXPECT_EQ(stats.categoryKey(kNotes), kNoRecord);
  EXPECT_EQ(stats.itemOf(kNotes, 0), kNoRecord);
  EXPECT_EQ(stats.totals().items, 0u);
}

}  // namespace
}  // namespace qv::output
