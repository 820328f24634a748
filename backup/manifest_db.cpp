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

// Room for the rows up front: growing a vector of half a million entries step by step costs
// as much as reading them. The largest rowid is a close bound for a table that is only ever
// appended to, and is found without a scan. A crafted one can cost no more than the cap, which
// lies well above the file count of any device.
void reserveForRows(sqlite3* db, ManifestIndex* index) {
  constexpr sqlite3_int64 kMostReserved = 1000000;
  Statement hint;
  if (sqlite3_prepare_v2(db, "select max(rowid) from Files;", -1, &hint.stmt, nullptr) !=
          SQLITE_OK ||
      sqlite3_step(hint.stmt) != SQLITE_ROW)
    return;
  sqlite3_int64 rows = sqlite3_column_int64(hint.stmt, 0);
  if (rows > 0)
    index->reserve(static_cast<std::size_t>(rows < kMostReserved ? rows : kMostReserved));
}

int readRows(const std::string& path, ManifestIndex* index) {
  Connection conn;
  // Read-only: a missing file is an error, never a new empty database in the backup folder.
  // The connection is used by this thread alone.
  int rc =
      sqlite3_open_v2(path.c_str(), &conn.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return rc;
  // Pages are read through a memory map where the system allows one (a manifest of a large
  // device runs to hundreds of megabytes); SQLite falls back to reads where it does not.
  sqlite3_exec(conn.db, "PRAGMA mmap_size=268435456;", nullptr, nullptr, nullptr);

  reserveForRows(conn.db, index);

  Statement query;
  if (sqlite3_prepare_v2(conn.db, "select fileID,domain, relativePath from Files;", -1, &query.stmt,
                         nullptr) != SQLITE_OK)
    return kQueryFailed;

  for (;;) {
    rc = sqlite3_step(query.stmt);
    if (rc == SQLITE_DONE) return kOk;
    if (rc != SQLITE_ROW) return kQueryFailed;

    std::string_view fileId = columnText(query.stmt, 0);
    if (!isFileId(fileId)) continue;
    std::string_view domain = columnText(query.stmt, 1);
    bool hasPath = sqlite3_column_type(query.stmt, 2) != SQLITE_NULL;
    std::string_view relativePath = hasPath ? columnText(query.stmt, 2) : std::string_view();

    ManifestEntry& entry = index->emplace_back();
    entry.fileId.assign(fileId);
    entry.key.reserve(domain.size() + 1 + relativePath.size());
    entry.key.assign(domain);
    if (hasPath) {
      entry.key.push_back('-');
      entry.key.append(relativePath);
    }
  }
}

}  // namespace

int readManifestDb(const std::string& path, ManifestIndex* index) {
  index->clear();
  try {
    return readRows(path, index);
  } catch (const std::bad_alloc&) {
    index->clear();
    return kErrNotEnoughMemory;
  }
}

}  // namespace qv::backup
