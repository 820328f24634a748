// Damaged files: every walk ends, nothing is read outside a buffer (the sanitizer build checks
// that), and the damage shows as a result code while the sound tables are still read.
#include <gtest/gtest.h>

#include <string>

#include "db/dropped_tables.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "platform/result.h"
#include "tests/db/row_collector.h"
#include "tests/fixtures/sqlite_damage.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using fixtures::Damage;
using testing::RowCollector;

struct Outcome {
  int open = 0;
  int small = 0, big = 0, filler = 0, keyed = 0;  // scan results
  std::size_t smallLive = 0, bigLive = 0, fillerLive = 0, keyedLive = 0;
};

std::size_t liveRows(const RowCollector& c) {
  std::size_t n = 0;
  for (const auto& r : c.rows) n += r.kind == RowKind::kLive;
  return n;
}

Outcome readDamaged(Damage damage) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("damaged.db");
  EXPECT_EQ(fixtures::makeDamagedDatabase(path, damage), 0) << fixtures::damageName(damage);
  Outcome o;
  SqlitePageReader reader;
  o.open = reader.Open(path);
  if (o.open != kOk) return o;
  RowCollector small, big, filler, keyed;
  auto scanOf = [](int width) {
    TableScan scan;
    scan.shape.width = width;
    return scan;
  };
  o.small = reader.ScanTable("small", scanOf(3), &small);
  o.big = reader.ScanTable("big", scanOf(2), &big);
  o.filler = reader.ScanTable("filler", scanOf(2), &filler);
  TableScan keyedScan;
  keyedScan.shape = tableShape(readSchemaOf(reader), "keyed");
  o.keyed = reader.ScanTable("keyed", keyedScan, &keyed);
  o.keyedLive = liveRows(keyed);
  o.smallLive = liveRows(small);
  o.bigLive = liveRows(big);
  o.fillerLive = liveRows(filler);
  return o;
}

TEST(DamagedFiles, TheUndamagedBaseReadsClean) {
  const Outcome o = readDamaged(Damage::kNone);
  EXPECT_EQ(o.open, kOk);
  EXPECT_EQ(o.small, kOk);
  EXPECT_EQ(o.big, kOk);
  EXPECT_EQ(o.filler, kOk);
  EXPECT_EQ(o.smallLive, 4u);
  EXPECT_EQ(o.bigLive, 1u);
  EXPECT_EQ(o.fillerLive, 179u);
  EXPECT_EQ(o.keyed, kOk);
  EXPECT_EQ(o.keyedLive, 120u);  // a table WITHOUT ROWID: the records of its index tree
}

TEST(DamagedFiles, HeaderDamageIsRefusedAtOpen) {
  // The value 1 is 65,536-byte pages, which a file of a few 4096-byte pages does not hold.
  EXPECT_EQ(readDamaged(Damage::kPageSizeOne).open, kShortRead);
  EXPECT_EQ(readDamaged(Damage::kPageSizeOdd).open, kInvalid);
}

TEST(DamagedFiles, PageDamageGivesACodeAndTheOtherTablesStillRead) {
  Outcome o = readDamaged(Damage::kCellCountFFFF);
  EXPECT_EQ(o.small, kInvalid);
  EXPECT_EQ(o.bigLive, 1u);
  EXPECT_EQ(o.fillerLive, 179u);

  o = readDamaged(Damage::kCellPastPageEnd);
  EXPECT_EQ(o.small, kInvalid);
  EXPECT_EQ(o.smallLive, 3u);  // the three cells whose pointers are sound
  EXPECT_EQ(o.fillerLive, 179u);

  o = readDamaged(Damage::kRootPastEnd);
  EXPECT_EQ(o.small, kInvalid);
  EXPECT_EQ(o.smallLive, 0u);
  EXPECT_EQ(o.fillerLive, 179u);

  o = readDamaged(Damage::kFreeblockPastPageEnd);
  EXPECT_EQ(o.open, kOk);
  EXPECT_EQ(o.smallLive, 4u);  // free space damage is the carver's to skip

  // Index tree pages: the damaged child or cell is skipped, the rest of the tree is read.
  for (Damage d : {Damage::kIndexChildPastEnd, Damage::kIndexCellPastPageEnd}) {
    SCOPED_TRACE(fixtures::damageName(d));
    o = readDamaged(d);
    EXPECT_EQ(o.keyed, kInvalid);
    EXPECT_GT(o.keyedLive, 0u);
    EXPECT_LT(o.keyedLive, 120u);
    EXPECT_EQ(o.smallLive, 4u);
    EXPECT_EQ(o.fillerLive, 179u);
  }
  EXPECT_EQ(readDamaged(Damage::kIndexCellPastPageEnd).keyedLive, 119u);
}

TEST(DamagedFiles, ChainsThatLoopOrLeaveTheFileEnd) {
  Outcome o = readDamaged(Damage::kLoopingOverflowChain);
  EXPECT_EQ(o.big, kInvalid);  // the long row is dropped: its payload cannot be assembled
  EXPECT_EQ(o.bigLive, 0u);
  EXPECT_EQ(o.smallLive, 4u);

  o = readDamaged(Damage::kOverflowPastEnd);
  EXPECT_EQ(o.big, kInvalid);
  EXPECT_EQ(o.fillerLive, 179u);

  o = readDamaged(Damage::kChildCycle);
  EXPECT_EQ(o.filler, kInvalid);
  EXPECT_GT(o.fillerLive, 0u);  // the children reached before the cycle are read
  EXPECT_EQ(o.smallLive, 4u);

  // A damaged freelist still opens; the live rows read, the freelist phase reports it.
  o = readDamaged(Damage::kFreelistTrunkSelf);
  EXPECT_EQ(o.open, kOk);
  EXPECT_EQ(o.filler, kInvalid);
  EXPECT_EQ(o.fillerLive, 179u);

  o = readDamaged(Damage::kTrunkCountHuge);
  EXPECT_EQ(o.open, kOk);
  EXPECT_EQ(o.small, kInvalid);
  EXPECT_EQ(o.smallLive, 4u);
}

TEST(DamagedFiles, EveryDamageEndsWithACode) {
  for (Damage d : fixtures::allDamages()) {
    if (d == Damage::kNone) continue;
    const Outcome o = readDamaged(d);
    const bool coded =
        o.open != kOk || o.small != kOk || o.big != kOk || o.filler != kOk || o.keyed != kOk;
    // Damage inside free space (a freeblock past the page end or naming itself, noise where
    // the schema's free space was), a reserved serial type the row's decoder refuses, and
    // bytes past the last whole page owe no code.
    if (d != Damage::kFreeblockPastPageEnd && d != Damage::kFreeblockLoop &&
        d != Damage::kSchemaFreeSpaceNoise && d != Damage::kReservedSerialType &&
        d != Damage::kFileSizeNotPages) {
      EXPECT_TRUE(coded) << fixtures::damageName(d);
    }
  }
}

// Every table with the shape its statement gives and the dropped one under its recovered
// name, as `quenvale sqlite` reads them: damage anywhere ends each walk with what it could
// read, and the tables the damage spares read whole.
TEST(DamagedFiles, EveryTableAndTheDroppedOneReadWithTheirOwnShapes) {
  for (Damage d : fixtures::allDamages()) {
    SCOPED_TRACE(fixtures::damageName(d));
    fixtures::TempFolder dir;
    const std::string path = dir.file("damaged.db");
    ASSERT_EQ(fixtures::makeDamagedDatabase(path, d), 0);
    SqlitePageReader reader;
    if (reader.Open(path) != kOk) continue;  // header damage: refused, tested above
    const std::vector<SchemaEntry> schema = readSchemaOf(reader);
    std::vector<SchemaEntry> tables = droppedTables(reader, schema);
    const std::size_t dropped = tables.size();
    tables.insert(tables.end(), schema.begin(), schema.end());
    std::size_t fillerLive = 0, goneRows = 0;
    for (const SchemaEntry& e : tables) {
      if (e.type != "table") continue;
      RowCollector rows;
      TableScan scan;
      scan.shape = tableShape(TableLayout(e.sql), e.name);
      reader.ScanTable(e.name, scan, &rows);
      if (e.name == "filler") fillerLive = liveRows(rows);
      if (e.name == "gone") goneRows = rows.rows.size();
    }
    const bool fillerDamaged =
        d == Damage::kChildCycle || d == Damage::kLeftChildPastEnd || d == Damage::kTruncated;
    if (!fillerDamaged) {
      EXPECT_EQ(fillerLive, 179u);
    }
    // Without its statement the dropped table's freelist pages are no table's: their cells
    // come back as rows of no known table.
    RowCollector unclaimed;
    EXPECT_EQ(reader.ScanUnclaimedFreelistPages(&unclaimed), kOk);
    std::size_t goneCells = 0;
    for (const auto& r : unclaimed.rows) {
      goneCells += r.values.size() == 2 && r.values[0].bytes.rfind("gone row ", 0) == 0;
      EXPECT_FALSE(r.values.size() == 2 && r.values[1].bytes.rfind("filler row", 0) == 0);
    }
    if (d == Damage::kSchemaFreeSpaceNoise) {
      EXPECT_EQ(goneCells, 40u);
    } else if (dropped == 1) {
      EXPECT_EQ(goneCells, 0u);  // taken by the recovered table
    }
    // The dropped table's statement survives unless its bytes were overwritten (rewriting the
    // schema to move a root rewrites page 1).
    if (d == Damage::kSchemaFreeSpaceNoise) {
      EXPECT_EQ(dropped, 0u);
    } else if (d != Damage::kTruncated && d != Damage::kFreelistTrunkSelf &&
               d != Damage::kRootPastEnd && d != Damage::kTrunkCountHuge) {
      EXPECT_EQ(dropped, 1u);
      EXPECT_GE(goneRows, 40u);
    }
  }
}

TEST(DamagedFiles, ReadsWithNoOpenFileFail) {
  SqlitePageReader reader;
  std::vector<std::uint8_t> page(4096 + kBufferPad);
  EXPECT_EQ(reader.ReadPage(0, page.data()), kInvalid);
  RowCollector rows;
  EXPECT_EQ(reader.ScanTable("t", TableScan(), &rows), kInvalid);
  std::vector<SchemaEntry> schema;
  EXPECT_EQ(reader.ReadSchema(&schema), kInvalid);
}

}  // namespace
}  // namespace qv::db
