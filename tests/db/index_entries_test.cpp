// The entries of an index read as a table of their own: the key's values and the row id, for
// the rows the table lost as well as the live ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "db/index_entries.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "platform/result.h"
#include "samples/sqlite_fixture.h"
#include "tests/db/row_collector.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::SqlValue;

// The guid the fixture gives row n (SQLite writes the same with printf).
std::string guidOf(std::int64_t n) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "C0FFEE%02X-%04X-4%03X-9%03X-%012X", static_cast<int>(n & 255),
                static_cast<int>((n >> 8) & 65535), static_cast<int>(n % 4096),
                static_cast<int>((n * 7) % 4096), static_cast<int>(n));
  return buf;
}

// A message-like table of 10,000 rows with a UNIQUE guid, a quarter deleted (single rows and a
// run): the guid index's pages end up with many free blocks, each entry small enough to lose
// both its serial types when freed.
TEST(IndexEntries, AConstraintIndexGivesTheKeysAndRowIdsOfDeletedRows) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("guids.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {}), 0);
  ASSERT_EQ(db.exec("CREATE TABLE message (ROWID INTEGER PRIMARY KEY, guid TEXT UNIQUE NOT NULL, "
                    "text TEXT);"
                    "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < "
                    "10000) INSERT INTO message SELECT x, printf('C0FFEE%02X-%04X-4%03X-9%03X-"
                    "%012X', x & 255, (x >> 8) & 65535, x % 4096, (x * 7) % 4096, x), "
                    "'message number ' || x FROM n;"
                    "DELETE FROM message WHERE (ROWID * 7919) % 5 = 0 OR ROWID BETWEEN 4000 "
                    "AND 4600;"),
            0);
  ASSERT_EQ(db.close(), 0);

  SqlitePageReader reader;
  ASSERT_EQ(reader.Open(path), kOk);
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  const TableLayout table = TableLayout::of(schema, "message");
  const std::vector<int> key =
      indexedColumns(SchemaEntry{"index", "sqlite_autoindex_message_1", "message", 0, ""}, table);
  ASSERT_EQ(key, std::vector<int>{1});
  TableScan scan;
  scan.shape = indexShape(table, indexRecordColumns(key, table));
  testing::RowCollector rows;
  EXPECT_EQ(reader.ScanTable("sqlite_autoindex_message_1", scan, &rows), kOk);

  // The table's live rows, then the index's live entries, then what else was found.
  IndexEntrySelector selector;
  selector.startTable();
  auto gone = [](std::int64_t id) { return (id * 7919) % 5 == 0 || (id >= 4000 && id <= 4600); };
  for (std::int64_t id = 1; id <= 10000; ++id) {
    if (!gone(id)) selector.addLiveRow(id);
  }
  selector.startIndex(
      isUniqueIndex(SchemaEntry{"index", "sqlite_autoindex_message_1", "message", 0, ""}));
  ASSERT_TRUE(selector.unique());
  const std::hash<std::string> hash;
  std::size_t live = 0;
  for (const testing::CollectedRow& r : rows.rows) {
    ASSERT_EQ(r.values.size(), 2u);
    ASSERT_EQ(r.values[1].kind, SqlValue::kInteger);
    if (r.kind != RowKind::kLive) continue;
    EXPECT_EQ(r.values[0].bytes, guidOf(r.values[1].integer));
    EXPECT_FALSE(gone(r.values[1].integer));
    selector.addLiveEntry(hash(r.values[0].bytes));
    ++live;
  }
  EXPECT_EQ(live, 7520u);
  std::set<std::int64_t> shown;
  for (const testing::CollectedRow& r : rows.rows) {
    const std::int64_t id = r.values[1].integer;
    const std::string& guid = r.values[0].bytes;
    if (r.kind == RowKind::kLive ||
        !selector.shows(id, hash(guid), hash(guid + "/" + std::to_string(id))))
      continue;
    SCOPED_TRACE(std::to_string(id) + " page " + std::to_string(r.pageIndex) + " offset " +
                 std::to_string(r.offset));
    // Every entry shown is a deleted row's, with its own guid, once: nothing is made up (an
    // old entry whose row id was overwritten by a newer cell keeps a live row's guid).
    EXPECT_TRUE(gone(id));
    EXPECT_EQ(guid, guidOf(id));
    EXPECT_TRUE(shown.insert(id).second);
  }
  // The entries freed into the block of the one before them keep their headers.
  EXPECT_GT(shown.size(), 250u);
}

}  // namespace
}  // namespace qv::db
