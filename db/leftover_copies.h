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

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::db {

// Entries in one flat table (open addressing, linear probing), found by their key: the copy
// filter adds an entry for every row of a table, and a node per entry costs more than the
// lookups. Which slots are used is kept in a bitmap beside the entries (a flag in each slot
// would pad a 64-bit value to 16 bytes), and the table is filled up to three quarters: a
// million live rows of a large table then cost 8 to 16 MB a set instead of 32 to 48.
template <class Entry, class Key, class KeyOf, class Hash>
class FlatTable {
 public:
  // The entry of the key; null when there is none.
  const Entry* find(const Key& key) const {
    if (entries_.empty()) return nullptr;
    for (std::size_t i = Hash()(key) & (entries_.size() - 1); used(i);
         i = (i + 1) & (entries_.size() - 1)) {
      if (KeyOf()(entries_[i]) == key) return &entries_[i];
    }
    return nullptr;
  }
  // Adds an entry unless one of its key is there; returns that one, or null when it was added.
  const Entry* insert(const Entry& entry) {
    if ((size_ + 1) * 4 > entries_.size() * 3) grow();
    const Key& key = KeyOf()(entry);
    std::size_t i = Hash()(key) & (entries_.size() - 1);
    for (; used(i); i = (i + 1) & (entries_.size() - 1)) {
      if (KeyOf()(entries_[i]) == key) return &entries_[i];
    }
    entries_[i] = entry;
    used_[i / 64] |= std::uint64_t{1} << (i % 64);
    ++size_;
    return nullptr;
  }
  void reserve(std::size_t n) {
    while (entries_.size() * 3 < n * 4) grow();
  }
  // Starts reading the slot where the key's search begins, for an insert or find soon after.
  void prefetch(const Key& key) const {
    if (entries_.empty()) return;
    const std::size_t i = Hash()(key) & (entries_.size() - 1);
    __builtin_prefetch(&entries_[i]);
    __builtin_prefetch(&used_[i / 64]);
  }

 private:
  bool used(std::size_t i) const { return (used_[i / 64] >> (i % 64)) & 1; }
  void grow() {
    const std::size_t slots = entries_.empty() ? 64 : 2 * entries_.size();
    std::vector<Entry> oldEntries(slots);
    std::vector<std::uint64_t> oldUsed(slots / 64);
    oldEntries.swap(entries_);
    oldUsed.swap(used_);
    size_ = 0;
    for (std::size_t i = 0; i < oldEntries.size(); ++i) {
      if ((oldUsed[i / 64] >> (i % 64)) & 1) insert(oldEntries[i]);
    }
  }
  std::vector<Entry> entries_;       // a power of two in size (64 at least)
  std::vector<std::uint64_t> used_;  // one bit a slot
  std::size_t size_ = 0;
};

struct WholeEntry {
  template <class T>
  const T& operator()(const T& entry) const {
    return entry;
  }
};

// A set of values: each entry is its own key.
template <class T, class Hash>
class FlatSet {
 public:
  // Adds a value; false when it was there already.
  bool insert(const T& value) { return table_.insert(value) == nullptr; }
  bool contains(const T& value) const { return table_.find(value) != nullptr; }
  void reserve(std::size_t n) { table_.reserve(n); }

 private:
  FlatTable<T, T, WholeEntry, Hash> table_;
};

// The decoded fields of the rows kept so far, with their row ids: the one matching rule.
// Most fields are kept once, and their first row id is kept in the same slot, so a row costs
// one place in one table; the other row ids of fields kept more than once are kept apart.
template <class Key, class Hash = std::hash<Key>>
class KeptRows {
 public:
  void reserve(std::size_t n) { first_.reserve(n); }
  void prefetch(const Key& fields) const { first_.prefetch(fields); }
  void add(const Key& fields, std::uint32_t rowId) {
    const WithId* kept = first_.insert({fields, rowId});
    if (kept != nullptr && kept->second != rowId) others_.insert({fields, rowId});
  }
  // Whether a row of these fields and row id (0: none) is a copy of a kept row: the fields are
  // equal, and so are the row ids unless one of the two has none.
  bool covers(const Key& fields, std::uint32_t rowId) const {
    const WithId* kept = first_.find(fields);
    if (kept == nullptr) return false;
    if (rowId == 0 || kept->second == rowId || kept->second == 0) return true;
    return others_.contains({fields, rowId}) || others_.contains({fields, 0});
  }

 private:
  using WithId = std::pair<Key, std::uint32_t>;
  struct FieldsOf {
    const Key& operator()(const WithId& k) const { return k.first; }
  };
  struct WithIdHash {
    std::size_t operator()(const WithId& k) const {
      return Hash()(k.first) ^ (std::size_t{k.second} * 0x9E3779B97F4A7C15ull);
    }
  };
  FlatTable<WithId, Key, FieldsOf, Hash> first_;  // by fields: the first row id kept with them
  FlatSet<WithId, WithIdHash> others_;            // the further row ids of the same fields
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
//
// The rule is applied group by group of rows whose keys hash alike, the live rows of a group
// first, then its deleted rows with a row id, then those without, each in reading order; keys
// are compared whole within a group, so the hash only groups and never decides. A table of a
// hundred thousand messages keeps 12 bytes a row for this, not a second copy of its texts.
template <class Record, class Key>
void dropLeftoverCopies(std::vector<ScannedRow<Record>>* rows, Key key) {
  const std::size_t n = rows->size();
  std::vector<std::uint64_t> hashes(n);
  for (std::size_t i = 0; i < n; ++i)
    hashes[i] = std::hash<std::wstring_view>()(key((*rows)[i].record));
  auto phase = [rows](std::size_t i) {
    const ScannedRow<Record>& r = (*rows)[i];
    return r.record.deleted == 0 ? 0 : r.rowId != 0 ? 1 : 2;
  };
  std::vector<std::uint32_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    if (hashes[a] != hashes[b]) return hashes[a] < hashes[b];
    if (phase(a) != phase(b)) return phase(a) < phase(b);
    return a < b;
  });
  std::vector<bool> drop(n, false);
  std::vector<std::pair<std::uint32_t, std::wstring>> kept;  // the group's kept rows and keys
  for (std::size_t begin = 0; begin < n;) {
    std::size_t end = begin + 1;
    while (end < n && hashes[order[end]] == hashes[order[begin]]) ++end;
    if (end - begin > 1) {
      kept.clear();
      for (std::size_t k = begin; k < end; ++k) {
        const std::uint32_t i = order[k];
        std::wstring fields = key((*rows)[i].record);
        const std::uint32_t id = (*rows)[i].rowId;
        bool covered = false;
        for (const auto& other : kept) {
          if (phase(i) == 0 || other.second != fields) continue;
          const std::uint32_t otherId = (*rows)[other.first].rowId;
          // Equal fields, and equal row ids unless one of the two has none.
          if (id == 0 || otherId == 0 || id == otherId) covered = true;
          if (covered) break;
        }
        if (covered) {
          drop[i] = true;
        } else {
          kept.emplace_back(i, std::move(fields));
        }
      }
    }
    begin = end;
  }
  // What remains, in place: live rows first, then the deleted ones, each in reading order.
  std::size_t out = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (drop[i]) continue;
    if (out != i) (*rows)[out] = std::move((*rows)[i]);
    ++out;
  }
  rows->resize(out);
  const auto isLive = [](const ScannedRow<Record>& r) { return r.record.deleted == 0; };
  if (!std::is_partitioned(rows->begin(), rows->end(), isLive))
    std::stable_partition(rows->begin(), rows->end(), isLive);
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
