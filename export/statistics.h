// The selection statistics: what the user has checked, counted.
//
// A tree of count records: the root; one group record per category node (its category number
// is the category id + 1: 1 Camera Roll ... 14 Safari Bookmark); under App Photos and App
// Videos one group record per app; and one item record per list row (a media file, a
// conversation, a contact, a call, a note, a chat). Keys are handed out in the order records
// are added and never reused until clear(), so walking the keys in order visits the categories
// in the order they were registered and each list in its display order.
//
// Each record holds its own flags (checked; deleted, the row's marker; hidden, set while the
// deleted-only filter of its category hides a row that is not deleted) and the sums over the
// items beneath it (an item counts itself): items, checked, filtered (hidden), hidden and
// checked, and bytes, every item counting at least 1024 bytes. Checking a group checks every
// item beneath it; every change is summed up to the root at once, so a node's check box reads
// checkState() and the statistics label reads totals() at any time.
//
// The object is not locked: the scan page changes it on the UI thread, and the export and
// print jobs read it while the page waits for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::output {

using StatKey = std::uint32_t;
constexpr StatKey kNoRecord = 0xFFFFFFFFu;

// Smallest size an item counts with.
constexpr std::uint64_t kMinCountedBytes = 1024;

enum class RecordKind { kItem, kGroup };
enum class CheckState { kUnchecked, kHalfChecked, kChecked };

struct Counts {
  std::uint64_t items = 0;
  std::uint64_t checked = 0;
  std::uint64_t filtered = 0;       // hidden by the deleted-only filter
  std::uint64_t hiddenChecked = 0;  // hidden and checked
  std::uint64_t bytes = 0;
  std::uint64_t checkedBytes = 0;
  std::uint64_t hiddenCheckedBytes = 0;

  // Checked items that a job would take: checked and not hidden.
  std::uint64_t selected() const { return checked - hiddenChecked; }
  std::uint64_t selectedBytes() const { return checkedBytes - hiddenCheckedBytes; }
};

struct StatRecord {
  StatKey key = kNoRecord;
  RecordKind kind = RecordKind::kGroup;
  int category = 0;       // 0 for the root
  std::size_t index = 0;  // item: its row in the category's list (or in its app's files)
  std::wstring name;      // app group: the app's name
  bool checked = true;    // items start checked
  bool deleted = false;
  bool hidden = false;
  bool deletedOnly = false;  // category group: the filter is on
  std::uint64_t size = 0;    // item: its counted size
  Counts counts;
  StatKey parent = kNoRecord;
  std::vector<StatKey> children;
};

class CStatisticsObj {
 public:
  CStatisticsObj();

  // Forgets every record and makes a new root.
  void clear();

  StatKey root() const { return 0; }
  std::size_t recordCount() const { return records_.size(); }
  // The record of a key; the root for a key that does not exist.
  const StatRecord& record(StatKey key) const;
  bool valid(StatKey key) const { return key < records_.size(); }

  // The category's group record, made under the root on first use. kNoRecord for a number
  // outside 1..14.
  StatKey addCategory(int category);
  StatKey categoryKey(int category) const;
  // An app group under a category record.
  StatKey addGroup(StatKey parent, std::wstring name);
  // An item under a category or app group record: row index, size (counted as at least 1024),
  // the row's deleted marker. It starts checked, and hidden when its category's filter is on
  // and it is not deleted.
  StatKey addItem(StatKey parent, std::size_t index, std::uint64_t size, bool deleted);

  // The item of a category's list row (kNoRecord when the row has none); for App Photos and
  // App Videos, index counts the rows of every app in the order they were added.
  StatKey itemOf(int category, std::size_t index) const;

  // Checks or unchecks an item, or every item beneath a group, and sums up to the root.
  void setChecked(StatKey key, bool checked);
  CheckState checkState(StatKey key) const;

  // The deleted-only filter of a category: on, it hides every item of the category that is not
  // deleted; off, it shows them all again.
  void setDeletedOnly(int category, bool on);
  bool deletedOnly(int category) const;

  // Whether the job and the print take the item: checked and not hidden.
  bool isSelected(StatKey key) const;

  // The root's sums.
  const Counts& totals() const { return records_[0].counts; }

 private:
  StatKey add(StatRecord record);
  void setSubtreeChecked(StatKey key, bool checked);
  void resum(StatKey key);
  void resumUp(StatKey key);
  static Counts itemCounts(const StatRecord& item);

  std::vector<StatRecord> records_;
  std::vector<StatKey> categories_;         // by category number; kNoRecord when absent
  std::vector<std::vector<StatKey>> rows_;  // by category number: items in the order added
};

}  // namespace qv::output
