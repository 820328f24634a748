// Input and scoring for bench/carve.
//
//   bench_carve generate DB TRUTH [ROWS]   writes a message database shaped like the phone's
//                                          (38-column message table, integer primary key, 0/1
//                                          flags, texts of 20-400 bytes), deletes a quarter of
//                                          its rows (single rows and runs), and writes TRUTH:
//                                          which rows were deleted and whether their bytes are
//                                          still intact in the file
//   bench_carve score DB TRUTH JSONL       reads `quenvale sqlite DB message --json` output
//                                          and prints recall and the live rows reported as
//                                          deleted
//
// Rows are made again from their number, so TRUTH holds only row numbers and flags.
#include <sqlite3.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/gen/json_rows.h"
#include "samples/sqlite_corpus.h"
#include "samples/sqlite_scenarios.h"

namespace {

constexpr unsigned kSeed = 20240531;

// A guid that says which row it belongs to: "C0FFEE" + 2 hex + "-" ... + row number.
std::string guidOf(int n) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "C0FFEE%02X-%04X-4%03X-9%03X-%012X", n & 0xff, (n >> 8) & 0xffff,
                n % 4096, (n * 7) % 4096, n);
  return buf;
}

std::string textOf(int n) {
  static const char* const kWords[] = {"see",   "you",    "at",   "the",     "station", "tonight",
                                       "ok",    "thanks", "call", "me",      "later",   "Grüße",
                                       "lunch", "where",  "are",  "running", "late",    "😀"};
  std::mt19937 rng(static_cast<unsigned>(n) * 2654435761u + kSeed);
  const double u = std::uniform_real_distribution<double>(0, 1)(rng);
  const std::size_t length = 20 + static_cast<std::size_t>(380 * u * u);
  std::string s = "msg " + std::to_string(n) + ":";
  while (s.size() < length) {
    s += ' ';
    s += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
  }
  std::size_t cut = length;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  s.resize(cut);
  return s;
}

using qv::bench::JsonRow;
using qv::bench::LineParser;
using qv::samples::SqlRow;
using qv::samples::SqlValue;

SqlRow rowOf(int n) {
  const std::int64_t date = 420000000 + static_cast<std::int64_t>(n) * 31;
  SqlRow r(38, SqlValue::null());
  r[1] = SqlValue::text(guidOf(n));
  r[2] = SqlValue::text(textOf(n));
  r[3] = SqlValue::of(0);
  r[5] = SqlValue::of(1 + n % 300);
  r[9] = SqlValue::of(10);
  r[10] = SqlValue::of(0);
  r[11] = SqlValue::text(n % 3 ? "iMessage" : "SMS");
  r[14] = SqlValue::of(0);
  r[15] = SqlValue::of(date);
  r[16] = SqlValue::of(n % 4 ? date + 45 : 0);
  r[17] = SqlValue::of(date + 1);
  for (int c = 18; c <= 34; ++c) r[c] = SqlValue::of((n >> (c - 18)) & 1);
  r[36] = SqlValue::of(n & 1);
  r[37] = SqlValue::of(0);
  return r;
}

int check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE) {
    std::fprintf(stderr, "bench_carve: %s: %s\n", what, db ? sqlite3_errmsg(db) : "?");
    std::exit(1);
  }
  return rc;
}

// Serial types of columns 1.. and the contents: the bytes a carver needs, the four bytes a
// freed cell loses being before them.
std::string recordTail(const SqlRow& row) {
  return qv::samples::recordTail(row, "UTF-8");
}

int generate(const std::string& path, const std::string& truthPath, int rows) {
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  check(sqlite3_open(path.c_str(), &db), db, "open");
  check(sqlite3_exec(db,
                     "PRAGMA page_size=4096; PRAGMA secure_delete=OFF; PRAGMA journal_mode=OFF;"
                     "PRAGMA synchronous=OFF;",
                     nullptr, nullptr, nullptr),
        db, "pragmas");
  // The table alone (its guid index included): pages of other indexes are never read by the
  // scan and would only make the file larger.
  const std::string schema(qv::samples::kMessageTableSql);
  check(sqlite3_exec(db, schema.substr(0, schema.find(';') + 1).c_str(), nullptr, nullptr, nullptr),
        db, "schema");
  check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
  sqlite3_stmt* ins = nullptr;
  std::string sql = "INSERT INTO message VALUES (?";
  for (int c = 1; c < 38; ++c) sql += ",?";
  sql += ")";
  check(sqlite3_prepare_v2(db, sql.c_str(), -1, &ins, nullptr), db, "prepare");
  for (int n = 1; n <= rows; ++n) {
    const SqlRow r = rowOf(n);
    for (int c = 0; c < 38; ++c) {
      const SqlValue& v = r[static_cast<std::size_t>(c)];
      if (v.kind == SqlValue::kInteger)
        sqlite3_bind_int64(ins, c + 1, v.integer);
      else if (v.kind == SqlValue::kText)
        sqlite3_bind_text(ins, c + 1, v.bytes.data(), static_cast<int>(v.bytes.size()),
                          SQLITE_TRANSIENT);
      else
        sqlite3_bind_null(ins, c + 1);
    }
    check(sqlite3_step(ins), db, "insert");
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");

  // A quarter of the rows: 60% of them single rows, 40% in runs of 20..2000.
  std::vector<char> gone(static_cast<std::size_t>(rows) + 1, 0);
  std::mt19937 rng(kSeed);
  const int target = rows / 4;
  int count = 0;
  while (count < target * 4 / 10) {
    const int start = 1 + static_cast<int>(rng() % static_cast<unsigned>(rows));
    const int len = 20 + static_cast<int>(rng() % 1981);
    for (int n = start; n < start + len && n <= rows && count < target * 4 / 10; ++n) {
      if (!gone[static_cast<std::size_t>(n)]) gone[static_cast<std::size_t>(n)] = 2, ++count;
    }
  }
  while (count < target) {
    const int n = 1 + static_cast<int>(rng() % static_cast<unsigned>(rows));
    if (!gone[static_cast<std::size_t>(n)]) gone[static_cast<std::size_t>(n)] = 1, ++count;
  }
  check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
  sqlite3_stmt* del = nullptr;
  check(sqlite3_prepare_v2(db, "DELETE FROM message WHERE ROWID=?", -1, &del, nullptr), db,
        "prepare");
  for (int n = 1; n <= rows; ++n) {
    if (!gone[static_cast<std::size_t>(n)]) continue;
    sqlite3_bind_int64(del, 1, n);
    check(sqlite3_step(del), db, "delete");
    sqlite3_reset(del);
  }
  sqlite3_finalize(del);
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
  check(sqlite3_close(db), nullptr, "close");

  // Which deleted rows still lie whole in the file: find each guid, then compare the serial
  // types before it and the contents from it on.
  std::ifstream in(path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<char> intact(gone.size(), 0);
  for (std::size_t at = file.find("C0FFEE"); at != std::string::npos;
       at = file.find("C0FFEE", at + 6)) {
    if (at + 36 > file.size()) break;
    const int n = static_cast<int>(std::strtol(file.substr(at + 24, 12).c_str(), nullptr, 16));
    if (n < 1 || n > rows || !gone[static_cast<std::size_t>(n)] ||
        file.compare(at, 36, guidOf(n)) != 0)
      continue;
    const SqlRow r = rowOf(n);
    const std::string tail = recordTail(r);
    const std::string content = qv::samples::recordContent(r, "UTF-8");
    const std::size_t typesLen = tail.size() - content.size();
    if (at < typesLen) continue;
    if (file.compare(at - typesLen, tail.size(), tail) == 0)
      intact[static_cast<std::size_t>(n)] = 1;
  }
  std::ofstream truth(truthPath);
  int intactCount = 0;
  for (int n = 1; n <= rows; ++n) {
    const auto i = static_cast<std::size_t>(n);
    truth << n << ' ' << int(gone[i]) << ' ' << int(intact[i]) << '\n';
    intactCount += intact[i];
  }
  std::printf(
      "rows %d, deleted %d (single %d, in runs %d), deleted with intact bytes %d, file %.1f MB\n",
      rows, count, count - target * 4 / 10, target * 4 / 10, intactCount, file.size() / 1048576.0);
  return 0;
}

// ---- scoring ------------------------------------------------------------------------------

int score(const std::string& truthPath, const std::string& jsonPath) {
  std::ifstream truth(truthPath);
  std::vector<char> gone(1, 0), intact(1, 0);
  int n = 0, g = 0, it = 0;
  while (truth >> n >> g >> it) {
    gone.push_back(static_cast<char>(g));
    intact.push_back(static_cast<char>(it));
  }
  const int rows = static_cast<int>(gone.size()) - 1;
  std::vector<char> recovered(gone.size(), 0);
  long liveAsDeleted = 0, staleRows = 0, wrongValues = 0, otherRows = 0, imagesDeleted = 0,
       liveImages = 0;
  std::ifstream json(jsonPath);
  std::string line;
  JsonRow row;
  while (std::getline(json, line)) {
    row = JsonRow();
    LineParser p(line);
    if (!p.parse(&row)) {
      std::fprintf(stderr, "bench_carve: unreadable line: %.80s\n", line.c_str());
      return 1;
    }
    if (row.header) continue;
    if (row.deleted == 0) {
      ++liveImages;
      continue;
    }
    ++imagesDeleted;
    if (row.stale) {
      ++staleRows;
      continue;
    }
    if (row.values.size() < 2 || row.values[1].kind != SqlValue::kText ||
        row.values[1].bytes.size() != 36 || row.values[1].bytes.compare(0, 6, "C0FFEE") != 0) {
      ++otherRows;
      continue;
    }
    const int id =
        static_cast<int>(std::strtol(row.values[1].bytes.substr(24).c_str(), nullptr, 16));
    if (id < 1 || id > rows) {
      ++otherRows;
      continue;
    }
    if (!gone[static_cast<std::size_t>(id)]) {
      ++liveAsDeleted;
      continue;
    }
    SqlRow expected = rowOf(id);
    bool same = row.values.size() == expected.size();
    for (std::size_t c = 1; same && c < expected.size(); ++c) same = row.values[c] == expected[c];
    if (same)
      recovered[static_cast<std::size_t>(id)] = 1;
    else
      ++wrongValues;
  }
  long deleted = 0, intactCount = 0, recoveredIntact = 0, recoveredAll = 0;
  long perPattern[3][2] = {};
  for (int i = 1; i <= rows; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (!gone[k]) continue;
    ++deleted;
    intactCount += intact[k];
    recoveredAll += recovered[k];
    if (intact[k]) {
      recoveredIntact += recovered[k];
      perPattern[static_cast<int>(gone[k])][0] += 1;
      perPattern[static_cast<int>(gone[k])][1] += recovered[k];
    }
  }
  const double recall = intactCount ? 100.0 * recoveredIntact / intactCount : 0;
  std::printf(
      "live row images: %ld, deleted row images: %ld (stale %ld, other %ld, wrong values %ld)\n",
      liveImages, imagesDeleted, staleRows, otherRows, wrongValues);
  std::printf(
      "deleted rows: %ld, intact: %ld, recovered with their values: %ld of the intact (%.2f%%), "
      "%ld in all\n",
      deleted, intactCount, recoveredIntact, recall, recoveredAll);
  std::printf("  single rows: %ld of %ld intact; rows in runs: %ld of %ld intact\n",
              perPattern[1][1], perPattern[1][0], perPattern[2][1], perPattern[2][0]);
  std::printf("live rows reported as deleted without the stale flag: %ld\n", liveAsDeleted);
  return recall >= 95.0 && liveAsDeleted == 0 ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "generate" && (argc == 4 || argc == 5))
    return generate(argv[2], argv[3], argc == 5 ? std::atoi(argv[4]) : 1000000);
  if (mode == "score" && argc == 5) return score(argv[3], argv[4]);
  std::fprintf(stderr, "usage: bench_carve generate DB TRUTH [ROWS] | score DB TRUTH JSONL\n");
  return 2;
}
