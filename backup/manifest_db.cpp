#include "backup/manifest_db.h"

#include <sqlite3.h>

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
  return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(stmt, col))};
}

}  // namespace

int readManifestDb(const std::wstring& path, ManifestIndex* index) {
  index->clear();
  Connection conn;
  int rc = sqlite3_open_v2(platform::toUtf8(path).c_str(), &conn.db, SQLITE_OPEN_READONLY,
                           nullptr);
  if (rc != SQLITE_OK) return rc;

  Statement query;
  if (sqlite3_prepare_v2(conn.db, "select fileID,domain, relativePath from Files;", -1,
                         &query.stmt, nullptr) != SQLITE_OK)
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

}  // namespace qv::backup
