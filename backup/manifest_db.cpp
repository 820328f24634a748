#include "backup/manifest_db.h"

#include <sqlite3.h>

#include <new>

#include "backup/file_id.h"
#include "db/record.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "platform/ascii.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::backup {
namespace {

constexpr const char* kPastTheLimits = "more files or longer names than any device has";

// Owns an open database connection.
struct Connection {
  sqlite3* db = nullptr;
  ~Connection() { sqlite3_close(db); }
};

// Owns a prepared statement.
struct Statement {
  sqlite3_stmt* stmt = nullptr;
  ~Statement() { sqlite3_finalize(stmt); }
};

std::string_view columnText(sqlite3_stmt* stmt, int col) {
  const unsigned char* text = sqlite3_column_text(stmt, col);
  if (text == nullptr) return {};
  return {reinterpret_cast<const char*>(text),
          static_cast<std::size_t>(sqlite3_column_bytes(stmt, col))};
}

// Room for the rows up front: growing the index step by step costs as much as reading it. The
// largest rowid is a close bound for a table that is only ever appended to, and is found
// without a scan; a crafted one costs no more than the index's limits.
void reserveForRows(sqlite3* db, ManifestIndex* index) {
  constexpr std::size_t kKeyBytesPerRow = 80;  // what the keys of a device's files average
  Statement hint;
  if (sqlite3_prepare_v2(db, "select max(rowid) from Files;", -1, &hint.stmt, nullptr) !=
          SQLITE_OK ||
      sqlite3_step(hint.stmt) != SQLITE_ROW)
    return;
  const sqlite3_int64 rows = sqlite3_column_int64(hint.stmt, 0);
  if (rows <= 0) return;
  const std::size_t n = rows < static_cast<sqlite3_int64>(kMaxManifestEntries)
                            ? static_cast<std::size_t>(rows)
                            : kMaxManifestEntries;
  index->reserve(n, n * kKeyBytesPerRow);
}

// The Files rows straight from the database's pages: the same rows SQLite's query gives, in
// a fraction of the work. Anything this reading cannot vouch for is left to the query, so
// both ways give one result: a file that is no clean UTF-8 rowid table named Files with the
// three columns, a damaged page, a value that is no text, rows out of row-id order (the query
// gives them by row id, the walk by page) or no row at all.
class PageRows : public db::RowSink {
 public:
  PageRows(ManifestIndex* index, int idColumn, int domainColumn, int pathColumn)
      : index_(index), columns_{idColumn, domainColumn, pathColumn} {}

  // Whether every row handed over was taken as the query would have taken it.
  bool clean() const { return clean_; }
  // Whether the index refused a row (past its limits).
  bool full() const { return full_; }
  std::size_t rows() const { return rows_; }

  int onRow(db::SqlitePageReader&, const db::RowImage& row) override {
    if (!clean_ || full_) return 1;
    ++rows_;
    if (!row.complete || row.rowId <= lastRowId_ || db::walkRow(row, &record_) != kOk)
      return refuse();
    lastRowId_ = row.rowId;
    std::string_view values[3];
    bool isNull[3];
    for (int i = 0; i < 3; ++i) {
      if (!valueOf(row, columns_[i], &values[i], &isNull[i])) return refuse();
    }
    if (!isFileId(values[0])) return 0;
    const bool added = isNull[2] ? index_->add(values[0], {values[1]})
                                 : index_->add(values[0], {values[1], "-", values[2]});
    if (!added) full_ = true;
    return 0;
  }

 private:
  int refuse() {
    clean_ = false;
    return 1;
  }

  // A text or blob column as its bytes, NULL (or a column the record leaves out) as nothing;
  // numbers are not read here: the query would spell them out.
  bool valueOf(const db::RowImage& row, int column, std::string_view* value, bool* isNull) const {
    *value = {};
    *isNull = true;
    if (static_cast<std::size_t>(column) >= record_.columns.size()) return true;
    const db::RecordColumn& c = record_.columns[static_cast<std::size_t>(column)];
    if (c.serialType == 0) return true;
    if (c.serialType < 12) return false;
    *value = {reinterpret_cast<const char*>(row.data) + c.offset, c.width};
    *isNull = false;
    return true;
  }

  ManifestIndex* index_;
  int columns_[3];
  db::Record record_;
  std::int64_t lastRowId_ = 0;
  std::size_t rows_ = 0;
  bool clean_ = true;
  bool full_ = false;
};

// Entries a manifest of this many bytes likely holds: a device's rows take about 400 bytes
// with their file records, and room asked for but never written costs no memory. A manifest
// of large records overshoots: when the room cannot be had (a 32-bit program's address space),
// the index grows as it fills instead.
void reserveForFile(std::uint64_t fileBytes, ManifestIndex* index) try {
  constexpr std::uint64_t kBytesPerRow = 400;
  constexpr std::size_t kKeyBytesPerRow = 80;
  const std::uint64_t rows = fileBytes / kBytesPerRow;
  const std::size_t n =
      rows < kMaxManifestEntries ? static_cast<std::size_t>(rows) : kMaxManifestEntries;
  index->reserve(n, n * kKeyBytesPerRow);
} catch (const std::bad_alloc&) {
}

// kOk with the index filled, kInvalid past the index's limits, and anything else when the
// query is to read the file instead (the index is then empty).
int readRowsFromPages(const std::string& path, ManifestIndex* index) {
  constexpr int kAskTheQuery = -1;
  db::SqlitePageReader reader;
  // The log beside the file, when there is one, holds the newest rows as SQLite would see them.
  if (reader.Open(db::DatabaseFile(path, path + "-wal")) != kOk ||
      reader.textEncoding() != db::TextEncoding::kUtf8)
    return kAskTheQuery;
  std::vector<db::SchemaEntry> schema;
  if (reader.ReadSchema(&schema) != kOk) return kAskTheQuery;
  const db::SchemaEntry* files = nullptr;
  for (const db::SchemaEntry& entry : schema) {
    if (entry.type == "table" && platform::equalsNoCase(entry.name, "Files")) files = &entry;
  }
  if (files == nullptr) return kAskTheQuery;
  const db::TableLayout layout(files->sql);
  const int id = layout.find("fileID");
  const int domain = layout.find("domain");
  const int relativePath = layout.find("relativePath");
  const int alias = layout.rowIdAlias();
  if (id < 0 || domain < 0 || relativePath < 0 || alias == id || alias == domain ||
      alias == relativePath)
    return kAskTheQuery;

  reserveForFile(std::uint64_t{reader.pageCount()} * reader.pageSize(), index);
  PageRows rows(index, id, domain, relativePath);
  const int rc = reader.ScanLiveRows(files->name, &rows);
  if (rows.full()) {
    index->clear();
    return kInvalid;
  }
  if (rc != kOk || !rows.clean() || rows.rows() == 0) {
    index->clear();
    return kAskTheQuery;
  }
  return kOk;
}

int queryFailed(sqlite3* db, std::string* failure) {
  if (failure != nullptr) *failure = sqlite3_errmsg(db);
  return kQueryFailed;
}

int readRows(const std::string& path, ManifestIndex* index, std::string* failure) {
  Connection conn;
  // Read-only: a missing file is an error, never a new empty database in the backup folder.
  // The connection is used by this thread alone.
  int rc =
      sqlite3_open_v2(path.c_str(), &conn.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return rc;

  reserveForRows(conn.db, index);

  Statement query;
  if (sqlite3_prepare_v2(conn.db, "select fileID,domain, relativePath from Files;", -1, &query.stmt,
                         nullptr) != SQLITE_OK)
    return queryFailed(conn.db, failure);

  for (;;) {
    rc = sqlite3_step(query.stmt);
    if (rc == SQLITE_DONE) return kOk;
    if (rc != SQLITE_ROW) return queryFailed(conn.db, failure);

    std::string_view fileId = columnText(query.stmt, 0);
    if (!isFileId(fileId)) continue;
    std::string_view domain = columnText(query.stmt, 1);
    bool hasPath = sqlite3_column_type(query.stmt, 2) != SQLITE_NULL;
    std::string_view relativePath = hasPath ? columnText(query.stmt, 2) : std::string_view();
    const bool added =
        hasPath ? index->add(fileId, {domain, "-", relativePath}) : index->add(fileId, {domain});
    if (!added) {
      index->clear();
      if (failure != nullptr) *failure = kPastTheLimits;
      return kInvalid;
    }
  }
}

}  // namespace

int readManifestDb(const std::string& path, ManifestIndex* index, std::string* failure) {
  index->clear();
  if (failure != nullptr) failure->clear();
  try {
    const int rc = readRowsFromPages(path, index);
    if (rc == kInvalid && failure != nullptr) *failure = kPastTheLimits;
    if (rc == kOk || rc == kInvalid) return rc;
    return readRows(path, index, failure);
  } catch (const std::bad_alloc&) {
    index->clear();
    return kErrNotEnoughMemory;
  }
}

}  // namespace qv::backup
