#include "db/sqlite_page_reader.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "platform/file.h"
#include "platform/result.h"
#include "samples/sqlite_fixture.h"
#include "tests/db/row_collector.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::SqlRow;
using samples::SqlValue;
using testing::RowCollector;

// Rows with every storage class and integer width, texts of every script, and payloads from a
// few bytes to several overflow pages of the smallest page size.
SqlRow mixedRow(int n) {
  static const std::int64_t kIntegers[] = {0,
                                           1,
                                           -1,
                                           127,
                                           -128,
                                           32767,
                                           -32768,
                                           8388607,
                                           -8388608,
                                           2147483647,
                                           -2147483648LL,
                                           140737488355327LL,
                                           -140737488355328LL,
                                           INT64_MAX,
                                           INT64_MIN,
                                           1000};
  std::string text = "row " + std::to_string(n) + " Grüße 😀 ";
  const std::size_t length = n % 9 == 0 ? 3000 + 97 * static_cast<std::size_t>(n)
                                        : 10 + 13 * static_cast<std::size_t>(n % 20);
  while (text.size() < length) text += "lorem ipsum ";
  std::string blob;
  for (int i = 0; i < n % 40; ++i) blob += static_cast<char>(i * 7 + n);
  return {SqlValue::null(),
          SqlValue::of(kIntegers[n % 16]),
          SqlValue::ofReal(n + 0.25),
          SqlValue::text(text),
          n % 3 ? SqlValue::blob(blob) : SqlValue::null(),
          SqlValue::of(n % 2)};
}

struct Variant {
  int pageSize;
  const char* encoding;
};

class EncodingVariants : public ::testing::TestWithParam<Variant> {};

// One truth for every page size and text encoding: the live rows the reader returns are the
// rows SQLite holds, value for value, row id for row id.
TEST_P(EncodingVariants, LiveRowsEqualWhatSqliteHolds) {
  const Variant v = GetParam();
  fixtures::TempFolder dir;
  const std::string path = dir.file("mixed.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {.pageSize = v.pageSize, .encoding = v.encoding}), 0);
  ASSERT_EQ(db.exec("CREATE TABLE mixed (id INTEGER PRIMARY KEY, i INTEGER, r REAL, t TEXT, "
                    "b BLOB, flag INTEGER); CREATE INDEX mixed_t ON mixed(t);"),
            0);
  ASSERT_EQ(db.begin(), 0);
  for (int n = 1; n <= 120; ++n) ASSERT_EQ(db.insert("mixed", mixedRow(n)), 0);
  ASSERT_EQ(db.commit(), 0);
  const std::map<std::int64_t, SqlRow> truth = db.live("mixed");
  ASSERT_EQ(db.close(), 0);

  RowCollector rows;
  ASSERT_EQ(testing::scanFile(path, "mixed", &rows, false), kOk);
  std::map<std::int64_t, SqlRow> live;
  for (const auto& r : rows.rows) {
    if (r.kind == RowKind::kLive) live[r.rowId] = r.values;
  }
  ASSERT_EQ(live.size(), truth.size());
  for (const auto& [id, row] : truth) {
    ASSERT_TRUE(live.count(id)) << "row " << id;
    EXPECT_TRUE(live[id] == row) << "row " << id << " differs";
  }
}

INSTANTIATE_TEST_SUITE_P(PageSizesAndEncodings, EncodingVariants,
                         ::testing::Values(Variant{512, "UTF-8"}, Variant{1024, "UTF-16le"},
                                           Variant{2048, "UTF-16be"}, Variant{4096, "UTF-8"},
                                           Variant{8192, "UTF-16le"}, Variant{16384, "UTF-8"},
                                           Variant{32768, "UTF-16be"}, Variant{65536, "UTF-8"},
                                           Variant{65536, "UTF-16le"}),
                         [](const ::testing::TestParamInfo<Variant>& p) {
                           std::string name =
                               std::to_string(p.param.pageSize) + "_" + p.param.encoding;
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

TEST(PageReaderOpen, RefusesWhatIsNotADatabaseItCanRead) {
  fixtures::TempFolder dir;
  SqlitePageReader reader;
  EXPECT_EQ(reader.Open(dir.file("missing.db")), kErrFileNotFound);
  EXPECT_FALSE(reader.isOpen());

  const std::string text = dir.file("text.db");
  ASSERT_EQ(platform::writeWholeFile(text, "hello, this is not a database", 29), 0);
  EXPECT_EQ(reader.Open(text), kInvalid);

  samples::SqliteFixture db;
  const std::string path = dir.file("ok.db");
  ASSERT_EQ(db.create(path, {}), 0);
  ASSERT_EQ(db.exec("CREATE TABLE t (a)"), 0);
  ASSERT_EQ(db.close(), 0);
  EXPECT_EQ(reader.Open(path), kOk);
  EXPECT_EQ(reader.pageSize(), 4096u);

  // The magic compared without regard to case. (Closed first: Windows replaces no open file.)
  reader.Close();
  ASSERT_EQ(samples::patchFile(path, 0, "sqlite FORMAT 3"), 0);
  EXPECT_EQ(reader.Open(path), kOk);

  const std::string bytes = samples::readFileBytes(path);
  EXPECT_EQ(reader.OpenMemory(bytes.substr(0, 60)), kShortRead);
  EXPECT_EQ(reader.OpenMemory(bytes.substr(0, 2000)), kShortRead);  // less than one page
  EXPECT_EQ(reader.ReadPage(0, nullptr), kInvalid);                 // closed by the failed open
}

TEST(PageReaderTables, IndexRowsMatchButYieldNoRowsAndTriggersAreSkipped) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("idx.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {}), 0);
  // The trigger's schema row names the table and has root page 0: it is not a b-tree.
  ASSERT_EQ(db.exec("CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT UNIQUE, age INT);"
                    "CREATE INDEX people_age ON people(age);"
                    "CREATE TABLE log (what TEXT);"
                    "CREATE TRIGGER people_log AFTER INSERT ON people BEGIN "
                    "INSERT INTO log VALUES (new.name); END;"),
            0);
  for (int i = 0; i < 50; ++i)
    ASSERT_EQ(db.insert("people", {SqlValue::null(), SqlValue::text("p" + std::to_string(i)),
                                   SqlValue::of(20 + i)}),
              0);
  const std::uint32_t tableRoot = db.rootPage("people");
  ASSERT_EQ(db.close(), 0);

  SqlitePageReader reader;
  ASSERT_EQ(reader.Open(path), kOk);
  RootPageMap roots;
  ASSERT_EQ(reader.FindRootPages("people", &roots), kOk);
  EXPECT_EQ(roots.size(), 3u);  // the table, its unique index and people_age
  EXPECT_TRUE(roots.count(tableRoot - 1));

  RowCollector rows;
  ASSERT_EQ(reader.ScanTable("people", TableScan(), &rows), kOk);
  EXPECT_EQ(rows.rows.size(), 50u);
  RowCollector log;
  ASSERT_EQ(reader.ScanTable("log", TableScan(), &log), kOk);
  EXPECT_EQ(log.rows.size(), 50u);
  RowCollector none;
  EXPECT_EQ(reader.ScanTable("no_such_table", TableScan(), &none), kOk);
  EXPECT_TRUE(none.rows.empty());
}

// A table of 20,000 rows in 512-byte pages: three levels, the root's children are interior
// pages themselves. Returns the file's bytes and the root's page index.
std::string deepTable(const std::string& path, std::uint32_t* root) {
  samples::SqliteFixture db;
  EXPECT_EQ(db.create(path, {.pageSize = 512}), 0);
  EXPECT_EQ(db.exec("CREATE TABLE deep (id INTEGER PRIMARY KEY, t TEXT)"), 0);
  EXPECT_EQ(db.begin(), 0);
  for (int i = 0; i < 20000; ++i)
    EXPECT_EQ(db.insert("deep", {SqlValue::null(), SqlValue::text(std::string(40, 'a' + i % 26))}),
              0);
  EXPECT_EQ(db.commit(), 0);
  EXPECT_EQ(db.close(), 0);
  SqlitePageReader reader;
  RootPageMap roots;
  EXPECT_EQ(reader.Open(path), kOk);
  EXPECT_EQ(reader.FindRootPages("deep", &roots), kOk);
  *root = roots.empty() ? 0 : roots.begin()->first;
  return samples::readFileBytes(path);
}

std::uint32_t be32At(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

TEST(PageReaderTables, DeepTreeOfSmallPagesIsReadWhole) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("deep.db");
  std::uint32_t root = 0;
  const std::string bytes = deepTable(path, &root);
  ASSERT_EQ(static_cast<unsigned char>(bytes[root * 512]), 5);
  const std::uint32_t child = be32At(bytes, root * 512 + 8);
  EXPECT_EQ(static_cast<unsigned char>(bytes[(child - 1) * 512]), 5);

  RowCollector rows;
  ASSERT_EQ(testing::scanFile(path, "deep", &rows), kOk);
  EXPECT_EQ(rows.rows.size(), 20000u);
}

// The scan reads one leaf below each lowest interior page and takes its siblings for leaves.
// In a damaged tree whose root has a leaf as its first child and interior pages beside it, the
// pages below those interior pages are still found: the scan lists the same cells as a walk
// that reads every page, each once.
TEST(PageReaderTables, LeavesAtDifferentDepthsAreEachListedOnce) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("deep.db");
  std::uint32_t root = 0;
  std::string bytes = deepTable(path, &root);
  const std::size_t at = std::size_t{root} * 512;
  ASSERT_EQ(static_cast<unsigned char>(bytes[at]), 5);
  // The root's children (the right one first) by where their page numbers stand, ascending;
  // the first is replaced by a leaf that comes before the second.
  std::vector<std::pair<std::uint32_t, std::size_t>> children{{be32At(bytes, at + 8), at + 8}};
  const unsigned cells =
      (static_cast<unsigned char>(bytes[at + 3]) << 8) | static_cast<unsigned char>(bytes[at + 4]);
  for (unsigned k = 0; k < cells; ++k) {
    const std::size_t cell = (static_cast<unsigned char>(bytes[at + 12 + 2 * k]) << 8) |
                             static_cast<unsigned char>(bytes[at + 13 + 2 * k]);
    children.push_back({be32At(bytes, at + cell), at + cell});
  }
  ASSERT_GE(children.size(), 3u);
  std::sort(children.begin(), children.end());
  std::uint32_t leaf = 0;
  for (std::uint32_t page = 2; page < children[1].first && leaf == 0; ++page) {
    if (static_cast<unsigned char>(bytes[(page - 1) * 512]) == 13) leaf = page;
  }
  ASSERT_NE(leaf, 0u);
  for (int i = 0; i < 4; ++i)
    bytes[children[0].second + i] = static_cast<char>(leaf >> (24 - 8 * i));

  SqlitePageReader reader;
  ASSERT_EQ(reader.OpenMemory(bytes), kOk);
  std::vector<std::uint8_t> page(reader.pageSize() + kBufferPad);
  ASSERT_EQ(reader.ReadPage(root, page.data()), kOk);
  LiveCellMap everyPage;
  reader.CollectLiveCells(page.data(), root, &everyPage);
  std::multiset<std::pair<std::uint32_t, std::uint16_t>> expected, listed;
  for (const auto& cellsOf : everyPage)
    for (std::uint16_t offset : cellsOf.second) expected.insert({cellsOf.first, offset});

  RowCollector rows;
  reader.ScanTable("deep", TableScan(), &rows);
  for (const auto& row : rows.rows)
    if (row.kind == RowKind::kLive) listed.insert({row.pageIndex, row.offset});
  EXPECT_GT(expected.size(), 10000u);
  EXPECT_EQ(listed, expected);
}

TEST(PageReaderTables, SingleCellLeafIsReadThroughItsPointer) {
  // A leaf with one cell whose content-area start field says something else (as a rebuilt page
  // can leave it): the reader follows the pointer array, as SQLite does.
  fixtures::TempFolder dir;
  const std::string path = dir.file("one.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {}), 0);
  ASSERT_EQ(db.exec("CREATE TABLE one (id INTEGER PRIMARY KEY, t TEXT)"), 0);
  ASSERT_EQ(db.insert("one", {SqlValue::null(), SqlValue::text("the only row")}), 0);
  const std::uint32_t root = db.rootPage("one");
  ASSERT_EQ(db.close(), 0);
  const std::uint64_t page = std::uint64_t{root - 1} * 4096;
  const std::string bytes = samples::readFileBytes(path);
  const unsigned cell = (static_cast<unsigned char>(bytes[page + 8]) << 8) |
                        static_cast<unsigned char>(bytes[page + 9]);
  ASSERT_EQ(
      samples::patchFile(path, page + 5, samples::be16Bytes(static_cast<std::uint16_t>(cell - 20))),
      0);

  RowCollector rows;
  ASSERT_EQ(testing::scanFile(path, "one", &rows), kOk);
  ASSERT_GE(rows.rows.size(), 1u);
  EXPECT_EQ(rows.rows[0].kind, RowKind::kLive);
  EXPECT_EQ(rows.rows[0].values[1].bytes, "the only row");
}

TEST(PageReaderFreelist, OnlyPagesOfTheTablesWidthAreTaken) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("free.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {.pageSize = 1024}), 0);
  ASSERT_EQ(db.exec("CREATE TABLE wide (id INTEGER PRIMARY KEY, a TEXT, b TEXT, c INT);"
                    "CREATE TABLE narrow (id INTEGER PRIMARY KEY, a TEXT)"),
            0);
  std::vector<std::int64_t> ids;
  ASSERT_EQ(db.begin(), 0);
  for (int i = 0; i < 300; ++i) {
    std::int64_t id = 0;
    ASSERT_EQ(db.insert("wide",
                        {SqlValue::null(), SqlValue::text("wide a " + std::to_string(i)),
                         SqlValue::text(std::string(50, 'w')), SqlValue::of(i)},
                        &id),
              0);
    ids.push_back(id);
  }
  ASSERT_EQ(db.commit(), 0);
  ASSERT_EQ(db.deleteRows("wide", ids), 0);
  ASSERT_EQ(db.insert("narrow", {SqlValue::null(), SqlValue::text("n")}), 0);
  ASSERT_EQ(db.close(), 0);

  SqlitePageReader reader;
  ASSERT_EQ(reader.Open(path), kOk);
  ASSERT_FALSE(reader.freelistLeafPages().empty());
  // The freed pages held 4-column rows: a 2-column table takes none of them.
  TableScan scan;
  scan.shape.width = 2;
  RowCollector narrow;
  ASSERT_EQ(reader.ScanTable("narrow", scan, &narrow), kOk);
  for (const auto& r : narrow.rows) EXPECT_NE(r.kind, RowKind::kFreelist);
  ASSERT_FALSE(narrow.rows.empty());
  EXPECT_EQ(narrow.rows[0].values[1].bytes, "n");
  scan.shape.width = 4;
  RowCollector wide;
  ASSERT_EQ(reader.ScanTable("wide", scan, &wide), kOk);
  std::size_t freelistRows = 0;
  for (const auto& r : wide.rows) freelistRows += r.kind == RowKind::kFreelist;
  EXPECT_GT(freelistRows, 0u);
  // Another table of the same width whose columns cannot hold those rows' values (an integer
  // row-id alias stored as NULL, a TEXT column that never holds a number) takes none either.
  const TableScan same = [] {
    TableScan s;
    s.shape = tableShape(TableLayout("CREATE TABLE other (k TEXT NOT NULL, a TEXT, b INT, c TEXT)"),
                         "other");
    return s;
  }();
  RowCollector other4;
  ASSERT_EQ(reader.ScanTable("other", same, &other4), kOk);
  for (const auto& r : other4.rows) EXPECT_NE(r.kind, RowKind::kFreelist);

  // A database without a freelist gives no freelist rows.
  samples::SqliteFixture plain;
  const std::string plainPath = dir.file("plain.db");
  ASSERT_EQ(plain.create(plainPath, {}), 0);
  ASSERT_EQ(plain.exec("CREATE TABLE wide (id INTEGER PRIMARY KEY, a TEXT, b TEXT, c INT)"), 0);
  ASSERT_EQ(plain.insert("wide", {SqlValue::null(), SqlValue::text("x"), SqlValue::text("y"),
                                  SqlValue::of(1)}),
            0);
  ASSERT_EQ(plain.close(), 0);
  SqlitePageReader plainReader;
  ASSERT_EQ(plainReader.Open(plainPath), kOk);
  EXPECT_TRUE(plainReader.freelistLeafPages().empty());
}

// Freed pages of two tables of the same width whose columns can each hold the other's values:
// a page goes to the table whose declared types fit its records best, to both on a tie.
TEST(PageReaderFreelist, APageGoesToTheTablesThatFitItBest) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("fit.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {.pageSize = 1024}), 0);
  const std::string countsSql = "CREATE TABLE counts (n INTEGER, label BLOB)";
  const std::string readingsSql = "CREATE TABLE readings (w REAL, note)";
  ASSERT_EQ(db.exec(countsSql + ";" + readingsSql), 0);
  std::map<std::string, std::vector<std::int64_t>> ids;
  ASSERT_EQ(db.begin(), 0);
  for (int i = 0; i < 200; ++i) {
    std::int64_t id = 0;
    ASSERT_EQ(
        db.insert("counts", {SqlValue::of(i + 1000), SqlValue::blob(std::string(40, 'c'))}, &id),
        0);
    if (i >= 50 && i < 150) ids["counts"].push_back(id);
  }
  for (int i = 0; i < 200; ++i) {
    std::int64_t id = 0;
    ASSERT_EQ(db.insert("readings",
                        {SqlValue::ofReal(i + 0.5), SqlValue::text(std::string(40, 'r'))}, &id),
              0);
    if (i >= 50 && i < 150) ids["readings"].push_back(id);
  }
  ASSERT_EQ(db.commit(), 0);
  ASSERT_EQ(db.deleteRows("counts", ids["counts"]), 0);
  ASSERT_EQ(db.deleteRows("readings", ids["readings"]), 0);
  ASSERT_EQ(db.close(), 0);

  const std::vector<std::pair<std::string, TableShape>> shapes = {
      {"counts", tableShape(TableLayout(countsSql), "counts")},
      {"readings", tableShape(TableLayout(readingsSql), "readings")}};
  // The freelist rows each table is handed: those of counts (an integer first) and those of
  // readings (a real first).
  struct Taken {
    std::size_t counts = 0, readings = 0;
  };
  auto freelistRows = [&](SqlitePageReader& reader, const std::string& table) {
    RowCollector rows;
    TableScan scan;
    scan.shape = tableShape(TableLayout(table == "counts" ? countsSql : readingsSql), table);
    EXPECT_EQ(reader.ScanTable(table, scan, &rows), kOk);
    Taken t;
    for (const auto& r : rows.rows) {
      if (r.kind != RowKind::kFreelist || r.values.empty()) continue;
      t.counts += r.values[0].kind == SqlValue::kInteger;
      t.readings += r.values[0].kind == SqlValue::kReal;
    }
    return t;
  };
  const struct {
    bool assign;
    bool countsTakesReadings;  // a real fits an INTEGER column, a text a BLOB one
  } cases[] = {
      {false, true},  // every table its pages fit
      {true, false},  // readings' pages fit readings' declared types better
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.assign);
    SqlitePageReader reader;
    ASSERT_EQ(reader.Open(path), kOk);
    ASSERT_FALSE(reader.freelistLeafPages().empty());
    if (c.assign) {
      ASSERT_EQ(reader.AssignFreelistPages(shapes), kOk);
    }
    const Taken counts = freelistRows(reader, "counts");
    const Taken readings = freelistRows(reader, "readings");
    EXPECT_GT(counts.counts, 0u);
    EXPECT_GT(readings.readings, 0u);
    EXPECT_EQ(counts.readings > 0, c.countsTakesReadings);
    // An integer fits a REAL column and anything a column without a type: counts' pages fit
    // both tables equally and go to both.
    EXPECT_EQ(readings.counts, counts.counts);
  }
}

// A table of one leaf whose rows are all deleted but two: the sink learns the width from the
// live rows it is handed, as a reader does when the schema gives none.
class LearningSink : public RowCollector {
 public:
  explicit LearningSink(TableShape* shape) : shape_(shape) {}
  int onRow(SqlitePageReader& reader, const RowImage& row) override {
    if (row.kind == RowKind::kLive) shape_->width = 3;
    if (row.kind == RowKind::kCarved) carvedWithWidth.push_back(shape_->width);
    return RowCollector::onRow(reader, row);
  }
  std::vector<int> carvedWithWidth;

 private:
  TableShape* shape_;
};

TEST(PageReaderShapes, AShapeLearntFromLiveRowsCarvesEveryLeafWithWhatTheyTaught) {
  fixtures::TempFolder dir;
  const std::string path = dir.file("learn.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {}), 0);
  ASSERT_EQ(db.exec("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, n INT)"), 0);
  std::vector<std::int64_t> ids;
  for (int i = 0; i < 12; ++i) {
    std::int64_t id = 0;
    ASSERT_EQ(db.insert("t",
                        {SqlValue::null(), SqlValue::text("name number " + std::to_string(i)),
                         SqlValue::of(1000 + i)},
                        &id),
              0);
    ids.push_back(id);
  }
  ASSERT_EQ(db.deleteRows("t", {ids[3], ids[5], ids[7], ids[9]}), 0);
  ASSERT_EQ(db.close(), 0);

  auto deletedFound = [](const RowCollector& rows) {
    std::size_t n = 0;
    for (const auto& r : rows.rows) {
      if (r.kind != RowKind::kCarved || r.values.size() != 3) continue;
      for (int i : {3, 5, 7, 9})
        n += r.values[1].bytes == "name number " + std::to_string(i) &&
             r.values[2].integer == 1000 + i;
    }
    return n;
  };
  SqlitePageReader reader;
  ASSERT_EQ(reader.Open(path), kOk);
  // Without a width nothing can be carved; a width still to be learnt is taught by the live
  // rows before the only leaf is carved.
  RowCollector unknown;
  ASSERT_EQ(reader.ScanTable("t", TableScan(), &unknown), kOk);
  EXPECT_EQ(deletedFound(unknown), 0u);
  TableShape learnt;
  TableScan scan;
  scan.learnt = &learnt;
  LearningSink learning(&learnt);
  ASSERT_EQ(reader.ScanTable("t", scan, &learning), kOk);
  EXPECT_EQ(deletedFound(learning), 4u);
  ASSERT_FALSE(learning.carvedWithWidth.empty());
  for (int width : learning.carvedWithWidth) EXPECT_EQ(width, 3);
  // Live rows all come before the carved ones.
  bool carvedSeen = false;
  for (const auto& r : learning.rows) {
    if (r.kind == RowKind::kCarved) carvedSeen = true;
    if (r.kind == RowKind::kLive) {
      EXPECT_FALSE(carvedSeen);
    }
  }
}

}  // namespace
}  // namespace qv::db
