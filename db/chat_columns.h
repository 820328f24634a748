// Helpers shared by the chat-app readers (WhatsApp, WeChat, QQ): column access over one walked
// row image, the text tests every taken text must pass, the date sort, and the removal of
// stale copies among deleted rows.
//
// Keys given to dropStaleCopies must be values (std::make_tuple), not references into the
// rows: the rows move while the copies are removed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/record.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// The columns of one row image, by column number.
class RowColumns {
 public:
  // Walks the row in its layout; non-zero when the record does not fit the bytes held.
  int load(const RowImage& row, TextEncoding encoding);

  const RecordColumn* column(int n) const;
  // A 1- to 8-byte integer or one of the constants 0 and 1 (SQLite stores the integers 0 and
  // 1 as constants); false for every other type and for a missing column.
  bool integer(int n, std::int64_t* out) const;
  // The same limited to 1- to 4-byte integers and the constants: a row reference.
  bool reference(int n, std::int64_t* out) const;
  // An 8-byte floating value.
  bool real(int n, double* out) const;
  bool isText(int n) const;

  enum class Text { kAbsent, kEmpty, kGood, kBad };
  // A text column converted to wide text. kAbsent when the column is missing or not text,
  // kEmpty for a text of no bytes, kBad when it fails the text tests (malformed UTF-8, an
  // embedded zero, or U+FFFD in it), kGood otherwise.
  Text text(int n, std::wstring* out) const;
  // The raw bytes of a text column (empty when it is not text).
  std::string_view bytes(int n) const;

  const Record& record() const { return record_; }

 private:
  const std::uint8_t* data_ = nullptr;
  TextEncoding encoding_ = TextEncoding::kUtf8;
  Record record_;
};

// Hands the sink the rows carved from the freelist leaf pages that hold no cell at all, with
// the marker 1. A page whose rows were deleted one by one until it emptied goes to the freelist
// without a cell, and the table scan's freelist test (the column count of a page's first cell)
// cannot admit it; its rows still lie in its free space. Candidates are measured with `width`
// columns, so rows of tables of another width rarely pass; the decoder's own tests do the rest.
// Records that spilled to overflow pages are handed over with the bytes of the page alone.
int scanCellLessFreelistPages(SqlitePageReader& reader, int width, RowSink* sink);

// A RowSink that hands each row image to a function.
template <class F>
class FunctionSink final : public RowSink {
 public:
  explicit FunctionSink(F f) : f_(std::move(f)) {}
  int onRow(SqlitePageReader& reader, const RowImage& row) override { return f_(reader, row); }

 private:
  F f_;
};
template <class F>
FunctionSink<F> makeSink(F f) {
  return FunctionSink<F>(std::move(f));
}

// The column names of a table from the schema rows (the name compared without regard to
// ASCII case); empty when the table or its statement is not there.
std::vector<std::string> columnsOfTable(const std::vector<SchemaEntry>& schema,
                                        std::string_view table);

// A column's position by the first of its known names; -1 when the table's statement was
// read and names none of them; `fallback` when there was no statement to read.
int positionOf(const std::vector<std::string>& columns,
               std::initializer_list<std::string_view> names, int fallback);

// Compares two date texts without regard to ASCII case.
bool dateTextLess(const std::wstring& a, const std::wstring& b);

// Sorts rows by their date text, ascending; equal dates keep their order of reading.
template <class Row>
void sortByDate(std::vector<Row>* rows) {
  std::stable_sort(rows->begin(), rows->end(),
                   [](const Row& a, const Row& b) { return dateTextLess(a.date, b.date); });
}

// Drops the deleted rows that are copies of a live row of the same table: the database leaves
// such copies behind on freelist pages and in free space when it moves a cell, and they are
// not deletions. A deleted row is a copy when its decoded fields (key(row)) equal a live
// row's and, when it carries a row id (freelist cells do; carved rows carry 0), that row id is
// the live row's too. A deleted row that differs in any field stays. Copies of one deleted row
// (a cell moved before it was deleted leaves one behind) are shown once, the first found.
template <class Row, class Key>
void dropStaleCopies(std::vector<Row>* rows, Key key) {
  using K = decltype(key(rows->front()));
  // Per distinct fields, the row ids seen (0 for a row without one).
  std::map<K, std::set<std::uint32_t>> live;
  for (const Row& r : *rows) {
    if (r.deleted == 0) live[key(r)].insert(r.rowId);
  }
  std::map<K, std::set<std::uint32_t>> kept;
  // A row without an id matches any row of the same fields; one with an id matches the same
  // id or a row without one.
  auto matches = [](const std::set<std::uint32_t>& ids, std::uint32_t id) {
    return id == 0 || ids.count(id) != 0 || ids.count(0) != 0;
  };
  rows->erase(std::remove_if(rows->begin(), rows->end(),
                             [&](const Row& r) {
                               if (r.deleted == 0) return false;
                               const K k = key(r);
                               auto l = live.find(k);
                               if (l != live.end() && matches(l->second, r.rowId)) return true;
                               std::set<std::uint32_t>& ids = kept[k];
                               if (!ids.empty() && matches(ids, r.rowId)) return true;
                               ids.insert(r.rowId);
                               return false;
                             }),
              rows->end());
}

}  // namespace qv::db
