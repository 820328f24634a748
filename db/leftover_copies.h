// Deleted rows that are not deletions.
//
// When the database moves a cell (a page split or merge, an update that outgrows its cell), the
// old bytes stay behind in free space or on a freelist page. Carving and the freelist phase of
// a table scan find them, and without this filter a live row would also be listed as
// "Deleted". A deleted row is such a leftover copy when its decoded fields equal those of a
// live row of the same table and, when it carries a row id (freelist cells do; carved rows
// carry 0), that row id is the live row's too. A deleted row that differs in any decoded field
// stays.
//
// The same bytes can also be found twice among the deleted rows (a freed cell carved from its
// page and again from an older copy of that page); the second finding of the same fields is
// dropped, preferring a finding with a row id over a carved one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace qv::db {

// One decoded row with the row id of its cell (0 for carved rows).
template <class Record>
struct ScannedRow {
  Record record;
  std::uint32_t rowId = 0;
};

// key(record) gives the decoded fields as one text (the deleted marker and the row id left
// out).
template <class Record, class Key>
void dropLeftoverCopies(std::vector<ScannedRow<Record>>* rows, Key key) {
  struct IdKey {
    std::uint32_t id;
    std::wstring_view key;
    bool operator==(const IdKey& o) const { return id == o.id && key == o.key; }
  };
  struct IdKeyHash {
    std::size_t operator()(const IdKey& k) const {
      return std::hash<std::wstring_view>()(k.key) ^ (std::size_t{k.id} * 0x9E3779B97F4A7C15ull);
    }
  };
  std::vector<std::wstring> keys;
  keys.reserve(rows->size());
  for (const auto& r : *rows) keys.push_back(key(r.record));
  std::unordered_set<std::wstring_view> fields;       // live and kept deleted rows
  std::unordered_set<IdKey, IdKeyHash> fieldsWithId;  // the same, with their row ids
  fields.reserve(rows->size());
  fieldsWithId.reserve(rows->size());
  for (std::size_t i = 0; i < rows->size(); ++i) {
    const auto& r = (*rows)[i];
    if (r.record.deleted != 0) continue;
    fields.insert(keys[i]);
    fieldsWithId.insert({r.rowId, keys[i]});
  }
  std::vector<bool> drop(rows->size(), false);
  // Deleted rows with a row id first: they say more than a carved finding of the same bytes.
  for (std::size_t i = 0; i < rows->size(); ++i) {
    const auto& r = (*rows)[i];
    if (r.record.deleted == 0 || r.rowId == 0) continue;
    drop[i] = !fieldsWithId.insert({r.rowId, keys[i]}).second;
    fields.insert(keys[i]);
  }
  for (std::size_t i = 0; i < rows->size(); ++i) {
    const auto& r = (*rows)[i];
    if (r.record.deleted == 0 || r.rowId != 0) continue;
    drop[i] = !fields.insert(keys[i]).second;
  }
  // What remains goes live rows first, each part in reading order: the order of a scan that
  // hands over every live row before any deleted one, which the first-match joins and the
  // date sort's ties follow whatever order the page reader delivers its rows in.
  std::vector<ScannedRow<Record>> kept;
  kept.reserve(rows->size());
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < rows->size(); ++i) {
      if (drop[i] || ((*rows)[i].record.deleted != 0) != (pass == 1)) continue;
      kept.push_back(std::move((*rows)[i]));
    }
  }
  rows->swap(kept);
}

// Appends a number to a key text.
inline void appendKeyNumber(std::wstring& key, std::int64_t v) {
  key += std::to_wstring(v);
  key += L'\x1f';
}
// Texts go in with their length, so that no text can pass for two fields.
inline void appendKeyText(std::wstring& key, const std::wstring& text) {
  key += std::to_wstring(text.size());
  key += L':';
  key += text;
}

}  // namespace qv::db
