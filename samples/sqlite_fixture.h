// App databases for the page-reader tests, written by the real SQLite library.
//
//   samples::SqliteFixture db;
//   ASSERT_EQ(db.create(path, {.pageSize = 1024}), 0);
//   db.exec("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)");
//   db.insert("t", {SqlValue::null(), SqlValue::text("a")});
//   db.deleteRows("t", {1});          // the row moves from live() to deleted()
//   ASSERT_EQ(db.close(), 0);
//
// The fixture records every row it wrote and every row it deleted, by table and row id, so a
// test can check what the reader found against what the database held (recall, not just
// "something came back").
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct sqlite3;

namespace qv::samples {

struct SqlValue {
  enum Kind { kNull, kInteger, kReal, kText, kBlob };
  Kind kind = kNull;
  std::int64_t integer = 0;
  double real = 0;
  std::string bytes;  // text as UTF-8, or the blob

  static SqlValue null() { return {}; }
  static SqlValue of(std::int64_t v) { return {kInteger, v, 0, {}}; }
  static SqlValue ofReal(double v) { return {kReal, 0, v, {}}; }
  static SqlValue text(std::string s) { return {kText, 0, 0, std::move(s)}; }
  static SqlValue blob(std::string s) { return {kBlob, 0, 0, std::move(s)}; }
  bool operator==(const SqlValue& o) const;
};
using SqlRow = std::vector<SqlValue>;

struct SqliteOptions {
  int pageSize = 4096;
  const char* encoding = "UTF-8";  // or "UTF-16le", "UTF-16be"
  bool secureDelete = false;
  int reservedBytes = 0;
  // Write-ahead-log mode from the start, automatic checkpoints off: the file keeps only its
  // first page and every change stays in path + "-wal" (copy it with copyWithWal before close,
  // which checkpoints).
  bool wal = false;
};

class SqliteFixture {
 public:
  SqliteFixture() = default;
  ~SqliteFixture();
  SqliteFixture(const SqliteFixture&) = delete;
  SqliteFixture& operator=(const SqliteFixture&) = delete;

  int create(const std::string& path, const SqliteOptions& options);
  int exec(const std::string& sql);
  // Inserts one row (values in column order, the row-id alias as NULL) and records it.
  int insert(const std::string& table, const SqlRow& row, std::int64_t* rowId = nullptr);
  // Deletes rows by row id in one transaction and records them as deleted.
  int deleteRows(const std::string& table, const std::vector<std::int64_t>& rowIds);
  int begin() { return exec("BEGIN"); }
  int commit() { return exec("COMMIT"); }
  // Switches an open database to write-ahead-log mode with automatic checkpoints off: what is
  // written from now on stays in path + "-wal" until the database is closed.
  int useWal();
  // Copies the database file and its log as they are now (the connection still open) to dest
  // and dest + "-wal": what a backup of a phone holds.
  int copyWithWal(const std::string& dest) const;
  int close();

  // The root page number of a table or index, from the schema.
  std::uint32_t rootPage(const std::string& name);

  const std::map<std::int64_t, SqlRow>& live(const std::string& table) { return live_[table]; }
  const std::map<std::int64_t, SqlRow>& deleted(const std::string& table) {
    return deleted_[table];
  }
  const std::string& path() const { return path_; }
  sqlite3* handle() { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
  std::map<std::string, std::map<std::int64_t, SqlRow>> live_;
  std::map<std::string, std::map<std::int64_t, SqlRow>> deleted_;
};

// The bytes SQLite stores for a row's contents (after the header), in the database's text
// encoding: how a test looks for a deleted row's bytes in the file.
std::string recordContent(const SqlRow& row, const char* encoding);

// Whether a deleted row's content still lies in the file: its first and last 64 content bytes
// are found (whole when shorter). Rows that spilled to overflow pages are judged by both ends.
bool contentIntact(const std::string& fileBytes, const SqlRow& row, const char* encoding);

// Reads a whole file (tests only; no size cap beyond what the tests write).
std::string readFileBytes(const std::string& path);
// Overwrites bytes of a file at an offset.
int patchFile(const std::string& path, std::uint64_t offset, const std::string& bytes);
std::string be16Bytes(std::uint16_t v);
std::string be32Bytes(std::uint32_t v);

}  // namespace qv::samples
