// Questions the SQLite library answers about a database inside a backup, beside the page
// reader: whether a table exists, and how many columns it has. The file is opened read only
// and immutable (db/sqlite_uri.h), so a missing file is an error rather than a new empty
// database, and a database in write-ahead-log mode (as the phone keeps its own) gets no -wal
// or -shm files beside it: nothing is ever written into the backup folder.
#pragma once

#include <string>

struct sqlite3;

namespace qv::db {

// One read-only, immutable handle of the SQLite library; closed with its owner.
class SqliteHandle {
 public:
  SqliteHandle() = default;
  ~SqliteHandle();
  SqliteHandle(const SqliteHandle&) = delete;
  SqliteHandle& operator=(const SqliteHandle&) = delete;

  // 0 or the library's open result.
  int open(const std::string& path);
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// Prepares "select * from TABLE;" without reading a row, so that a table without rows answers
// too. 0 with *columns set to the statement's column count; kQueryFailed (1006) when the
// statement cannot be prepared (no such table, or not a database); or the library's open
// result.
int probeTable(const std::string& path, const std::string& table, int* columns);

}  // namespace qv::db
