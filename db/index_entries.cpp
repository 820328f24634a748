#include "db/index_entries.h"

#include <algorithm>

namespace qv::db {

void RowIdSet::clear() {
  bits_.clear();
  others_.clear();
}

void RowIdSet::add(std::int64_t id) {
  if (id < 0 || id >= kBitmapIds) {
    others_.push_back(id);
    return;
  }
  const auto word = static_cast<std::size_t>(id >> 6);
  if (word >= bits_.size()) bits_.resize(std::max(word + 1, bits_.size() * 2));
  bits_[word] |= std::uint64_t{1} << (id & 63);
}

void RowIdSet::seal() {
  std::sort(others_.begin(), others_.end());
}

bool RowIdSet::contains(std::int64_t id) const {
  if (id < 0 || id >= kBitmapIds) return std::binary_search(others_.begin(), others_.end(), id);
  const auto word = static_cast<std::size_t>(id >> 6);
  return word < bits_.size() && ((bits_[word] >> (id & 63)) & 1) != 0;
}

void IndexEntrySelector::startIndex(bool unique) {
  liveRows_.seal();
  unique_ = unique;
  liveEntryKeys_.clear();
  keysSorted_ = true;
  shown_ = HashSet();
}

bool IndexEntrySelector::shows(std::int64_t rowId, std::uint64_t keyHash, std::uint64_t entryHash) {
  if (rowId <= 0 || liveRows_.contains(rowId)) return false;
  return showsGone(keyHash, entryHash);
}

bool IndexEntrySelector::showsKeyed(std::uint64_t primaryKeyHash, std::uint64_t keyHash,
                                    std::uint64_t entryHash) {
  if (liveKeys_.contains(primaryKeyHash)) return false;
  return showsGone(keyHash, entryHash);
}

bool IndexEntrySelector::showsGone(std::uint64_t keyHash, std::uint64_t entryHash) {
  if (unique_) {
    if (!keysSorted_) std::sort(liveEntryKeys_.begin(), liveEntryKeys_.end());
    keysSorted_ = true;
    if (std::binary_search(liveEntryKeys_.begin(), liveEntryKeys_.end(), keyHash)) return false;
  }
  return shown_.insert(entryHash);
}

}  // namespace qv::db
