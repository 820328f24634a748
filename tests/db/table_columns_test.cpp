// What a table's CREATE statement and its name say about its rows: the column names and count
// every reader takes, the width table, the shape a scan carves with, the message guid test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "samples/sqlite_scenarios.h"

namespace qv::db {
namespace {

using Names = std::vector<std::string>;

struct StatementCase {
  const char* sql;
  Names names;
};

TEST(TableColumns, NamesAndCountOfEveryStatement) {
  const StatementCase cases[] = {
      {"CREATE TABLE t (a, b, c)", {"a", "b", "c"}},
      // Quotes, nested parentheses and table constraints after the columns.
      {"create temp table \"odd (name)\" ([first col] TEXT DEFAULT 'a,b', \"say \"\"hi\"\"\" "
       "DECIMAL(10, 2), `third` INTEGER CHECK (third > (1)), plain, "
       "CONSTRAINT pk PRIMARY KEY (plain), UNIQUE (third))",
       {"first col", "say \"hi\"", "third", "plain"}},
      {"create table \"odd (name\" (id INTEGER PRIMARY KEY, `x,y` TEXT DEFAULT 'a,b', "
       "n NUMERIC(10, 2) CHECK (n > 0), [w] BLOB, UNIQUE(x, y), "
       "FOREIGN KEY (w) REFERENCES o(id))",
       {"id", "x,y", "n", "w"}},
      {"CREATE TABLE message_attachment_join (message_id INTEGER REFERENCES message "
       "(ROWID) ON DELETE CASCADE, attachment_id INTEGER REFERENCES attachment (ROWID) "
       "ON DELETE CASCADE, UNIQUE(message_id, attachment_id))",
       {"message_id", "attachment_id"}},
      {"CREATE TABLE t (a, CONSTRAINT pk PRIMARY KEY (a))", {"a"}},
      // A column whose name is empty still holds its place: the columns after it keep theirs.
      {"CREATE TABLE t (\"\" INTEGER, b TEXT)", {"", "b"}},
      // A table whose name holds the word is no virtual table.
      {"CREATE TABLE ZVIRTUALITEM (Z_PK INTEGER PRIMARY KEY, ZTITLE VARCHAR)", {"Z_PK", "ZTITLE"}},
      // Nothing to count.
      {"CREATE VIRTUAL TABLE f USING fts4(a, b)", {}},
      {"create Virtual table f using fts4(a, b)", {}},
      {"CREATE TABLE t AS SELECT 1", {}},
      {"CREATE TABLE t (a INTEGER, b TEXT", {}},  // cut short
      {"", {}},
      {"SELECT (a, b)", {}},
      {"INSERT INTO t VALUES (1, 2)", {}},
  };
  for (const StatementCase& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(createTableColumnNames(c.sql), c.names);
    const std::vector<SchemaEntry> schema = {{"table", "T", "T", 2, c.sql}};
    EXPECT_EQ(declaredColumnCount(schema, "t"), static_cast<int>(c.names.size()));
  }
  EXPECT_EQ(createTableColumnNames(samples::kMessageTableSql).size(), 38u);
}

TEST(TableColumns, PositionsByName) {
  const TableLayout table(
      "CREATE TABLE ZWAGROUPMEMBER ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
      "ZCONTACTABID INTEGER, ZISACTIVE INTEGER, ZISADMIN INTEGER, ZSENDERKEYSENT INTEGER, "
      "ZCHATSESSION INTEGER, ZRECENTGROUPCHAT INTEGER, ZCONTACTIDENTIFIER VARCHAR, "
      "ZCONTACTNAME VARCHAR, ZFIRSTNAME VARCHAR, ZMEMBERJID VARCHAR )");
  ASSERT_EQ(table.width(), 13);
  EXPECT_EQ(table.find("ZCHATSESSION"), 7);
  EXPECT_EQ(table.find("zcontactname"), 10);  // without regard to case
  EXPECT_EQ(table.find("ZTEXT"), -1);
  EXPECT_EQ(table.position({"ZNAME", "ZMEMBERJID"}, 3), 12);  // the first known name found
  EXPECT_EQ(table.position({"ZTEXT"}, 3), -1);                // read, and not there
  EXPECT_EQ(TableLayout().position({"ZTEXT"}, 3), 3);         // no statement to read
  EXPECT_EQ(table.column(12)->name, "ZMEMBERJID");
  EXPECT_EQ(table.column(13), nullptr);
  EXPECT_EQ(table.column(-1), nullptr);
}

// The table columns an index's key holds, by name; expressions hold no column.
TEST(TableColumns, TheColumnsOfAnIndexKey) {
  const TableLayout table("CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT, city TEXT)");
  const struct {
    const char* sql;
    std::vector<int> key;
  } cases[] = {
      {"CREATE INDEX i ON people(city, name)", {2, 1}},
      {"create unique index if not exists \"i (x)\" on [people] "
       "( \"City\" COLLATE NOCASE DESC , `name` asc )",
       {2, 1}},
      {"CREATE INDEX i ON people(id)", {0}},
      // An expression, a function or an unknown name is no column of the table.
      {"CREATE INDEX i ON people(lower(name), city || 'x', nowhere, name)", {-1, -1, -1, 1}},
      {"CREATE INDEX i ON people(city) WHERE name IS NOT NULL", {2}},
      {"CREATE INDEX i ON people(lower(name))", {}},  // no column at all
      {"CREATE INDEX i ON people", {}},
      {"CREATE INDEX i ON people(city,)", {}},
      {"CREATE INDEX i ON people(city", {}},  // cut short
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(indexedColumns(c.sql, table), c.key);
  }
  // Indexes made for constraints, numbered in the order the statement declares them; a primary
  // key that is the row id, and a list already kept, get none.
  const TableLayout constrained(
      "CREATE TABLE c (id INTEGER PRIMARY KEY, guid TEXT UNIQUE NOT NULL, a, b, "
      "CONSTRAINT ab UNIQUE (b, \"A\"), UNIQUE (guid))");
  const TableLayout keyed("CREATE TABLE k (a TEXT, b UNIQUE, c, PRIMARY KEY (a, c))");
  const TableLayout ordered("CREATE TABLE o (a TEXT PRIMARY KEY UNIQUE, b TEXT UNIQUE)");
  const TableLayout aliased("CREATE TABLE d (x TEXT, y INTEGER, PRIMARY KEY (y))");
  const TableLayout descending("CREATE TABLE e (x TEXT, y INTEGER PRIMARY KEY DESC, z UNIQUE)");
  const struct {
    const TableLayout& table;
    const char* name;
    std::vector<int> key;
  } made[] = {
      {constrained, "sqlite_autoindex_c_1", {1}},
      {constrained, "sqlite_autoindex_c_2", {3, 2}},
      {constrained, "sqlite_autoindex_c_3", {}},
      {keyed, "sqlite_autoindex_k_1", {1}},
      {keyed, "sqlite_autoindex_k_2", {0, 2}},
      {ordered, "sqlite_autoindex_o_1", {0}},
      {ordered, "sqlite_autoindex_o_2", {1}},
      {ordered, "sqlite_autoindex_o_0", {}},
      {aliased, "sqlite_autoindex_d_1", {}},
      {descending, "sqlite_autoindex_e_1", {1}},
      {descending, "sqlite_autoindex_e_2", {2}},
      {ordered, "sqlite_autoindex_o_x", {}},
      {ordered, "sqlite_autoindex_other_1", {}},
      {ordered, "sqlite_autoindex_o_99999999999999999999", {}},
  };
  for (const auto& c : made) {
    SCOPED_TRACE(c.name);
    const std::string tableName(1, c.name[17]);
    EXPECT_EQ(indexedColumns(SchemaEntry{"index", c.name, tableName, 3, ""}, c.table), c.key);
  }
  // An index's records hold the key, then the row id: an integer, never NULL. In a table
  // WITHOUT ROWID, the primary key's columns the key does not hold, in key order.
  EXPECT_EQ(indexRecordColumns({2, -1}, table), (std::vector<int>{2, -1, kIndexRowId}));
  const TableLayout pairKeyed("CREATE TABLE w (a, b, c, PRIMARY KEY (c, a)) WITHOUT ROWID");
  EXPECT_EQ(indexRecordColumns({1, 0}, pairKeyed), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(indexRecordColumns({1}, pairKeyed), (std::vector<int>{1, 2, 0}));
  const TableShape shape = indexShape(table, indexRecordColumns({2, -1}, table));
  EXPECT_EQ(shape.width, 3);
  EXPECT_TRUE(shape.withoutRowId);
  ASSERT_EQ(shape.columnClasses->size(), 3u);
  EXPECT_EQ((*shape.columnClasses)[0].usual, kHoldsNull | kHoldsText);
  EXPECT_EQ((*shape.columnClasses)[1].holds, kHoldsAnything);
  EXPECT_EQ((*shape.columnClasses)[2].holds, kHoldsInteger);
}

// Types, affinities and the row-id alias of every statement form the phone's tables use.
TEST(TableColumns, TypesAffinitiesAndTheRowIdAlias) {
  const struct {
    const char* sql;
    int alias;
    std::vector<std::pair<const char*, Affinity>> types;
  } cases[] = {
      {"CREATE TABLE ZCALLRECORD (Z_PK INTEGER PRIMARY KEY, ZDATE TIMESTAMP, ZDURATION FLOAT, "
       "ZADDRESS BLOB, ZNAME VARCHAR, ZUNIQUE_ID VARCHAR UNIQUE)",
       0,
       {{"INTEGER", Affinity::kInteger},
        {"TIMESTAMP", Affinity::kNumeric},
        {"FLOAT", Affinity::kReal},
        {"BLOB", Affinity::kBlob},
        {"VARCHAR", Affinity::kText},
        {"VARCHAR", Affinity::kText}}},
      {"CREATE TABLE message (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT "
       "NULL, associated_message_guid STRING DEFAULT NULL, n DECIMAL(10, 2) CHECK (n > 0))",
       0,
       {{"INTEGER", Affinity::kInteger},
        {"TEXT", Affinity::kText},
        {"STRING", Affinity::kNumeric},
        {"DECIMAL(10, 2)", Affinity::kNumeric}}},
      // The address book's content table: quoted names without a type.
      {"CREATE TABLE 'ABPersonFullTextSearch_content'(docid INTEGER PRIMARY KEY, 'c0First', "
       "'c1Last')",
       0,
       {{"INTEGER", Affinity::kInteger}, {"", Affinity::kBlob}, {"", Affinity::kBlob}}},
      // No alias: the join table, WeChat's friend list keyed by a text, a DESC key, a WITHOUT
      // ROWID table, an INT key (only INTEGER makes an alias).
      {"CREATE TABLE message_attachment_join (message_id INTEGER REFERENCES message (ROWID) ON "
       "DELETE CASCADE, attachment_id INTEGER, UNIQUE(message_id, attachment_id))",
       -1,
       {{"INTEGER", Affinity::kInteger}, {"INTEGER", Affinity::kInteger}}},
      {"CREATE TABLE Friend (userName TEXT PRIMARY KEY, type INTEGER DEFAULT 0)",
       -1,
       {{"TEXT", Affinity::kText}, {"INTEGER", Affinity::kInteger}}},
      {"CREATE TABLE t (id INTEGER PRIMARY KEY DESC, v)",
       -1,
       {{"INTEGER", Affinity::kInteger}, {"", Affinity::kBlob}}},
      {"CREATE TABLE t (id INTEGER PRIMARY KEY, v) WITHOUT ROWID",
       -1,
       {{"INTEGER", Affinity::kInteger}, {"", Affinity::kBlob}}},
      {"CREATE TABLE t (id INT PRIMARY KEY, v)",
       -1,
       {{"INT", Affinity::kInteger}, {"", Affinity::kBlob}}},
      // WeChat's chat tables keep the alias in column 1; a table constraint can name it too.
      {"CREATE TABLE Chat_0 (TableVer INTEGER DEFAULT 1, MesLocalID INTEGER PRIMARY KEY "
       "AUTOINCREMENT, Message TEXT)",
       1,
       {{"INTEGER", Affinity::kInteger},
        {"INTEGER", Affinity::kInteger},
        {"TEXT", Affinity::kText}}},
      {"CREATE TABLE t (a TEXT, \"b\" integer, CONSTRAINT pk PRIMARY KEY (\"b\" ASC))",
       1,
       {{"TEXT", Affinity::kText}, {"integer", Affinity::kInteger}}},
      {"CREATE TABLE t (a INTEGER, b INTEGER, PRIMARY KEY (a, b))",
       -1,
       {{"INTEGER", Affinity::kInteger}, {"INTEGER", Affinity::kInteger}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    const TableLayout table(c.sql);
    EXPECT_EQ(table.rowIdAlias(), c.alias);
    ASSERT_EQ(table.columns().size(), c.types.size());
    for (std::size_t i = 0; i < c.types.size(); ++i) {
      EXPECT_EQ(table.columns()[i].type, c.types[i].first) << i;
      EXPECT_EQ(table.columns()[i].affinity, c.types[i].second) << i;
    }
  }
}

TEST(TableColumns, OnlyTheTablesOwnRowCounts) {
  const std::vector<SchemaEntry> schema = {
      {"index", "people", "people", 3, "CREATE INDEX people ON other(a, b, c, d)"},
      {"view", "people_view", "people", 0, "CREATE VIEW people_view AS SELECT 1"},
      {"table", "People", "People", 4, "CREATE TABLE People (id INTEGER PRIMARY KEY, name)"},
  };
  EXPECT_EQ(declaredColumnCount(schema, "people"), 2);
  EXPECT_EQ(declaredColumnCount(schema, "people_view"), 0);
  EXPECT_EQ(declaredColumnCount(schema, "missing"), 0);
  EXPECT_EQ(createTableColumnNames(schema[2].sql), (Names{"id", "name"}));
  EXPECT_EQ(TableLayout::of(schema, "PEOPLE").find("name"), 1);
  EXPECT_FALSE(TableLayout::of(schema, "people_view").known());
}

TEST(TableShapes, TheWidthTable) {
  const struct {
    const char* table;
    int width;
  } cases[] = {
      {"message", 38},      {"MESSAGE", 38},     {"ABPersonFullTextSearch_content", 24},
      {"zwamessage", 28},   {"ZNOTE", 19},       {"handle", 5},
      {"call", 13},         {"Chat_0123", 9},    {"chat_0123", 0},  // the prefix is case-sensitive
      {"tb_c2cMsg_42", 50}, {"TB_C2CMSG_42", 0}, {"anything", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(knownTableWidth(c.table), c.width) << c.table;
}

TEST(TableShapes, TheDeclaredWidthWinsOverTheWidthTable) {
  const std::vector<SchemaEntry> schema = {
      {"table", "ZNOTE", "ZNOTE", 2, "CREATE TABLE ZNOTE (a, b, c, d)"},
      {"table", "message", "message", 3, "CREATE VIRTUAL TABLE message USING fts4(a)"},
      {"table", "narrow", "narrow", 4, "CREATE TABLE narrow (a, b)"},
  };
  EXPECT_EQ(tableShape(schema, "ZNOTE").width, 4);
  EXPECT_EQ(tableShape(schema, "narrow").width, 2);
  EXPECT_EQ(tableShape(schema, "handle").width, 5);    // no statement: the width table
  EXPECT_EQ(tableShape(schema, "message").width, 38);  // nothing to count: the width table
  EXPECT_EQ(tableShape(schema, "unknown").width, 0);
  // Only sms.db's `message` rows need their guid.
  EXPECT_EQ(tableShape(schema, "message").accept, &messageGuidLeads);
  EXPECT_EQ(tableShape(schema, "Message").accept, nullptr);
  EXPECT_EQ(tableShape(schema, "ZNOTE").accept, nullptr);
  EXPECT_EQ(tableShape(schema, "ZNOTE").headerScanWidth(), 4);
}

// A record laid out on a page image: serial types then content, as the carver measured it.
struct CarvedRecord {
  std::vector<std::uint8_t> page = std::vector<std::uint8_t>(512, 0);
  std::vector<std::uint64_t> types;
  CarvedRecordView view(int firstColumn, std::size_t contentStart, bool utf16) const {
    CarvedRecordView v;
    v.page = page.data();
    v.types = types.data();
    v.typeCount = types.size();
    v.firstColumn = firstColumn;
    v.contentStart = contentStart;
    v.end = page.size();
    v.utf16 = utf16;
    return v;
  }
};

TEST(TableShapes, MessageRecordsNeedTheirGuid) {
  const std::string guid = "0F8A2C4E-1B3D-4F5A-9C7E-2D4B6F8A0C1E";
  const std::uint64_t utf8Guid = 13 + 2 * 36;
  // Column 0 (the row-id alias, NULL) then the guid, content from offset 100.
  CarvedRecord r;
  r.types = {0, utf8Guid, 13 + 2 * 5};
  std::copy(guid.begin(), guid.end(), r.page.begin() + 100);
  EXPECT_TRUE(messageGuidLeads(r.view(0, 100, false)));
  // With the first serial type overwritten the guid is the first column read.
  CarvedRecord overwritten = r;
  overwritten.types = {utf8Guid, 13 + 2 * 5};
  EXPECT_TRUE(messageGuidLeads(overwritten.view(1, 100, false)));
  // A zero among its 36 characters, another type, or a guid cut by the record's end: none.
  CarvedRecord zero = r;
  zero.page[100 + 17] = 0;
  EXPECT_FALSE(messageGuidLeads(zero.view(0, 100, false)));
  CarvedRecord shortText = r;
  shortText.types = {0, 13 + 2 * 35};
  EXPECT_FALSE(messageGuidLeads(shortText.view(0, 100, false)));
  CarvedRecordView cut = r.view(0, 100, false);
  cut.end = 100 + 35;
  EXPECT_FALSE(messageGuidLeads(cut));
  CarvedRecord typesOnly = r;
  typesOnly.types = {0};
  EXPECT_FALSE(messageGuidLeads(typesOnly.view(0, 100, false)));
  // UTF-16: 72 bytes, a character is zero only when both its bytes are.
  CarvedRecord wide;
  wide.types = {0, 13 + 2 * 72};
  for (std::size_t i = 0; i < 36; ++i) wide.page[200 + 2 * i] = static_cast<std::uint8_t>(guid[i]);
  EXPECT_TRUE(messageGuidLeads(wide.view(0, 200, true)));
  EXPECT_FALSE(messageGuidLeads(wide.view(0, 200, false)));  // the UTF-8 type is 85
}

TEST(TableColumns, RecordsOfATableWithoutRowIdHoldTheKeyFirst) {
  const struct {
    const char* sql;
    bool withoutRowId;
    std::vector<int> stored;  // declared positions in the record's order
  } cases[] = {
      {"CREATE TABLE t (a, b, c)", false, {0, 1, 2}},
      // A table with a row id keeps the declared order whatever its key.
      {"CREATE TABLE t (a, b TEXT PRIMARY KEY, c)", false, {0, 1, 2}},
      {"CREATE TABLE t (a, b TEXT PRIMARY KEY, c) WITHOUT ROWID", true, {1, 0, 2}},
      {"CREATE TABLE tags (note INTEGER, label TEXT, weight REAL, tag TEXT NOT NULL, "
       "PRIMARY KEY (tag, note)) WITHOUT ROWID",
       true,
       {3, 0, 1, 2}},
      // Quoted names (a comma inside one), sort orders and collations inside the key.
      {"create table t (\"x,y\" text, [z] int, w, constraint k primary key ([z] desc, "
       "\"x,y\" collate nocase)) without rowid",
       true,
       {1, 0, 2}},
      // A column named twice in the key is stored once.
      {"CREATE TABLE t (a, b, c, PRIMARY KEY (c, a, c)) WITHOUT ROWID", true, {2, 0, 1}},
      {"CREATE TABLE t (id INTEGER PRIMARY KEY, v) WITHOUT ROWID", true, {0, 1}},
      // No key to read: the declared order.
      {"CREATE TABLE t (a, b) WITHOUT ROWID", true, {0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    const TableLayout table(c.sql);
    EXPECT_EQ(table.withoutRowId(), c.withoutRowId);
    EXPECT_EQ(table.storedOrder(), c.stored);
    const TableShape shape = tableShape(table, "t");
    EXPECT_EQ(shape.withoutRowId, c.withoutRowId);
    if (c.withoutRowId) {
      EXPECT_TRUE(shape.firstIsValue);
    }
    // The classes follow the record's order.
    ASSERT_NE(shape.columnClasses, nullptr);
    ASSERT_EQ(shape.columnClasses->size(), c.stored.size());
    for (std::size_t k = 0; k < c.stored.size(); ++k) {
      const DeclaredColumn& column = *table.column(c.stored[k]);
      EXPECT_EQ((*shape.columnClasses)[k].usual, columnClassesOf(column, false).usual) << k;
    }
  }
}

TEST(TableShapes, EachColumnSaysWhatItCanHold) {
  const TableLayout t(
      "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT NOT NULL, n INT, r REAL, d DECIMAL, "
      "b BLOB, anything, c VARCHAR(20) NOT NULL DEFAULT 'x')");
  const struct {
    int position;
    std::uint8_t holds;
    std::uint8_t usual;
  } cases[] = {
      {0, kHoldsNull, kHoldsNull},  // the row-id alias is stored as NULL and nothing else
      {1, kHoldsText | kHoldsBlob, kHoldsText},
      {2, kHoldsAnything, kHoldsNull | kHoldsInteger},
      {3, kHoldsAnything, kHoldsNull | kHoldsInteger | kHoldsReal},
      {4, kHoldsAnything, kHoldsNull | kHoldsInteger | kHoldsReal},
      {5, kHoldsAnything, kHoldsNull | kHoldsBlob},
      {6, kHoldsAnything, kHoldsAnything},
      {7, kHoldsText | kHoldsBlob, kHoldsText},
  };
  const TableShape shape = tableShape(t, "t");
  ASSERT_NE(shape.columnClasses, nullptr);
  ASSERT_EQ(shape.columnClasses->size(), 8u);
  for (const auto& c : cases) {
    const ColumnClasses& got = (*shape.columnClasses)[static_cast<std::size_t>(c.position)];
    EXPECT_EQ(got.holds, c.holds) << c.position;
    EXPECT_EQ(got.usual, c.usual) << c.position;
  }
  EXPECT_FALSE(shape.firstIsValue);
  EXPECT_TRUE(t.column(1)->notNull);
  EXPECT_FALSE(t.column(2)->notNull);
  EXPECT_TRUE(t.column(7)->notNull);
}

TEST(TableShapes, ColumnZeroHoldsAValueWithoutARowIdAliasThere) {
  const struct {
    const char* sql;
    bool firstIsValue;
  } cases[] = {
      {"CREATE TABLE a (id INTEGER PRIMARY KEY, x)", false},
      {"CREATE TABLE a (name TEXT PRIMARY KEY, x)", true},
      {"CREATE TABLE a (x INT, id INTEGER PRIMARY KEY)", true},
      {"CREATE TABLE a (id INTEGER, x, PRIMARY KEY (id))", false},
      {"CREATE TABLE a (id INTEGER PRIMARY KEY, x) WITHOUT ROWID", true},
      {"CREATE TABLE a (code INTEGER NOT NULL, kind TEXT)", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tableShape(TableLayout(c.sql), "a").firstIsValue, c.firstIsValue) << c.sql;
  // Without a statement nothing is known of column 0: the first-byte rule stands.
  EXPECT_FALSE(tableShape(TableLayout(), "a").firstIsValue);
  EXPECT_EQ(tableShape(TableLayout(), "a").columnClasses, nullptr);
}

TEST(TableShapes, OnlySmsDbsMessageTableNeedsTheGuid) {
  std::string wide = "CREATE TABLE message (ROWID INTEGER PRIMARY KEY, guid TEXT";
  for (int i = 2; i < 38; ++i) wide += ", c" + std::to_string(i);
  wide += ")";
  EXPECT_EQ(tableShape(TableLayout(wide), "message").accept, &messageGuidLeads);
  // Another application's small table of that name, with or without a guid column.
  EXPECT_EQ(tableShape(TableLayout("CREATE TABLE message (ROWID INTEGER PRIMARY KEY, guid TEXT, "
                                   "text TEXT, date INTEGER)"),
                       "message")
                .accept,
            nullptr);
  EXPECT_EQ(
      tableShape(TableLayout("CREATE TABLE message (id INTEGER PRIMARY KEY, body TEXT)"), "message")
          .accept,
      nullptr);
  EXPECT_EQ(
      tableShape(TableLayout("CREATE TABLE message (id INTEGER PRIMARY KEY, body TEXT)"), "message")
          .width,
      2);
}

}  // namespace
}  // namespace qv::db
