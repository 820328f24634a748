// Column names from CREATE TABLE statements: what the chat readers find their columns by.
#include <gtest/gtest.h>

#include "db/table_columns.h"

namespace qv::db {
namespace {

TEST(TableColumns, NamesComeInDeclarationOrder) {
  const auto names = createTableColumnNames(
      "CREATE TABLE ZWAGROUPMEMBER ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
      "ZCONTACTABID INTEGER, ZISACTIVE INTEGER, ZISADMIN INTEGER, ZSENDERKEYSENT INTEGER, "
      "ZCHATSESSION INTEGER, ZRECENTGROUPCHAT INTEGER, ZCONTACTIDENTIFIER VARCHAR, "
      "ZCONTACTNAME VARCHAR, ZFIRSTNAME VARCHAR, ZMEMBERJID VARCHAR )");
  ASSERT_EQ(names.size(), 13u);
  EXPECT_EQ(columnPosition(names, "ZCHATSESSION"), 7);
  EXPECT_EQ(columnPosition(names, "zcontactname"), 10);  // without regard to case
  EXPECT_EQ(columnPosition(names, "ZMEMBERJID"), 12);
  EXPECT_EQ(columnPosition(names, "ZTEXT"), -1);
}

TEST(TableColumns, QuotesNestedParenthesesAndConstraints) {
  const auto names = createTableColumnNames(
      "create temp table \"odd (name)\" ([first col] TEXT DEFAULT 'a,b', \"say \"\"hi\"\"\" "
      "DECIMAL(10, 2), `third` INTEGER CHECK (third > (1)), plain, "
      "CONSTRAINT pk PRIMARY KEY (plain), UNIQUE (third))");
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0], "first col");
  EXPECT_EQ(names[1], "say \"hi\"");
  EXPECT_EQ(names[2], "third");
  EXPECT_EQ(names[3], "plain");
}

TEST(TableColumns, StatementsWithoutAColumnListGiveNothing) {
  EXPECT_TRUE(createTableColumnNames("CREATE VIRTUAL TABLE t USING fts4(a, b)").empty());
  EXPECT_TRUE(createTableColumnNames("CREATE TABLE t (a INTEGER, b TEXT").empty());  // cut short
  EXPECT_TRUE(createTableColumnNames("CREATE TABLE t AS SELECT 1").empty());
  EXPECT_TRUE(createTableColumnNames("").empty());
  EXPECT_TRUE(createTableColumnNames("SELECT (a, b)").empty());
}

}  // namespace
}  // namespace qv::db
