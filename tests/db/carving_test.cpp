// The carving passes on single leaf pages made by SQLite and then patched.
#include "db/carving.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/record.h"
#include "db/sqlite_format.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/varint.h"
#include "platform/result.h"
#include "samples/sqlite_fixture.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::SqlValue;

constexpr int kPage = 1024;

// One table on one leaf page: rows inserted in order (row ids from 1), `gone` deleted. Returns
// the page image (with its pad) and its 0-based index.
std::vector<std::uint8_t> leafPageOf(const std::string& sql, const std::string& table,
                                     const std::vector<samples::SqlRow>& rows,
                                     const std::vector<std::int64_t>& gone, std::uint32_t* index) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("leaf.db");
  samples::SqliteFixture db;
  EXPECT_EQ(db.create(path, {.pageSize = kPage}), 0);
  EXPECT_EQ(db.exec(sql), 0);
  for (const samples::SqlRow& row : rows) EXPECT_EQ(db.insert(table, row), 0);
  EXPECT_EQ(db.deleteRows(table, gone), 0);
  *index = db.rootPage(table) - 1;
  EXPECT_EQ(db.close(), 0);
  const std::string bytes = samples::readFileBytes(path);
  std::vector<std::uint8_t> page(kPage + kBufferPad, 0);
  std::copy(bytes.begin() + *index * kPage, bytes.begin() + (*index + 1) * kPage, page.begin());
  return page;
}

// A table of width 4 on one leaf page; `ids` rows inserted, `gone` deleted.
std::vector<std::uint8_t> leafPage(const std::vector<std::int64_t>& ids,
                                   const std::vector<std::int64_t>& gone, std::uint32_t* index) {
  std::vector<samples::SqlRow> rows;
  for (std::int64_t id : ids)
    rows.push_back({SqlValue::of(id), SqlValue::text("name of " + std::to_string(id)),
                    SqlValue::of(id * 3), SqlValue::of(id % 2)});
  return leafPageOf("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, n INT, flag INT)", "t",
                    rows, gone, index);
}

CarveContext contextFor(std::uint32_t index, int width) {
  CarveContext ctx;
  ctx.geometry.pageSize = kPage;
  ctx.geometry.usableSize = kPage;
  ctx.pageIndex = index;
  ctx.shape.width = width;
  ctx.pageCount = 4;
  return ctx;
}

// The name column of each candidate, read in the carved layout.
std::vector<std::string> carvedNames(const std::vector<std::uint8_t>& page,
                                     const std::vector<CarvedCandidate>& list) {
  std::vector<std::string> names;
  for (const CarvedCandidate& c : list) {
    Record r;
    if (walkCarved(page.data() + c.offset, kPage - c.offset, c.firstColumn, c.typeCount, &r) != kOk)
      continue;
    for (const RecordColumn& col : r.columns) {
      if (col.column == 1)
        names.emplace_back(reinterpret_cast<const char*>(page.data() + c.offset + col.offset),
                           col.width);
    }
  }
  return names;
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(CarvePage, FreedCellIsFoundWhetherItsHeaderSizeSurvivedOrNot) {
  // Row 5: payload and row-id varints take 2 bytes, so the overwritten four bytes also took
  // the header size and the first serial type: the types begin 4 bytes into the freeblock, at
  // column 1. Row 100000: its row id takes 3 bytes, so the header size survived at 4 and the
  // types begin at 4 + 1, at column 0.
  std::uint32_t index = 0;
  auto page = leafPage({1, 5, 9, 99999, 100000, 100001}, {5, 100000}, &index);
  std::vector<CarvedCandidate> list;
  carvePage(page.data(), contextFor(index, 4), &list);
  const auto names = carvedNames(page, list);
  EXPECT_TRUE(contains(names, "name of 5"));
  EXPECT_TRUE(contains(names, "name of 100000"));
  bool sawColumn1 = false, sawColumn0 = false;
  const std::uint16_t firstFreeblock = be16(page.data() + 1);
  for (const CarvedCandidate& c : list) {
    sawColumn1 = sawColumn1 || (c.firstColumn == 1);
    sawColumn0 = sawColumn0 || (c.firstColumn == 0);
    EXPECT_GE(c.offset, firstFreeblock);  // nothing from under the live cells
  }
  EXPECT_TRUE(sawColumn1);
  EXPECT_TRUE(sawColumn0);
  EXPECT_EQ(list.size(), 2u);  // one candidate per deleted row, whatever the passes proposed
}

TEST(CarvePage, FreeblockRunningPastThePageStillLetsTheChainGoOn) {
  std::uint32_t index = 0;
  auto page = leafPage({1, 2, 3, 4, 5, 6, 7}, {2, 5}, &index);
  // The chain is in ascending offsets: row 5's block (lower, inserted later) comes first.
  const std::uint16_t first = be16(page.data() + 1);
  ASSERT_NE(first, 0);
  ASSERT_NE(be16(page.data() + first), 0) << "two freeblocks expected";
  page[first + 2] = 0xff;  // its size now runs far past the page end
  page[first + 3] = 0xf0;
  std::vector<CarvedCandidate> list;
  carvePage(page.data(), contextFor(index, 4), &list);
  EXPECT_TRUE(contains(carvedNames(page, list), "name of 2"));
  for (const CarvedCandidate& c : list) EXPECT_LE(c.localEnd, kPage);
}

TEST(CarvePage, StalePointersNearOneAnotherGiveOneCandidate) {
  std::uint32_t index = 0;
  auto page = leafPage({1, 2, 3, 4}, {3}, &index);
  const std::uint16_t block = be16(page.data() + 1);
  ASSERT_NE(block, 0);
  const unsigned count = be16(page.data() + 3);
  // Two entries behind the live ones, 2 bytes apart, both at the freed cell.
  const std::size_t at = 8 + 2 * count;
  page[at] = static_cast<std::uint8_t>(block >> 8);
  page[at + 1] = static_cast<std::uint8_t>(block);
  page[at + 2] = static_cast<std::uint8_t>((block + 2) >> 8);
  page[at + 3] = static_cast<std::uint8_t>(block + 2);
  std::vector<CarvedCandidate> list;
  carvePage(page.data(), contextFor(index, 4), &list);
  const auto names = carvedNames(page, list);
  EXPECT_EQ(std::count(names.begin(), names.end(), "name of 3"), 1);
}

TEST(CarvePage, ZeroedSpaceAndUnknownWidthsYieldNothing) {
  std::uint32_t index = 0;
  auto page = leafPage({1, 2, 3, 4, 5}, {2, 4}, &index);
  std::vector<CarvedCandidate> list;
  carvePage(page.data(), contextFor(index, 0), &list);
  EXPECT_TRUE(list.empty());  // no width: nothing to rebuild a header from

  // Free space wiped as secure_delete leaves it.
  const std::uint16_t first = be16(page.data() + 1);
  std::uint16_t off = first;
  while (off != 0) {
    const std::uint16_t next = be16(page.data() + off);
    const std::uint16_t size = be16(page.data() + off + 2);
    std::fill(page.begin() + off + 4, page.begin() + off + size, 0);
    off = next;
  }
  const unsigned count = be16(page.data() + 3);
  std::fill(page.begin() + 8 + 2 * count, page.begin() + be16(page.data() + 5), 0);
  carvePage(page.data(), contextFor(index, 4), &list);
  EXPECT_TRUE(list.empty());

  // Not a table leaf: nothing.
  std::vector<std::uint8_t> interior(kPage + kBufferPad, 0);
  interior[0] = kInteriorTable;
  carvePage(interior.data(), contextFor(1, 4), &list);
  EXPECT_TRUE(list.empty());
}

TEST(CarvePage, MessageRowsNeedTheirGuid) {
  std::uint32_t index = 0;
  auto page = leafPage({1, 2, 3, 4}, {2}, &index);
  CarveContext ctx = contextFor(index, 4);
  ctx.shape.accept = messageGuidLeads;  // "name of 2" is no 36-byte guid
  std::vector<CarvedCandidate> list;
  carvePage(page.data(), ctx, &list);
  EXPECT_FALSE(contains(carvedNames(page, list), "name of 2"));
}

TEST(CarveTrunkPage, OldContentBehindTheLeafListIsCarved) {
  std::uint32_t index = 0;
  auto page = leafPage({1, 2, 3, 4, 5, 6}, {3}, &index);
  // Made into a trunk as SQLite does when it frees a page: the first 8 bytes and one leaf
  // entry are written, the rest of the page is what it was.
  const std::uint8_t trunk[12] = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 9};
  std::copy(trunk, trunk + 12, page.begin());
  std::vector<CarvedCandidate> list;
  carveTrunkPage(page.data(), contextFor(index, 4), &list);
  const auto names = carvedNames(page, list);
  EXPECT_TRUE(contains(names, "name of 1"));
  EXPECT_TRUE(contains(names, "name of 6"));
  // A count that overruns the page gives nothing rather than a read past it.
  page[4] = 0x7f;
  list.clear();
  carveTrunkPage(page.data(), contextFor(index, 4), &list);
  EXPECT_TRUE(list.empty());
}

// A table whose column 0 holds a value: rows 1..5 of (key, name, n) on one leaf, row 3
// deleted. Its cell's four lost bytes took the payload length, the row id, the header size
// and column 0's serial type; the type is rebuilt from the freeblock the record fills.
struct LostKeyCase {
  const char* type;
  SqlValue key;
  SqlValue expected;  // what the carved row reads in column 0
};

TEST(CarvePage, ColumnZeroOfATableWithoutRowIdAliasIsRebuilt) {
  const LostKeyCase cases[] = {
      {"TEXT", SqlValue::text("alpha-3"), SqlValue::text("alpha-3")},
      {"INTEGER", SqlValue::of(5), SqlValue::of(5)},
      {"INTEGER", SqlValue::of(300), SqlValue::of(300)},
      {"INTEGER", SqlValue::of(70000), SqlValue::of(70000)},
      {"INTEGER", SqlValue::of(3000000000LL), SqlValue::of(3000000000LL)},
      {"REAL", SqlValue::ofReal(2.5), SqlValue::ofReal(2.5)},
      {"BLOB", SqlValue::blob(std::string("\x01\x02\x00\x03", 4)),
       SqlValue::blob(std::string("\x01\x02\x00\x03", 4))},
      // A constant 0 takes no content: the row reads NULL there, its other columns whole.
      {"INTEGER", SqlValue::of(0), SqlValue::null()},
  };
  for (const LostKeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " key");
    const std::string sql =
        std::string("CREATE TABLE k (key ") + c.type + " NOT NULL, name TEXT, n INTEGER)";
    std::vector<samples::SqlRow> rows;
    for (int id = 1; id <= 5; ++id) {
      const SqlValue key = id == 3 ? c.key : SqlValue::text("other key " + std::to_string(id));
      rows.push_back({key, SqlValue::text("name " + std::to_string(id)), SqlValue::of(id * 1000)});
    }
    std::uint32_t index = 0;
    const std::vector<std::uint8_t> page = leafPageOf(sql, "k", rows, {3}, &index);

    CarveContext ctx = contextFor(index, 3);
    ctx.shape = tableShape(TableLayout(sql), "k");
    std::vector<CarvedCandidate> list;
    carvePage(page.data(), ctx, &list);
    int found = 0;
    for (const CarvedCandidate& cand : list) {
      Record r;
      if (walkCarved(page.data() + cand.offset, kPage - cand.offset, cand.firstColumn,
                     cand.typeCount, &r, cand.lostType) != kOk)
        continue;
      std::vector<SqlValue> values(3);
      for (const RecordColumn& col : r.columns) {
        const std::uint8_t* v = page.data() + cand.offset + col.offset;
        const std::string raw(reinterpret_cast<const char*>(v), col.width);
        const auto at = static_cast<std::size_t>(col.column);
        if (col.serialType == 7)
          values[at] = SqlValue::ofReal(realValue(v));
        else if (col.serialType >= 1 && col.serialType <= 9)
          values[at] = SqlValue::of(integerValue(v, col.serialType));
        else if (isTextType(col.serialType))
          values[at] = SqlValue::text(raw);
        else if (col.serialType >= 12)
          values[at] = SqlValue::blob(raw);
      }
      if (!(values[1] == SqlValue::text("name 3"))) continue;
      ++found;
      EXPECT_TRUE(values[0] == c.expected)
          << "kind " << values[0].kind << " integer " << values[0].integer << " real "
          << values[0].real << " bytes " << values[0].bytes.size() << " lost " << cand.lostType
          << " first " << int(cand.firstColumn);
      EXPECT_TRUE(values[2] == SqlValue::of(3000));
    }
    EXPECT_EQ(found, 1);
  }
}

}  // namespace
}  // namespace qv::db
