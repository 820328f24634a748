// Dropped tables: their statements carved from the schema table's free space, their rows from
// the freelist under the recovered name.
#include "db/dropped_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "platform/result.h"
#include "samples/sqlite_fixture.h"
#include "tests/db/row_collector.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::SqlValue;

struct DropCase {
  const char* encoding;
  int pageSize;
  bool secureDelete;
  const char* dropSql;     // what is dropped after both tables are filled
  const char* expectName;  // the table recovered ("" for none)
};

// Two tables of 60 rows each, then one statement that drops one (or neither).
std::vector<SchemaEntry> dropAndRecover(const DropCase& c, std::size_t* goneRows) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("dropped.db");
  samples::SqliteFixture db;
  EXPECT_EQ(
      db.create(path,
                {.pageSize = c.pageSize, .encoding = c.encoding, .secureDelete = c.secureDelete}),
      0);
  EXPECT_EQ(db.exec("CREATE TABLE kept (id INTEGER PRIMARY KEY, name TEXT);"
                    "CREATE TABLE \"old list\" (label TEXT NOT NULL, amount REAL, note TEXT);"),
            0);
  for (int i = 1; i <= 60; ++i) {
    EXPECT_EQ(db.insert("kept", {SqlValue::null(), SqlValue::text("kept " + std::to_string(i))}),
              0);
    EXPECT_EQ(db.insert("old list",
                        {SqlValue::text("label " + std::to_string(i)), SqlValue::ofReal(i + 0.5),
                         SqlValue::text("a note on entry " + std::to_string(i))}),
              0);
  }
  if (*c.dropSql) {
    EXPECT_EQ(db.exec(c.dropSql), 0);
  }
  EXPECT_EQ(db.close(), 0);

  SqlitePageReader reader;
  EXPECT_EQ(reader.Open(path), kOk);
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  std::vector<SchemaEntry> dropped = droppedTables(reader, schema);
  *goneRows = 0;
  for (const SchemaEntry& e : dropped) {
    testing::RowCollector rows;
    TableScan scan;
    scan.shape = tableShape(TableLayout(e.sql), e.name);
    reader.ScanTable(e.name, scan, &rows);
    for (const auto& r : rows.rows) {
      if (r.values.size() == 3 && r.values[0].kind == SqlValue::kText &&
          r.values[0].bytes.rfind("label ", 0) == 0)
        ++*goneRows;
    }
  }
  return dropped;
}

TEST(DroppedTables, StatementAndRowsComeBackUnderTheRecoveredName) {
  const DropCase cases[] = {
      {"UTF-8", 4096, false, "DROP TABLE \"old list\"", "old list"},
      {"UTF-8", 1024, false, "DROP TABLE \"old list\"", "old list"},
      {"UTF-16le", 4096, false, "DROP TABLE \"old list\"", "old list"},
      {"UTF-16be", 2048, false, "DROP TABLE \"old list\"", "old list"},
      // Nothing dropped: the live tables are never reported as dropped.
      {"UTF-8", 4096, false, "", ""},
      // Renamed, not dropped: the old statement's table still lives under its new name.
      {"UTF-8", 4096, false, "ALTER TABLE kept RENAME TO kept2", ""},
      // secure_delete zeroes the freed record and pages: nothing to recover, nothing invented.
      {"UTF-8", 4096, true, "DROP TABLE \"old list\"", ""},
  };
  for (const DropCase& c : cases) {
    SCOPED_TRACE(std::string(c.encoding) + " " + std::to_string(c.pageSize) + " " + c.dropSql);
    std::size_t goneRows = 0;
    const std::vector<SchemaEntry> dropped = dropAndRecover(c, &goneRows);
    if (*c.expectName == 0) {
      EXPECT_TRUE(dropped.empty()) << dropped.front().name;
      continue;
    }
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].name, c.expectName);
    EXPECT_EQ(dropped[0].type, "table");
    EXPECT_EQ(TableLayout(dropped[0].sql).width(), 3);
    EXPECT_GE(goneRows, 60u);
  }
}

}  // namespace
}  // namespace qv::db
