#include "export/statistics.h"

#include <algorithm>

namespace qv::output {
namespace {

constexpr int kMaxCategory = 14;

void addTo(Counts& sum, const Counts& part) {
  sum.items += part.items;
  sum.checked += part.checked;
  sum.filtered += part.filtered;
  sum.hiddenChecked += part.hiddenChecked;
  sum.bytes += part.bytes;
  sum.checkedBytes += part.checkedBytes;
  sum.hiddenCheckedBytes += part.hiddenCheckedBytes;
}

}  // namespace

CStatisticsObj::CStatisticsObj() {
  clear();
}

void CStatisticsObj::clear() {
  records_.clear();
  categories_.assign(kMaxCategory + 1, kNoRecord);
  rows_.assign(kMaxCategory + 1, {});
  StatRecord root;
  root.key = 0;
  records_.push_back(root);
}

const StatRecord& CStatisticsObj::record(StatKey key) const {
  return valid(key) ? records_[key] : records_[0];
}

StatKey CStatisticsObj::add(StatRecord record) {
  const StatKey key = static_cast<StatKey>(records_.size());
  record.key = key;
  records_[record.parent].children.push_back(key);
  records_.push_back(std::move(record));
  return key;
}

StatKey CStatisticsObj::addCategory(int category) {
  if (category < 1 || category > kMaxCategory) return kNoRecord;
  if (categories_[category] != kNoRecord) return categories_[category];
  StatRecord group;
  group.kind = RecordKind::kGroup;
  group.category = category;
  group.parent = root();
  categories_[category] = add(std::move(group));
  return categories_[category];
}

StatKey CStatisticsObj::categoryKey(int category) const {
  if (category < 1 || category > kMaxCategory) return kNoRecord;
  return categories_[category];
}

StatKey CStatisticsObj::addGroup(StatKey parent, std::wstring name) {
  if (!valid(parent) || parent == root() || records_[parent].kind != RecordKind::kGroup)
    return kNoRecord;
  StatRecord group;
  group.kind = RecordKind::kGroup;
  group.category = records_[parent].category;
  group.name = std::move(name);
  group.parent = parent;
  return add(std::move(group));
}

Counts CStatisticsObj::itemCounts(const StatRecord& item) {
  Counts c;
  c.items = 1;
  c.bytes = item.size;
  if (item.checked) {
    c.checked = 1;
    c.checkedBytes = item.size;
  }
  if (item.hidden) {
    c.filtered = 1;
    if (item.checked) {
      c.hiddenChecked = 1;
      c.hiddenCheckedBytes = item.size;
    }
  }
  return c;
}

StatKey CStatisticsObj::addItem(StatKey parent, std::size_t index, std::uint64_t size,
                                bool deleted) {
  if (!valid(parent) || parent == root() || records_[parent].kind != RecordKind::kGroup)
    return kNoRecord;
  const int category = records_[parent].category;
  StatRecord item;
  item.kind = RecordKind::kItem;
  item.category = category;
  item.index = index;
  item.size = std::max(size, kMinCountedBytes);
  item.deleted = deleted;
  item.hidden = deletedOnly(category) && !deleted;
  item.parent = parent;
  item.counts = itemCounts(item);
  const Counts counts = item.counts;
  const StatKey key = add(std::move(item));
  rows_[category].push_back(key);
  for (StatKey up = parent; up != kNoRecord; up = records_[up].parent)
    addTo(records_[up].counts, counts);
  return key;
}

StatKey CStatisticsObj::itemOf(int category, std::size_t index) const {
  if (category < 1 || category > kMaxCategory) return kNoRecord;
  const std::vector<StatKey>& rows = rows_[category];
  return index < rows.size() ? rows[index] : kNoRecord;
}

void CStatisticsObj::resum(StatKey key) {
  StatRecord& r = records_[key];
  if (r.kind == RecordKind::kItem) {
    r.counts = itemCounts(r);
    return;
  }
  Counts sum;
  for (StatKey child : r.children) addTo(sum, records_[child].counts);
  r.counts = sum;
}

void CStatisticsObj::resumUp(StatKey key) {
  for (StatKey up = key; up != kNoRecord; up = records_[up].parent) resum(up);
}

void CStatisticsObj::setSubtreeChecked(StatKey key, bool checked) {
  records_[key].checked = checked;
  // Children always have larger keys than their parent; depth is at most three below the root.
  for (StatKey child : records_[key].children) setSubtreeChecked(child, checked);
  resum(key);
}

void CStatisticsObj::setChecked(StatKey key, bool checked) {
  if (!valid(key)) return;
  setSubtreeChecked(key, checked);
  resumUp(records_[key].parent);
}

CheckState CStatisticsObj::checkState(StatKey key) const {
  const StatRecord& r = record(key);
  if (r.kind == RecordKind::kItem) return r.checked ? CheckState::kChecked : CheckState::kUnchecked;
  if (r.counts.items == 0 || r.counts.checked == 0) return CheckState::kUnchecked;
  return r.counts.checked == r.counts.items ? CheckState::kChecked : CheckState::kHalfChecked;
}

void CStatisticsObj::setDeletedOnly(int category, bool on) {
  const StatKey group = addCategory(category);
  if (group == kNoRecord) return;
  records_[group].deletedOnly = on;
  for (StatKey key : rows_[category]) {
    StatRecord& item = records_[key];
    item.hidden = on && !item.deleted;
    item.counts = itemCounts(item);
  }
  // App groups first (their keys lie after the category's), then the category and above.
  for (StatKey child : records_[group].children) resum(child);
  resumUp(group);
}

bool CStatisticsObj::deletedOnly(int category) const {
  const StatKey group = categoryKey(category);
  return group != kNoRecord && records_[group].deletedOnly;
}

bool CStatisticsObj::isSelected(StatKey key) const {
  if (!valid(key)) return false;
  const StatRecord& r = records_[key];
  return r.kind == RecordKind::kItem && r.checked && !r.hidden;
}

}  // namespace qv::output
