// The row layer every table reader is built on: a RowSink over a function, a sink that decodes
// row images into ScannedRows, and the scan of one table into rows without its leftover copies.
//
//   std::vector<ScannedRow<NoteRecord>> rows;
//   scanRows(reader, "ZNOTE", scan, decodeNote, noteKey, &rows);
//
// decode(reader, image, &record) returns kOk to keep the record; the record then gets the
// image's deleted marker and the row its row id, so decoders read columns only.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "db/leftover_copies.h"
#include "db/sqlite_page_reader.h"
#include "platform/result.h"

namespace qv::db {

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

// A sink that appends the rows `decode` keeps.
template <class Record, class Decode>
auto collectRows(Decode decode, std::vector<ScannedRow<Record>>* rows) {
  return makeSink([decode, rows](SqlitePageReader& reader, const RowImage& image) mutable {
    ScannedRow<Record> row;
    const int rc = decode(reader, image, &row.record);
    if (rc != kOk) return rc;
    row.record.deleted = image.deleted;
    row.rowId = static_cast<std::uint32_t>(image.rowId);
    rows->push_back(std::move(row));
    return kOk;
  });
}

// One table scan into rows, then the leftover copies dropped by key(record) (live rows first
// after that). The scan's result: rows read before a failure are kept.
template <class Record, class Decode, class Key>
int scanRows(SqlitePageReader& reader, const std::string& table, const TableScan& scan,
             Decode decode, Key key, std::vector<ScannedRow<Record>>* rows) {
  auto sink = collectRows<Record>(std::move(decode), rows);
  const int rc = reader.ScanTable(table, scan, &sink);
  dropLeftoverCopies(rows, key);
  return rc;
}

}  // namespace qv::db
