#include "samples/sqlite_fixture.h"

#include <sqlite3.h>

#include <cstring>
#include <string_view>

#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::samples {

bool SqlValue::operator==(const SqlValue& o) const {
  if (kind != o.kind) return false;
  switch (kind) {
    case kNull:
      return true;
    case kInteger:
      return integer == o.integer;
    case kReal:
      return real == o.real;
    default:
      return bytes == o.bytes;
  }
}

SqliteFixture::~SqliteFixture() {
  close();
}

int SqliteFixture::create(const std::string& path, const SqliteOptions& options) {
  close();
  path_ = path;
  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) return rc;
  rc = exec("PRAGMA page_size=" + std::to_string(options.pageSize));
  if (rc == SQLITE_OK) rc = exec(std::string("PRAGMA encoding='") + options.encoding + "'");
  if (rc == SQLITE_OK)
    rc = exec(options.secureDelete ? "PRAGMA secure_delete=ON" : "PRAGMA secure_delete=OFF");
  if (rc == SQLITE_OK) rc = options.wal ? useWal() : exec("PRAGMA journal_mode=DELETE");
  if (rc == SQLITE_OK && options.reservedBytes > 0) {
    int reserve = options.reservedBytes;
    rc = sqlite3_file_control(db_, nullptr, SQLITE_FCNTL_RESERVE_BYTES, &reserve);
  }
  return rc;
}

int SqliteFixture::exec(const std::string& sql) {
  if (!db_) return SQLITE_MISUSE;
  return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

int SqliteFixture::insert(const std::string& table, const SqlRow& row, std::int64_t* rowId) {
  std::string sql = "INSERT INTO \"" + table + "\" VALUES (";
  for (std::size_t i = 0; i < row.size(); ++i) sql += i ? ",?" : "?";
  sql += ")";
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
  if (rc != SQLITE_OK) return rc;
  for (std::size_t i = 0; i < row.size(); ++i) {
    const SqlValue& v = row[i];
    const int at = static_cast<int>(i + 1);
    switch (v.kind) {
      case SqlValue::kNull:
        sqlite3_bind_null(st, at);
        break;
      case SqlValue::kInteger:
        sqlite3_bind_int64(st, at, v.integer);
        break;
      case SqlValue::kReal:
        sqlite3_bind_double(st, at, v.real);
        break;
      case SqlValue::kText:
        sqlite3_bind_text(st, at, v.bytes.data(), static_cast<int>(v.bytes.size()),
                          SQLITE_TRANSIENT);
        break;
      case SqlValue::kBlob:
        sqlite3_bind_blob(st, at, v.bytes.data(), static_cast<int>(v.bytes.size()),
                          SQLITE_TRANSIENT);
        break;
    }
  }
  rc = sqlite3_step(st);
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) return rc;
  const std::int64_t id = sqlite3_last_insert_rowid(db_);
  live_[table][id] = row;
  if (rowId) *rowId = id;
  return SQLITE_OK;
}

int SqliteFixture::deleteRows(const std::string& table, const std::vector<std::int64_t>& rowIds) {
  int rc = exec("BEGIN");
  if (rc != SQLITE_OK) return rc;
  sqlite3_stmt* st = nullptr;
  rc = sqlite3_prepare_v2(db_, ("DELETE FROM \"" + table + "\" WHERE rowid=?").c_str(), -1, &st,
                          nullptr);
  if (rc != SQLITE_OK) return rc;
  for (std::int64_t id : rowIds) {
    sqlite3_bind_int64(st, 1, id);
    rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) break;
    rc = SQLITE_OK;
    auto& live = live_[table];
    auto it = live.find(id);
    if (it != live.end()) {
      deleted_[table][id] = it->second;
      live.erase(it);
    }
  }
  sqlite3_finalize(st);
  const int end = exec(rc == SQLITE_OK ? "COMMIT" : "ROLLBACK");
  return rc != SQLITE_OK ? rc : end;
}

int SqliteFixture::useWal() {
  int rc = exec("PRAGMA journal_mode=WAL");
  if (rc == SQLITE_OK) rc = exec("PRAGMA wal_autocheckpoint=0");
  return rc;
}

int SqliteFixture::copyWithWal(const std::string& dest) const {
  for (const char* suffix : {"", "-wal"}) {
    std::string bytes;
    int rc = platform::readWholeFile(path_ + suffix, std::uint64_t{1} << 32, &bytes);
    if (rc == kOk) rc = platform::writeWholeFile(dest + suffix, bytes.data(), bytes.size());
    if (rc != kOk) return rc;
  }
  return kOk;
}

int SqliteFixture::close() {
  if (!db_) return SQLITE_OK;
  int rc = sqlite3_close(db_);
  db_ = nullptr;
  return rc;
}

std::uint32_t SqliteFixture::rootPage(const std::string& name) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT rootpage FROM sqlite_master WHERE name=?", -1, &st,
                         nullptr) != SQLITE_OK)
    return 0;
  sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
  std::uint32_t root = 0;
  if (sqlite3_step(st) == SQLITE_ROW)
    root = static_cast<std::uint32_t>(sqlite3_column_int64(st, 0));
  sqlite3_finalize(st);
  return root;
}

namespace {

std::string encodeText(const std::string& utf8, const char* encoding) {
  if (std::strcmp(encoding, "UTF-8") == 0) return utf8;
  const bool little = std::strcmp(encoding, "UTF-16le") == 0;
  std::string out;
  for (wchar_t wc : platform::toWide(utf8)) {
    auto cp = static_cast<std::uint32_t>(wc);
    std::uint32_t units[2];
    int n = 1;
    units[0] = cp;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units[0] = 0xD800 + (cp >> 10);
      units[1] = 0xDC00 + (cp & 0x3ff);
      n = 2;
    }
    for (int k = 0; k < n; ++k) {
      const char hi = static_cast<char>(units[k] >> 8), lo = static_cast<char>(units[k] & 0xff);
      out += little ? lo : hi;
      out += little ? hi : lo;
    }
  }
  return out;
}

// SQLite stores an integer in the fewest bytes that hold it; 0 and 1 take none.
std::string encodeInteger(std::int64_t v) {
  if (v == 0 || v == 1) return {};
  int bytes = 8;
  if (v >= -128 && v <= 127)
    bytes = 1;
  else if (v >= -32768 && v <= 32767)
    bytes = 2;
  else if (v >= -8388608 && v <= 8388607)
    bytes = 3;
  else if (v >= -2147483648LL && v <= 2147483647LL)
    bytes = 4;
  else if (v >= -140737488355328LL && v <= 140737488355327LL)
    bytes = 6;
  std::string out;
  for (int i = bytes - 1; i >= 0; --i)
    out += static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xff);
  return out;
}

}  // namespace

std::string recordContent(const SqlRow& row, const char* encoding) {
  std::string out;
  for (const SqlValue& v : row) {
    switch (v.kind) {
      case SqlValue::kNull:
        break;
      case SqlValue::kInteger:
        out += encodeInteger(v.integer);
        break;
      case SqlValue::kReal: {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v.real, 8);
        for (int i = 7; i >= 0; --i) out += static_cast<char>((bits >> (8 * i)) & 0xff);
        break;
      }
      case SqlValue::kText:
        out += encodeText(v.bytes, encoding);
        break;
      case SqlValue::kBlob:
        out += v.bytes;
        break;
    }
  }
  return out;
}

bool contentIntact(const std::string& fileBytes, const SqlRow& row, const char* encoding) {
  const std::string content = recordContent(row, encoding);
  if (content.size() <= 128) return fileBytes.find(content) != std::string::npos;
  return fileBytes.find(content.substr(0, 64)) != std::string::npos &&
         fileBytes.find(content.substr(content.size() - 64)) != std::string::npos;
}

std::string readFileBytes(const std::string& path) {
  std::string bytes;
  platform::readWholeFile(path, std::uint64_t{1} << 32, &bytes);
  return bytes;
}

int patchFile(const std::string& path, std::uint64_t offset, const std::string& bytes) {
  std::string all;
  int rc = platform::readWholeFile(path, std::uint64_t{1} << 32, &all);
  if (rc != kOk) return rc;
  if (offset > all.size() || bytes.size() > all.size() - offset) return kInvalid;
  all.replace(static_cast<std::size_t>(offset), bytes.size(), bytes);
  return platform::writeWholeFile(path, all.data(), all.size());
}

std::string be16Bytes(std::uint16_t v) {
  return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xff)};
}

std::string be32Bytes(std::uint32_t v) {
  return be16Bytes(static_cast<std::uint16_t>(v >> 16)) + be16Bytes(static_cast<std::uint16_t>(v));
}

}  // namespace qv::samples
