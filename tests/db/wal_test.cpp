// A database read together with its write-ahead log, against what SQLite itself reads from the
// same two files: rows only in the log, rows deleted or changed in the log, frames a later
// commit replaced, a torn last frame, a frame whose checksum fails, a log that is no log. And
// nothing is ever written beside them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/wal_index.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/sqlite_fixture.h"
#include "tests/db/phone_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::SqlRow;
using samples::SqlValue;

constexpr char kTable[] = "CREATE TABLE t (id INTEGER PRIMARY KEY, body TEXT, n INTEGER)";

struct TRow {
  std::uint32_t deleted = 0;
  std::wstring body;
  std::int64_t n = 0;
  RowKind kind = RowKind::kLive;
  std::uint32_t frame = 0;
};

std::wstring tKey(const TRow& r) {
  return fieldsKey(r.body, r.n);
}

int decodeT(SqlitePageReader& reader, const RowImage& image, TRow* out) {
  RowColumns cols;
  if (cols.load(image, reader.textEncoding()) != kOk) return kInvalid;
  if (cols.text(1, &out->body) != RowColumns::Text::kGood) return kInvalid;
  if (!cols.integer(2, &out->n)) return kInvalid;
  out->kind = image.kind;
  out->frame = image.frame;
  return kOk;
}

// What the page reader makes of the file and its log: the rows without their leftover copies.
struct Reading {
  int open = -1;
  std::uint32_t frames = 0;
  std::vector<ScannedRow<TRow>> rows;
  std::map<std::int64_t, TRow> live;
  std::vector<TRow> deleted;
};

Reading readWithLog(const std::string& path) {
  Reading r;
  SqlitePageReader reader;
  r.open = reader.Open(DatabaseFile(path, path + "-wal"));
  if (r.open != kOk) return r;
  r.frames = reader.walFrames();
  TableScan scan;
  scan.shape.width = 3;
  scanRows(reader, "t", scan, decodeT, tKey, &r.rows);
  for (const auto& row : r.rows) {
    if (row.record.deleted == 0) {
      EXPECT_TRUE(r.live.emplace(row.rowId, row.record).second) << "row " << row.rowId << " twice";
    } else {
      r.deleted.push_back(row.record);
    }
  }
  return r;
}

// What SQLite reads from a copy of the two files (it writes its -shm and checkpoints into the
// copy, never beside the files under test).
std::map<std::int64_t, std::pair<std::string, std::int64_t>> sqliteRows(const std::string& path,
                                                                        const std::string& copy) {
  for (const char* suffix : {"", "-wal"}) {
    const std::string bytes = samples::readFileBytes(path + suffix);
    if (platform::isFile(path + suffix)) {
      EXPECT_EQ(platform::writeWholeFile(copy + suffix, bytes.data(), bytes.size()), 0);
    }
  }
  std::map<std::int64_t, std::pair<std::string, std::int64_t>> out;
  for (const SqlRow& r : phonetest::sqlRows(copy, "SELECT id, body, n FROM t"))
    out[r[0].integer] = {r[1].bytes, r[2].integer};
  return out;
}

bool hasDeleted(const Reading& r, const std::string& body, std::int64_t n) {
  return std::any_of(r.deleted.begin(), r.deleted.end(),
                     [&](const TRow& d) { return d.body == platform::toWide(body) && d.n == n; });
}

struct Scenario {
  const char* name;
  // Writes the database (and its log) at path; returns 0.
  std::function<int(const std::string& path)> build;
  // Rows (body, n) the current view lost that must come back as deleted.
  std::vector<std::pair<std::string, std::int64_t>> lost;
  bool logCounts;        // whether any frame of the log holds
  std::size_t liveRows;  // what SQLite reads (so the damage is known to be the one meant)
};

int insertRows(samples::SqliteFixture& db, int from, int to, const std::string& tag) {
  int rc = db.begin();
  for (int i = from; rc == 0 && i <= to; ++i)
    rc = db.insert(
        "t", {SqlValue::null(), SqlValue::text(tag + " " + std::to_string(i)), SqlValue::of(i)});
  return rc == 0 ? db.commit() : rc;
}

// The table t in a new database at path, in write-ahead-log mode from the start or not.
int startTable(samples::SqliteFixture& db, const std::string& path, bool wal) {
  const int rc = db.create(path, {.wal = wal});
  return rc == 0 ? db.exec(kTable) : rc;
}

// The log's frames: where frame k (1-based) and its page begin.
std::uint64_t frameStart(std::uint32_t frame, std::uint32_t pageSize) {
  return kWalHeaderSize + std::uint64_t{frame - 1} * (kWalFrameHeaderSize + pageSize);
}

const std::vector<Scenario>& scenarios() {
  static const std::vector<Scenario> all = {
      // Everything in the log: the file holds its first page only.
      {"OnlyInTheLog",
       [](const std::string& path) {
         samples::SqliteFixture db;
         int rc = startTable(db, path + ".w", true);
         for (int k = 0; rc == 0 && k < 3; ++k) rc = insertRows(db, 10 * k + 1, 10 * k + 10, "log");
         if (rc == 0) rc = db.copyWithWal(path);
         return rc;
       },
       {},
       true,
       30},
      // Checkpointed rows, then deletions, an update and insertions in the log.
      {"DeletedAndChangedInTheLog",
       [](const std::string& path) {
         samples::SqliteFixture db;
         int rc = startTable(db, path + ".w", false);
         if (rc == 0) rc = insertRows(db, 1, 60, "file");
         if (rc == 0) rc = db.useWal();
         if (rc == 0) rc = db.exec("DELETE FROM t WHERE n BETWEEN 5 AND 9");
         if (rc == 0) rc = db.exec("UPDATE t SET body = 'changed', n = 1012 WHERE n = 12");
         if (rc == 0) rc = insertRows(db, 61, 64, "log");
         if (rc == 0) rc = db.copyWithWal(path);
         return rc;
       },
       {{"file 5", 5}, {"file 6", 6}, {"file 7", 7}, {"file 8", 8}, {"file 9", 9}, {"file 12", 12}},
       true,
       59},
      // Versions of a page that later commits of the same log replaced.
      {"FramesALaterCommitReplaced",
       [](const std::string& path) {
         samples::SqliteFixture db;
         int rc = startTable(db, path + ".w", true);
         if (rc == 0) rc = insertRows(db, 1, 8, "first");
         if (rc == 0) rc = db.exec("UPDATE t SET body = 'second' WHERE n = 2");
         if (rc == 0) rc = db.exec("DELETE FROM t WHERE n = 3");
         if (rc == 0) rc = db.copyWithWal(path);
         return rc;
       },
       {{"first 2", 2}, {"first 3", 3}},
       true,
       7},
      // A torn last frame: the last transaction is lost, as SQLite loses it.
      {"TornLastFrame",
       [](const std::string& path) {
         samples::SqliteFixture db;
         int rc = startTable(db, path + ".w", true);
         if (rc == 0) rc = insertRows(db, 1, 20, "kept");
         if (rc == 0) rc = insertRows(db, 21, 25, "torn");
         if (rc == 0) rc = db.copyWithWal(path);
         std::uint64_t size = 0;
         if (rc == 0) rc = platform::fileSize(path + "-wal", &size);
         std::string bytes = samples::readFileBytes(path + "-wal");
         bytes.resize(static_cast<std::size_t>(size - 100));
         if (rc == 0) rc = platform::writeWholeFile(path + "-wal", bytes.data(), bytes.size());
         return rc;
       },
       {},
       true,
       20},
      // A frame whose page does not match its checksum ends the log there.
      {"BadChecksum",
       [](const std::string& path) {
         samples::SqliteFixture db;
         int rc = startTable(db, path + ".w", true);
         if (rc == 0) rc = insertRows(db, 1, 10, "good");
         std::uint64_t size = 0;
         if (rc == 0) rc = platform::fileSize(db.path() + "-wal", &size);
         const auto framesBefore =
             static_cast<std::uint32_t>((size - kWalHeaderSize) / (kWalFrameHeaderSize + 4096));
         if (rc == 0) rc = insertRows(db, 11, 20, "bad");
         if (rc == 0) rc = db.copyWithWal(path);
         // A byte of the first page the second transaction wrote.
         if (rc == 0)
           rc = samples::patchFile(path + "-wal",
                                   frameStart(framesBefore + 1, 4096) + kWalFrameHeaderSize + 2000,
                                   "\x5A");
         return rc;
       },
       {},
       true,
       10},
      // Bytes that are no log: the file alone is the database.
      {"NoLogAtAll",
       [](const std::string& path) {
         samples::SqliteFixture db;
         int rc = startTable(db, path, false);
         if (rc == 0) rc = insertRows(db, 1, 12, "file");
         if (rc == 0) rc = db.close();
         const std::string garbage(5000, 'w');
         if (rc == 0) rc = platform::writeWholeFile(path + "-wal", garbage.data(), garbage.size());
         return rc;
       },
       {},
       false,
       12},
  };
  return all;
}

class WalScenarioTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(WalScenarioTest, TheViewIsSqlitesAndWhatItLostComesBackDeleted) {
  const Scenario& s = scenarios()[GetParam()];
  fixtures::TempFolder folder;
  const std::string path = folder.file("db.sqlite");
  ASSERT_EQ(s.build(path), 0);
  const std::string fileBefore = samples::readFileBytes(path);
  const std::string logBefore = samples::readFileBytes(path + "-wal");

  const Reading r = readWithLog(path);
  ASSERT_EQ(r.open, kOk);
  EXPECT_EQ(r.frames > 0, s.logCounts);
  const auto expected = sqliteRows(path, folder.file("oracle.sqlite"));
  ASSERT_EQ(expected.size(), s.liveRows);
  ASSERT_EQ(r.live.size(), expected.size());
  for (const auto& e : expected) {
    const auto got = r.live.find(e.first);
    ASSERT_NE(got, r.live.end()) << "row " << e.first;
    EXPECT_EQ(got->second.body, platform::toWide(e.second.first)) << e.first;
    EXPECT_EQ(got->second.n, e.second.second) << e.first;
  }
  for (const auto& lost : s.lost)
    EXPECT_TRUE(hasDeleted(r, lost.first, lost.second)) << lost.first << " not found deleted";
  // No deleted row is a copy of a live one: the unchanged rows of every older page version are
  // the live rows themselves.
  for (const TRow& d : r.deleted) {
    for (const auto& l : r.live) EXPECT_FALSE(d.body == l.second.body && d.n == l.second.n);
  }
  // Nothing was written: no shared-memory file, both files as they were.
  EXPECT_FALSE(platform::pathExists(path + "-shm"));
  EXPECT_EQ(samples::readFileBytes(path), fileBefore);
  EXPECT_EQ(samples::readFileBytes(path + "-wal"), logBefore);
}

INSTANTIATE_TEST_SUITE_P(Logs, WalScenarioTest, ::testing::Range<std::size_t>(0, 6),
                         [](const auto& param) { return scenarios()[param.param].name; });

TEST(WalFile, RowsOnlyInTheLogTellTheirFrameAndTheFileAloneHasNone) {
  fixtures::TempFolder folder;
  const std::string path = folder.file("db.sqlite");
  ASSERT_EQ(scenarios()[0].build(path), 0);
  const Reading r = readWithLog(path);
  ASSERT_EQ(r.open, kOk);
  ASSERT_EQ(r.live.size(), 30u);
  for (const auto& l : r.live) EXPECT_NE(l.second.frame, 0u) << l.first;
  // The file holds only its first page: read alone it has no table t.
  std::uint64_t size = 0;
  ASSERT_EQ(platform::fileSize(path, &size), 0);
  EXPECT_EQ(size, 4096u);
  SqlitePageReader alone;
  ASSERT_EQ(alone.Open(path), kOk);
  EXPECT_EQ(alone.walFrames(), 0u);
  RootPageMap roots;
  EXPECT_EQ(alone.FindRootPages("t", &roots), kOk);
  EXPECT_TRUE(roots.empty());
}

TEST(WalFile, OlderVersionsComeAsSupersededRowsWithTheirFrames) {
  fixtures::TempFolder folder;
  const std::string path = folder.file("db.sqlite");
  ASSERT_EQ(scenarios()[1].build(path), 0);  // deleted and changed in the log
  const Reading r = readWithLog(path);
  ASSERT_EQ(r.open, kOk);
  // The rows the log deleted lie in the file's own version of their page (frame 0).
  for (int n = 5; n <= 9; ++n) {
    const auto found =
        std::find_if(r.deleted.begin(), r.deleted.end(), [n](const TRow& d) { return d.n == n; });
    ASSERT_NE(found, r.deleted.end()) << n;
    EXPECT_EQ(found->kind, RowKind::kSuperseded);
    EXPECT_EQ(found->frame, 0u);
  }
  fixtures::TempFolder second;
  const std::string other = second.file("db.sqlite");
  ASSERT_EQ(scenarios()[2].build(other), 0);  // replaced by a later commit of the log
  const Reading s = readWithLog(other);
  const auto old = std::find_if(s.deleted.begin(), s.deleted.end(),
                                [](const TRow& d) { return d.body == L"first 2"; });
  ASSERT_NE(old, s.deleted.end());
  EXPECT_EQ(old->kind, RowKind::kSuperseded);
  EXPECT_NE(old->frame, 0u);
}

TEST(WalFile, ALogOfAnotherPageSizeOrAMissingLogIsNoLog) {
  fixtures::TempFolder folder;
  const std::string path = folder.file("db.sqlite");
  ASSERT_EQ(scenarios()[1].build(path), 0);
  // A log written for 1024-byte pages cannot be this database's.
  const std::string small = folder.file("small.sqlite");
  {
    samples::SqliteFixture db;
    ASSERT_EQ(db.create(small + ".w", {.pageSize = 1024, .wal = true}), 0);
    ASSERT_EQ(db.exec(kTable), 0);
    ASSERT_EQ(insertRows(db, 1, 5, "other"), 0);
    ASSERT_EQ(db.copyWithWal(small), 0);
  }
  SqlitePageReader reader;
  ASSERT_EQ(reader.Open(DatabaseFile(path, small + "-wal")), kOk);
  EXPECT_EQ(reader.walFrames(), 0u);
  ASSERT_EQ(reader.Open(DatabaseFile(path, folder.file("missing-wal"))), kOk);
  EXPECT_EQ(reader.walFrames(), 0u);
  // A file with no header is no database, whatever log lies beside it (SQLite drops the log).
  const std::string empty = folder.file("empty.sqlite");
  ASSERT_EQ(platform::writeWholeFile(empty, "", 0), 0);
  const std::string log = samples::readFileBytes(path + "-wal");
  ASSERT_EQ(platform::writeWholeFile(empty + "-wal", log.data(), log.size()), 0);
  EXPECT_EQ(reader.Open(DatabaseFile(empty, empty + "-wal")), kInvalid);
}

TEST(WalIndex, TheLastCommitWinsAndUncommittedFramesDoNotCount) {
  // Two commits of one page, then an uncommitted frame: page 1 is frame 2's as of the last
  // commit and frame 1's as of the first; the database grows to 3 pages in the second.
  const std::uint32_t pageSize = 512;
  auto put32 = [](std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xff);
  };
  auto checksum = [](const std::string& s, std::size_t from, std::size_t n, std::uint32_t* s1,
                     std::uint32_t* s2) {
    for (std::size_t i = from; i < from + n; i += 8) {
      auto word = [&](std::size_t at) {
        return (std::uint32_t{static_cast<std::uint8_t>(s[at])} << 24) |
               (std::uint32_t{static_cast<std::uint8_t>(s[at + 1])} << 16) |
               (std::uint32_t{static_cast<std::uint8_t>(s[at + 2])} << 8) |
               std::uint32_t{static_cast<std::uint8_t>(s[at + 3])};
      };
      *s1 += word(i) + *s2;
      *s2 += word(i + 4) + *s1;
    }
  };
  std::string log(kWalHeaderSize, '\0');
  put32(log, 0, 0x377f0683);  // big-endian checksums
  put32(log, 4, 3007000);
  put32(log, 8, pageSize);
  put32(log, 16, 0x11111111);
  put32(log, 20, 0x22222222);
  std::uint32_t s1 = 0, s2 = 0;
  checksum(log, 0, 24, &s1, &s2);
  put32(log, 24, s1);
  put32(log, 28, s2);
  auto frame = [&](std::uint32_t page, std::uint32_t commit, char fill) {
    std::string f(kWalFrameHeaderSize + pageSize, fill);
    put32(f, 0, page);
    put32(f, 4, commit);
    put32(f, 8, 0x11111111);
    put32(f, 12, 0x22222222);
    checksum(f, 0, 8, &s1, &s2);
    checksum(f, kWalFrameHeaderSize, pageSize, &s1, &s2);
    put32(f, 16, s1);
    put32(f, 20, s2);
    log += f;
  };
  frame(1, 1, 'a');  // commit: 1 page
  frame(1, 0, 'b');
  frame(3, 3, 'c');  // commit: 3 pages
  frame(1, 0, 'd');  // never committed
  MemoryPageSource source(log);
  WalIndex index;
  ASSERT_EQ(index.load(source, pageSize), kOk);
  ASSERT_EQ(index.commits(), (std::vector<std::uint32_t>{1, 3}));
  EXPECT_EQ(index.lastCommit(), 3u);
  EXPECT_EQ(index.pagesAt(1), 1u);
  EXPECT_EQ(index.pagesAt(3), 3u);
  EXPECT_EQ(index.pagesAt(2), 0u);  // not a commit frame
  EXPECT_EQ(index.frameOf(1, 3), 2u);
  EXPECT_EQ(index.frameOf(1, 1), 1u);
  EXPECT_EQ(index.frameOf(3, 1), 0u);  // not yet in the log: the file's
  EXPECT_EQ(index.frameOf(2, 3), 0u);
  EXPECT_EQ(index.pageOffset(2),
            kWalHeaderSize + kWalFrameHeaderSize + pageSize + kWalFrameHeaderSize);
  // Another page size expected, a broken header checksum, salts of another log: nothing counts.
  EXPECT_EQ(index.load(source, 1024), kOk);
  EXPECT_TRUE(index.empty());
  std::string broken = log;
  broken[25] ^= 1;
  MemoryPageSource brokenSource(broken);
  EXPECT_EQ(index.load(brokenSource, pageSize), kOk);
  EXPECT_TRUE(index.empty());
  std::string salted = log;
  salted[kWalHeaderSize + kWalFrameHeaderSize + pageSize + 8] ^= 1;  // frame 2's salt
  MemoryPageSource saltedSource(salted);
  ASSERT_EQ(index.load(saltedSource, pageSize), kOk);
  EXPECT_EQ(index.commits(), (std::vector<std::uint32_t>{1}));
}

}  // namespace
}  // namespace qv::db
