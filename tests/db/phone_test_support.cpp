#include "tests/db/phone_test_support.h"

#include <sqlite3.h>

#include <cmath>

#include "db/person_name.h"
#include "db/record.h"
#include "platform/text.h"

namespace qv::db::phonetest {

using samples::SqlRow;
using samples::SqlValue;

std::vector<SqlRow> sqlRows(const std::string& path, const std::string& sql) {
  std::vector<SqlRow> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      SqlRow row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        switch (sqlite3_column_type(st, i)) {
          case SQLITE_INTEGER:
            row.push_back(SqlValue::of(sqlite3_column_int64(st, i)));
            break;
          case SQLITE_FLOAT:
            row.push_back(SqlValue::ofReal(sqlite3_column_double(st, i)));
            break;
          case SQLITE_TEXT:
            row.push_back(SqlValue::text(
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                            static_cast<std::size_t>(sqlite3_column_bytes(st, i)))));
            break;
          case SQLITE_BLOB: {
            const char* p = static_cast<const char*>(sqlite3_column_blob(st, i));
            row.push_back(SqlValue::blob(
                p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st, i))) : ""));
            break;
          }
          default:
            row.push_back(SqlValue::null());
            break;
        }
      }
      rows.push_back(std::move(row));
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

bool takenText(const SqlValue& v) {
  if (v.kind != SqlValue::kText || v.bytes.empty()) return false;
  if (v.bytes.find('\0') != std::string::npos || !isValidUtf8(v.bytes)) return false;
  return v.bytes.find("\xEF\xBF\xBD") == std::string::npos;
}

namespace {

// The content bytes SQLite stores for a row: columns of numeric and real affinity store a
// whole floating value as an integer.
std::string storedContent(const SqlRow& written) {
  SqlRow row = written;
  for (SqlValue& v : row) {
    if (v.kind == SqlValue::kReal && v.real == std::trunc(v.real) && std::fabs(v.real) < 9e15)
      v = SqlValue::of(static_cast<std::int64_t>(v.real));
  }
  return samples::recordContent(row, "UTF-8");
}

}  // namespace

bool onlyOnInteriorPages(const std::string& fileBytes, const SqlRow& row, std::size_t pageSize) {
  const std::string content = storedContent(row);
  bool any = false;
  for (std::size_t at = fileBytes.find(content); at != std::string::npos;
       at = fileBytes.find(content, at + 1)) {
    const std::size_t page = at / pageSize;
    const std::size_t header = page == 0 ? 100 : 0;
    const auto type = static_cast<unsigned char>(fileBytes[page * pageSize + header]);
    if (type != 5 && type != 2) return false;
    any = true;
  }
  return any;
}

bool bytesRemain(const std::string& fileBytes, const SqlRow& written, std::size_t pageSize) {
  SqlRow row = written;
  for (SqlValue& v : row) {
    if (v.kind == SqlValue::kReal && v.real == std::trunc(v.real) && std::fabs(v.real) < 9e15)
      v = SqlValue::of(static_cast<std::int64_t>(v.real));
  }
  const std::string content = storedContent(written);
  if (content.size() + 35 > pageSize) return samples::contentIntact(fileBytes, row, "UTF-8");
  return fileBytes.find(content) != std::string::npos;
}

std::wstring firstPersonWithPhone(const std::string& addressBook, const std::string& address) {
  // The phone column by its field name, whatever the layout numbers it.
  const auto statement = sqlRows(
      addressBook, "SELECT sql FROM sqlite_master WHERE name = 'ABPersonFullTextSearch_content'");
  if (statement.empty()) return {};
  const std::string& sql = statement[0][0].bytes;
  const std::string phone = sql.find("'c16Phone'") != std::string::npos ? "c16Phone" : "c15Phone";
  const auto rows = sqlRows(addressBook,
                            "SELECT c0First, c1Last FROM ABPersonFullTextSearch_content WHERE "
                            "instr(" +
                                phone + ", '" + address + "') > 0 ORDER BY docid LIMIT 1");
  if (rows.empty()) return {};
  return fullName(wide(rows[0][0]), wide(rows[0][1]));
}

std::wstring wide(const SqlValue& v) {
  if (v.kind != SqlValue::kText && v.kind != SqlValue::kBlob) return {};
  return platform::toWide(v.bytes);
}

std::wstring wide(const std::string& utf8) {
  return platform::toWide(utf8);
}

}  // namespace qv::db::phonetest
