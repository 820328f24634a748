#include "backup/manifest_db.h"

#include <sqlite3.h>

#include <new>

#include "backup/file_id.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::backup {
namespace {

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
      if (failure != nullptr) *failure = "more files or longer names than any device has";
      return kInvalid;
    }
  }
}

}  // namespace

int readManifestDb(const std::string& path, ManifestIndex* index, std::string* failure) {
  index->clear();
  if (failure != nullptr) failure->clear();
  try {
    return readRows(path, index, failure);
  } catch (const std::bad_alloc&) {
    index->clear();
    return kErrNotEnoughMemory;
  }
}

}  // namespace qv::backup
