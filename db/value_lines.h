// Value-line files: the rows of a table written as lines of SQL literal values, for the
// export of messages (sms.csv) and contacts. Helpers shared by both writers.
//
// The lines are streamed: a live row's line goes to the file as the scan hands the row over,
// in pieces of 64 KiB; a deleted row is kept, as its rendered line, until the scan is done,
// since only then are all the live rows known that decide whether it is a leftover copy of
// one (leftover_copies.h, compared by a 64-bit hash of the stored values). The memory a table
// takes is its deleted rows' lines and a hash per row, however many rows it has.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/leftover_copies.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "platform/pending_file.h"

namespace qv::db {

// Appends bytes between double quotes with every double quote and apostrophe doubled. The
// bytes end at the first zero byte, as a C string would.
void appendQuotedValue(std::string& line, std::string_view bytes);

// Appends bytes as two lower-case hex digits each.
void appendHexValue(std::string& line, std::string_view bytes);

// Appends an integer in decimal.
void appendNumber(std::string& line, std::int64_t v);

// The stored values of columns [fromColumn, toColumn] of a row as one 64-bit key for the
// leftover-copy rule: serial type and content bytes of each, in order.
std::uint64_t rawColumnsHash(const RowColumns& row, int fromColumn, int toColumn);

// A value-line file being written. The lines are appended to what the file held; the whole is
// written under a temporary name beside it and takes its place only when complete
// (platform/pending_file.h): the old file when there was one, otherwise a new one that replaces
// nothing made meanwhile (the next numbered name then).
class LineFile {
 public:
  int open(const std::string& path);
  int append(std::string_view text);
  // Puts the file in place; with no line appended nothing changes (no empty file is made).
  int finish();
  // Leaves the file as it was (after a failure).
  void discard() { file_.discard(); }

 private:
  platform::PendingFile file_;
  bool replaces_ = false;
  bool appended_ = false;
};

// One row read for a value line.
struct LineRow {
  std::uint32_t deleted = 0;
  std::int64_t rowId = 0;  // 0 for a carved row, which gets a new one
  std::uint64_t key = 0;   // rawColumnsHash of the row
  std::string values;      // the line after its row id
  // Where in `values` a value made of the row id goes (a deleted message's new guid), which a
  // carved row has only once the lines are written; npos for none.
  std::size_t rowIdValueAt = std::string::npos;
};

// Scans the table and writes its lines to `out`: every live row, then the deleted rows that
// are not leftover copies, in reading order; a row without a row id gets startRowId + 1, + 2,
// .... decode(reader, image, &row) fills a row (non-zero drops it); line(row) gives its whole
// line once its row id is known. The scan's result; the rows read before a failure are
// written. *writeResult is the first failure of writing them, 0 otherwise.
template <class Decode, class Line>
int writeValueLines(SqlitePageReader& reader, const std::string& table, const TableScan& scan,
                    Decode decode, Line line, std::uint64_t startRowId, LineFile* out,
                    int* writeResult) {
  KeptRows<std::uint64_t> kept;
  std::vector<LineRow> deleted;
  *writeResult = 0;
  auto sink = makeSink([&](SqlitePageReader& r, const RowImage& image) {
    LineRow row;
    const int rc = decode(r, image, &row);
    if (rc != 0) return rc;
    row.deleted = image.deleted;
    row.rowId = image.rowId;
    if (row.deleted == 0) {
      kept.add(row.key, static_cast<std::uint32_t>(row.rowId));
      if (*writeResult == 0) *writeResult = out->append(line(row));
    } else {
      deleted.push_back(std::move(row));
    }
    return 0;
  });
  const int rc = reader.ScanTable(table, scan, &sink);
  // The rule of dropLeftoverCopies: findings with a row id first, then carved ones.
  std::vector<bool> drop(deleted.size(), false);
  for (int withId = 1; withId >= 0; --withId) {
    for (std::size_t i = 0; i < deleted.size(); ++i) {
      const LineRow& r = deleted[i];
      if ((r.rowId != 0) != (withId == 1)) continue;
      const auto id = static_cast<std::uint32_t>(r.rowId);
      drop[i] = kept.covers(r.key, id);
      if (!drop[i]) kept.add(r.key, id);
    }
  }
  std::uint64_t lastRowId = startRowId;
  for (std::size_t i = 0; i < deleted.size() && *writeResult == 0; ++i) {
    if (drop[i]) continue;
    if (deleted[i].rowId == 0) deleted[i].rowId = static_cast<std::int64_t>(++lastRowId);
    *writeResult = out->append(line(deleted[i]));
  }
  return rc;
}

}  // namespace qv::db
