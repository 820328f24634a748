#include "db/sqlite_probe.h"

#include <sqlite3.h>

#include "db/sqlite_uri.h"
#include "platform/result.h"

namespace qv::db {

SqliteHandle::~SqliteHandle() {
  sqlite3_close(db_);
}

int SqliteHandle::open(const std::string& path) {
  sqlite3_close(db_);
  db_ = nullptr;
  // A failed open may still leave a handle to close: the destructor does.
  return sqlite3_open_v2(immutableSqliteUri(path).c_str(), &db_,
                         SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
}

int probeTable(const std::string& path, const std::string& table, int* columns) {
  *columns = 0;
  SqliteHandle db;
  const int rc = db.open(path);
  if (rc != SQLITE_OK) return rc;
  sqlite3_stmt* stmt = nullptr;
  const std::string query = "select * from " + table + ";";
  const bool prepared =
      sqlite3_prepare_v2(db.get(), query.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      stmt != nullptr;
  if (prepared) *columns = sqlite3_column_count(stmt);
  sqlite3_finalize(stmt);
  return prepared ? kOk : kQueryFailed;
}

}  // namespace qv::db
