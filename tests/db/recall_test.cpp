// Recall of deleted rows per deletion pattern, measured against what the fixture deleted.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "db/sqlite_page_reader.h"
#include "platform/result.h"
#include "samples/sqlite_scenarios.h"
#include "tests/db/row_collector.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::DeletionPattern;
using samples::SqlRow;
using testing::RowCollector;

struct RecallCase {
  DeletionPattern pattern;
  int pageSize;
  const char* encoding;
  int rows;
};

struct Recall {
  std::size_t deleted = 0;
  std::size_t intact = 0;
  std::size_t recovered = 0;
  std::size_t liveAsDeleted = 0;  // freelist or carved rows that are no deleted row at all
  std::size_t nonLiveImages = 0;
  std::size_t noise = 0;  // freelist or carved rows that match no row the fixture wrote
};

Recall measure(const std::string& path, samples::SqliteFixture& db, const char* encoding) {
  RowCollector rows;
  EXPECT_EQ(testing::scanFile(path, "message", &rows), kOk);
  const std::string file = samples::readFileBytes(path);
  const auto& live = db.live("message");
  const auto& deleted = db.deleted("message");
  Recall r;
  r.deleted = deleted.size();
  std::set<std::int64_t> found;
  for (const auto& row : rows.rows) {
    if (row.kind == RowKind::kLive) continue;
    ++r.nonLiveImages;
    bool matched = false;
    for (const auto& [id, values] : deleted) {
      if (testing::sameValuesFromColumn1(row.values, values)) {
        found.insert(id);
        matched = true;
        break;
      }
    }
    if (matched) continue;
    // A stale copy of a live row is allowed (the listing flags it). A row that carries a live
    // row's guid with other values would be a live row shown as deleted: never allowed. Rows
    // that match nothing are noise from damaged leftovers, kept few.
    bool stale = false, liveGuid = false;
    for (const auto& entry : live) {
      stale = stale || testing::sameValuesFromColumn1(row.values, entry.second);
      liveGuid = liveGuid || (row.values.size() > 1 && row.values[1] == entry.second[1]);
    }
    if (stale) continue;
    if (!liveGuid) {
      ++r.noise;
      continue;
    }
    ++r.liveAsDeleted;
    ADD_FAILURE() << "a live row read as deleted: page " << row.pageIndex << " offset "
                  << row.offset << " guid " << row.values[1].bytes;
  }
  for (const auto& [id, values] : deleted) {
    if (!samples::contentIntact(file, values, encoding)) continue;
    ++r.intact;
    r.recovered += found.count(id);
  }
  return r;
}

class DeletionPatterns : public ::testing::TestWithParam<RecallCase> {};

TEST_P(DeletionPatterns, RecoversTheDeletedRowsWhoseBytesRemain) {
  const RecallCase c = GetParam();
  fixtures::TempFolder dir;
  const std::string path = dir.file("sms.db");
  samples::SqliteFixture db;
  samples::MessageScenario s;
  s.pageSize = c.pageSize;
  s.encoding = c.encoding;
  s.rows = c.rows;
  s.pattern = c.pattern;
  ASSERT_EQ(samples::buildMessageDatabase(path, s, &db), 0);
  const Recall r = measure(path, db, c.encoding);
  ASSERT_GT(r.deleted, 0u);
  ASSERT_GT(r.intact, 0u);
  const double recall = 100.0 * static_cast<double>(r.recovered) / static_cast<double>(r.intact);
  std::printf("[recall] %-12s page %5d %-8s deleted %4zu intact %4zu recovered %4zu (%.1f%%)\n",
              samples::patternName(c.pattern), c.pageSize, c.encoding, r.deleted, r.intact,
              r.recovered, recall);
  EXPECT_GE(recall, 95.0);
  EXPECT_EQ(r.liveAsDeleted, 0u);
  EXPECT_LE(r.noise * 100, r.deleted) << r.noise << " rows match nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, DeletionPatterns,
    ::testing::Values(RecallCase{DeletionPattern::kScattered, 4096, "UTF-8", 600},
                      RecallCase{DeletionPattern::kScattered, 2048, "UTF-16le", 300},
                      RecallCase{DeletionPattern::kContiguous, 4096, "UTF-8", 800},
                      RecallCase{DeletionPattern::kContiguous, 2048, "UTF-8", 400},
                      RecallCase{DeletionPattern::kEndOfPage, 4096, "UTF-8", 200},
                      RecallCase{DeletionPattern::kEndOfPage, 8192, "UTF-16be", 200},
                      RecallCase{DeletionPattern::kOverflow, 1024, "UTF-8", 200},
                      RecallCase{DeletionPattern::kOverflow, 4096, "UTF-8", 120},
                      RecallCase{DeletionPattern::kFreelist, 512, "UTF-8", 3000},
                      // Pages of 65,536 bytes: the size field holds 1.
                      RecallCase{DeletionPattern::kScattered, 65536, "UTF-8", 2000},
                      RecallCase{DeletionPattern::kEndOfPage, 65536, "UTF-16le", 600},
                      RecallCase{DeletionPattern::kOverflow, 65536, "UTF-8", 120}),
    [](const ::testing::TestParamInfo<RecallCase>& p) {
      std::string name = std::string(samples::patternName(p.param.pattern)) + "_" +
                         std::to_string(p.param.pageSize) + "_" + p.param.encoding;
      for (char& ch : name) {
        if (ch == '-') ch = '_';
      }
      return name;
    });

TEST(DeletionPatterns, SecureDeleteLeavesNothingToCarve) {
  for (DeletionPattern pattern : {DeletionPattern::kScattered, DeletionPattern::kContiguous,
                                  DeletionPattern::kEndOfPage, DeletionPattern::kOverflow}) {
    fixtures::TempFolder dir;
    const std::string path = dir.file("sms.db");
    samples::SqliteFixture db;
    samples::MessageScenario s;
    s.pattern = pattern;
    s.secureDelete = true;
    s.pageSize = 1024;
    ASSERT_EQ(samples::buildMessageDatabase(path, s, &db), 0);
    const Recall r = measure(path, db, "UTF-8");
    EXPECT_EQ(r.recovered, 0u) << samples::patternName(pattern);
    EXPECT_EQ(r.liveAsDeleted, 0u) << samples::patternName(pattern);
  }
}

TEST(DeletionPatterns, MultiTrunkFreelistIsReadWhole) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("sms.db");
  samples::SqliteFixture db;
  samples::MessageScenario s;
  s.pattern = DeletionPattern::kFreelist;
  s.pageSize = 512;
  s.rows = 3000;
  ASSERT_EQ(samples::buildMessageDatabase(path, s, &db), 0);
  const std::string bytes = samples::readFileBytes(path);
  SqlitePageReader reader;
  ASSERT_EQ(reader.Open(path), kOk);
  // A 512-byte trunk lists at most 120 leaves: more than that many pages need several trunks.
  const std::uint32_t freePages = (std::uint32_t{static_cast<unsigned char>(bytes[36])} << 24) |
                                  (std::uint32_t{static_cast<unsigned char>(bytes[37])} << 16) |
                                  (std::uint32_t{static_cast<unsigned char>(bytes[38])} << 8) |
                                  static_cast<unsigned char>(bytes[39]);
  ASSERT_GT(freePages, 240u);
  EXPECT_GE(reader.freelistLeafPages().size(), freePages - freePages / 100 - 3);
}

}  // namespace
}  // namespace qv::db
