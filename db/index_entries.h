// Which entries of a table's indexes a listing of deleted rows shows.
//
// An index keeps a record per row of its table: its key's values, then the row's id (in a table
// WITHOUT ROWID, its primary key's values). A freed entry may outlive the row's own record, and
// always tells which row it was. Entries found outside the index's live cells are shown when no
// live row of the table is that row, once each.
// In a UNIQUE index an entry whose key a live entry holds is not shown either: it is a copy of
// the live row's entry (whose last bytes, the row id, may have been overwritten since) or a
// key used again, and its values are the live row's.
#pragma once

#include <cstdint>
#include <vector>

#include "db/leftover_copies.h"

namespace qv::db {

// The row ids of a table's live rows. Row ids are mostly small and dense: those below 2^26 are
// bits of a bitmap (a million rows take 125 KB, where a list of them took 8 MB), the others a
// list, sorted by seal() once every row was added.
class RowIdSet {
 public:
  void clear();
  void add(std::int64_t id);
  void seal();
  bool contains(std::int64_t id) const;

 private:
  static constexpr std::int64_t kBitmapIds = std::int64_t{1} << 26;
  std::vector<std::uint64_t> bits_;
  std::vector<std::int64_t> others_;
};

class IndexEntrySelector {
 public:
  // A new table: no live row yet.
  void startTable() {
    liveRows_.clear();
    liveKeys_ = HashSet();
  }
  void addLiveRow(std::int64_t rowId) { liveRows_.add(rowId); }
  // A live row of a table WITHOUT ROWID, by the hash of its primary key's values.
  void addLiveKeyedRow(std::uint64_t primaryKeyHash) { liveKeys_.insert(primaryKeyHash); }
  // One of the table's indexes, once every live row of the table was added.
  void startIndex(bool unique);
  bool unique() const { return unique_; }
  // A live entry of a UNIQUE index, by its key's hash.
  void addLiveEntry(std::uint64_t keyHash) {
    liveEntryKeys_.push_back(keyHash);
    keysSorted_ = false;
  }
  // Whether an entry found elsewhere is shown: its row id, its key's hash and the hash of the
  // whole entry (key and row id).
  bool shows(std::int64_t rowId, std::uint64_t keyHash, std::uint64_t entryHash);
  // The same for an entry of an index of a table WITHOUT ROWID, by its primary key's hash.
  bool showsKeyed(std::uint64_t primaryKeyHash, std::uint64_t keyHash, std::uint64_t entryHash);

 private:
  using HashSet = FlatSet<std::uint64_t, std::hash<std::uint64_t>>;
  // The rest of the rule, once the entry's row is known to be gone.
  bool showsGone(std::uint64_t keyHash, std::uint64_t entryHash);

  RowIdSet liveRows_;
  HashSet liveKeys_;  // the primary keys of a table WITHOUT ROWID's live rows
  bool unique_ = false;
  std::vector<std::uint64_t> liveEntryKeys_;  // sorted when first looked up: 8 bytes an entry
  bool keysSorted_ = true;
  HashSet shown_;
};

}  // namespace qv::db
