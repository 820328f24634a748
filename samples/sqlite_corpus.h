// The carving corpus: databases of every shape a forensic user meets, written by the real
// SQLite library and thinned by deletions, updates and dropped tables, each with what it
// held (the truth) so that what a carver finds can be scored.
//
//   std::vector<samples::CorpusDatabase> corpus;
//   ASSERT_EQ(samples::buildCorpus(dir, &corpus), 0);
//   for (const auto& db : corpus) { ...scan db.path..., samples::scoreFindings(db, found, &s); }
//
// A deleted row counts as recoverable when its bytes are still in the file: the serial types
// of its columns from column 1 on followed by its whole content are found in the file image
// after the deletion; for a record that spilled to overflow pages, the part SQLite keeps on
// the page (from column 1's serial type on) and each overflow page's share of the payload are
// each found. Column 0's serial type is left out because a freed cell loses its first four
// bytes to the freeblock header. A table WITHOUT ROWID is judged the same way on its record
// (the key's columns first): an index cell has no row id, so a freed cell of a small record
// loses column 1's serial type too, and such a row is not counted as still in the file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

struct CorpusRow {
  std::string table;
  std::int64_t rowId = 0;  // 0 in a table without a row id
  SqlRow values;           // column 0 first; the row-id alias NULL as SQLite stores it
  bool intact = false;     // deleted rows: its bytes are still in the file (see above)
};

struct CorpusDatabase {
  std::string path;
  std::string category;
  const char* encoding = "UTF-8";
  int pageSize = 4096;
  std::vector<CorpusRow> live;
  // Rows that are gone: deleted rows, the older versions of updated rows, the rows of
  // dropped tables.
  std::vector<CorpusRow> gone;
};

// Writes every database of the corpus into dir (which must exist); 0 or SQLite's code.
int buildCorpus(const std::string& dir, std::vector<CorpusDatabase>* out);

// A row a carver reported: its table, whether it is reported as deleted and as a stale copy
// of a live row, its values (column 0 first, NULL where the row image held none).
struct FoundRow {
  std::string table;
  bool deleted = false;
  bool stale = false;
  SqlRow values;
};

struct CorpusScore {
  std::size_t gone = 0;           // rows deleted, replaced or dropped
  std::size_t intact = 0;         // of those, whose bytes are still in the file
  std::size_t recovered = 0;      // of those, reported as deleted with their values
  std::size_t liveAsDeleted = 0;  // live rows reported as deleted and not stale
  std::size_t unmatched = 0;      // deleted rows reported that match no row ever written
};

// Adds one database's findings to a score. A reported row recovers a gone row of the same
// table (any table for a row reported under table "") when every value is equal, column 0 also when
// the report holds NULL there (a value whose serial type was overwritten and could not be rebuilt).
// The intact rows not recovered go to `missed` when it is given.
void scoreFindings(const CorpusDatabase& db, const std::vector<FoundRow>& found, CorpusScore* score,
                   std::vector<const CorpusRow*>* missed = nullptr);

// The serial type SQLite writes for a value (texts in that encoding).
std::uint64_t serialTypeOf(const SqlValue& value, const char* encoding);
void appendVarint(std::string& out, std::uint64_t v);
// The serial types of columns 1.. followed by the whole content, as SQLite writes them.
std::string recordTail(const SqlRow& row, const char* encoding);

}  // namespace qv::samples
