#include "tests/db/chat_test_support.h"

#include "db/timestamp.h"
#include "platform/text.h"

namespace qv::db::testing {

std::vector<samples::SqlRow> queryRows(const std::string& path, const std::string& sql) {
  std::vector<samples::SqlRow> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      samples::SqlRow row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        switch (sqlite3_column_type(st, i)) {
          case SQLITE_INTEGER:
            row.push_back(samples::SqlValue::of(sqlite3_column_int64(st, i)));
            break;
          case SQLITE_FLOAT:
            row.push_back(samples::SqlValue::ofReal(sqlite3_column_double(st, i)));
            break;
          case SQLITE_TEXT:
            row.push_back(samples::SqlValue::text(
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                            static_cast<std::size_t>(sqlite3_column_bytes(st, i)))));
            break;
          case SQLITE_BLOB:
            row.push_back(samples::SqlValue::blob(
                std::string(static_cast<const char*>(sqlite3_column_blob(st, i)),
                            static_cast<std::size_t>(sqlite3_column_bytes(st, i)))));
            break;
          default:
            row.push_back(samples::SqlValue::null());
        }
      }
      rows.push_back(std::move(row));
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

bool deliverable(const samples::SqlValue& text) {
  if (text.kind != samples::SqlValue::kText || text.bytes.empty()) return false;
  return text.bytes.find('\0') == std::string::npos &&
         text.bytes.find("\xEF\xBF\xBD") == std::string::npos;
}

std::wstring appleDate(const samples::SqlValue& v) {
  if (v.kind == samples::SqlValue::kInteger) return formatAppleTime(v.integer);
  if (v.kind == samples::SqlValue::kReal) return formatAppleTime(static_cast<std::int64_t>(v.real));
  return {};
}

std::wstring unixDate(const samples::SqlValue& v) {
  return v.kind == samples::SqlValue::kInteger ? formatUnixTime(v.integer) : std::wstring();
}

std::wstring wide(const std::string& utf8) {
  return platform::toWide(utf8);
}

std::size_t occurrences(const std::string& haystack, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + 1))
    ++n;
  return n;
}

}  // namespace qv::db::testing
