// Deleted rows that are not deletions.
//
// When the database moves a cell (a page split or merge, an update that outgrows its cell), the
// old bytes stay behind in free space or on a freelist page. Carving and the freelist phase of
// a table scan find them, and without this filter a live row would also be listed as
// "Deleted". Two findings are the same row when their decoded fields are equal and so are
// their row ids, unless one of them has none (freelist cells carry their row id; carved rows
// carry 0). A deleted row that is the same row as a live one is such a leftover copy. A deleted
// row that differs in any decoded field stays, and so does one whose row id is another's: two
// rows may hold the same values.
//
// The same bytes can also be found twice among the deleted rows (a freed cell carved from its
// page and again from an older copy of that page): a second finding is dropped by the same
// rule, the findings with a row id taken first, so a carved finding gives way to those that
// carry a row id (two of them with different ids stay two rows), whatever order they were read
// in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::db {

// A set of values in one flat table (open addressing, linear probing): the copy filter adds a
// value for every row of a table, and a node per value costs more than the lookups.
template <class T, class Hash>
class FlatSet {
 public:
  // Adds a value; false when it was there already.
  bool insert(const T& value) {
    if ((size_ + 1) * 2 > slots_.size()) grow();
    std::size_t i = Hash()(value) & (slots_.size() - 1);
    for (; slots_[i].used; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i].value == value) return false;
    }
    slots_[i] = {value, true};
    ++size_;
    return true;
  }
  bool contains(const T& value) const {
    if (slots_.empty()) return false;
    for (std::size_t i = Hash()(value) & (slots_.size() - 1); slots_[i].used;
         i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i].value == value) return true;
    }
    return false;
  }
  void reserve(std::size_t n) {
    while (slots_.size() < 2 * n) grow();
  }

 private:
  struct Slot {
    T value{};
    bool used = false;
  };
  void grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : 2 * slots_.size());
    old.swap(slots_);
    size_ = 0;
    for (const Slot& s : old) {
      if (s.used) insert(s.value);
    }
  }
  std::vector<Slot> slots_;  // a power of two in size, at most half used
  std::size_t size_ = 0;
};

// The decoded fields of the rows kept so far, with their row ids: the one matching rule.
template <class Key, class Hash = std::hash<Key>>
class KeptRows {
 public:
  void reserve(std::size_t n) {
    fields_.reserve(n);
    withId_.reserve(n);
  }
  void add(const Key& fields, std::uint32_t rowId) {
    fields_.insert(fields);
    withId_.insert({fields, rowId});
  }
  // Whether a row of these fields and row id (0: none) is a copy of a kept row: the fields are
  // equal, and so are the row ids unless one of the two has none.
  bool covers(const Key& fields, std::uint32_t rowId) const {
    if (rowId == 0) return fields_.contains(fields);
    return withId_.contains({fields, rowId}) || withId_.contains({fields, 0});
  }

 private:
  using WithId = std::pair<Key, std::uint32_t>;
  struct WithIdHash {
    std::size_t operator()(const WithId& k) const {
      return Hash()(k.first) ^ (std::size_t{k.second} * 0x9E3779B97F4A7C15ull);
    }
  };
  FlatSet<Key, Hash> fields_;
  FlatSet<WithId, WithIdHash> withId_;
};

// One decoded row with the row id of its cell (0 for carved rows). Every record has a
// `deleted` marker.
template <class Record>
struct ScannedRow {
  Record record;
  std::uint32_t rowId = 0;
};

// Drops the leftover copies and second findings; what remains goes live rows first, each part
// in reading order (the order of a scan that hands over every live row before any deleted one,
// which the first-match joins and the date sort's ties follow). key(record) gives the decoded
// fields as one text (the deleted marker and the row id left out).
template <class Record, class Key>
void dropLeftoverCopies(std::vector<ScannedRow<Record>>* rows, Key key) {
  std::vector<std::wstring> keys;
  keys.reserve(rows->size());
  for (const auto& r : *rows) keys.push_back(key(r.record));
  KeptRows<std::wstring_view> kept;  // views of `keys`
  kept.reserve(rows->size());
  for (std::size_t i = 0; i < rows->size(); ++i) {
    if ((*rows)[i].record.deleted == 0) kept.add(keys[i], (*rows)[i].rowId);
  }
  std::vector<bool> drop(rows->size(), false);
  // Deleted rows with a row id first: they say more than a carved finding of the same bytes.
  for (int withId = 1; withId >= 0; --withId) {
    for (std::size_t i = 0; i < rows->size(); ++i) {
      const auto& r = (*rows)[i];
      if (r.record.deleted == 0 || (r.rowId != 0) != (withId == 1)) continue;
      drop[i] = kept.covers(keys[i], r.rowId);
      if (!drop[i]) kept.add(keys[i], r.rowId);
    }
  }
  std::vector<ScannedRow<Record>> remaining;
  remaining.reserve(rows->size());
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < rows->size(); ++i) {
      if (drop[i] || ((*rows)[i].record.deleted != 0) != (pass == 1)) continue;
      remaining.push_back(std::move((*rows)[i]));
    }
  }
  rows->swap(remaining);
}

// The decoded fields of a row as one key text: numbers, and texts with their length so that
// no text can pass for two fields.
inline void appendKeyField(std::wstring& key, std::int64_t v) {
  key += std::to_wstring(v);
  key += L'\x1f';
}
inline void appendKeyField(std::wstring& key, const std::wstring& text) {
  key += std::to_wstring(text.size());
  key += L':';
  key += text;
}
template <class... Fields>
std::wstring fieldsKey(const Fields&... fields) {
  std::wstring key;
  (appendKeyField(key, fields), ...);
  return key;
}

}  // namespace qv::db
