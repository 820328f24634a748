#include "db/create_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "samples/sqlite_scenarios.h"

namespace qv::db {
namespace {

TEST(CreateTable, CountsColumnsNotConstraints) {
  EXPECT_EQ(createTableColumnCount("CREATE TABLE t (a, b, c)"), 3);
  EXPECT_EQ(createTableColumnCount(
                "create table \"odd (name\" (id INTEGER PRIMARY KEY, `x,y` TEXT DEFAULT 'a,b', "
                "n NUMERIC(10, 2) CHECK (n > 0), [w] BLOB, UNIQUE(x, y), "
                "FOREIGN KEY (w) REFERENCES o(id))"),
            4);
  EXPECT_EQ(createTableColumnCount(
                "CREATE TABLE message_attachment_join (message_id INTEGER REFERENCES message "
                "(ROWID) ON DELETE CASCADE, attachment_id INTEGER REFERENCES attachment (ROWID) "
                "ON DELETE CASCADE, UNIQUE(message_id, attachment_id))"),
            2);
  EXPECT_EQ(createTableColumnCount("CREATE TABLE t (a, CONSTRAINT pk PRIMARY KEY (a))"), 1);
  EXPECT_EQ(createTableColumnCount(samples::kMessageTableSql), 38);
}

TEST(CreateTable, NoCountForWhatIsNotAPlainTable) {
  EXPECT_EQ(createTableColumnCount("CREATE VIRTUAL TABLE f USING fts4(a, b)"), 0);
  EXPECT_EQ(createTableColumnCount("CREATE TABLE t AS SELECT 1"), 0);
  EXPECT_EQ(createTableColumnCount("CREATE TABLE t (a, b"), 0);
  EXPECT_EQ(createTableColumnCount(""), 0);
  EXPECT_EQ(createTableColumnCount("INSERT INTO t VALUES (1, 2)"), 0);
}

}  // namespace
}  // namespace qv::db
