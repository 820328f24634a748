// QQ.db as this reader uses it:
//
//   tb_c2cTables      (1 column)   0: the name of a per-friend message table,
//                                  "tb_c2cMsg_<friend's QQ number>"
//   tb_c2cMsg_<n>     (50 columns) 1: the friend's QQ number (text), 2: the date (seconds
//                                  since 1970-01-01), 4: the direction (constant 0: sent by the
//                                  owner, 1: received), 6: the message text (UTF-8)
//
// Every message table has the same width, so a freelist page of one friend's table passes the
// width test of every other table's scan: rows that do not lie in the table's own pages are
// kept only when their column 1 names the table's friend.
#include "db/qq_reader.h"

#include <set>
#include <vector>

#include "db/column_dates.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/text_sort.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::db {

namespace {

constexpr char kTablePrefix[] = "tb_c2cMsg";

struct Listing {
  std::uint32_t deleted = 0;
  std::string table;    // the message table's name (UTF-8)
  std::wstring number;  // the part after its last "_"
};

TableScan scanOf(const std::string& table) {
  TableScan scan;
  scan.shape = knownTableShape(table);
  return scan;
}

// Where a message table's columns lie: by the names public parsers use, at the places this
// reader's fixture puts them when a table has no statement to read.
struct MessageColumns {
  int number = 1, date = 2, direction = 4, text = 6;
  static MessageColumns of(const TableLayout& table) {
    MessageColumns c;
    c.number = table.position({"uin"}, c.number);
    c.date = table.position({"time"}, c.date);
    c.direction = table.position({"flag"}, c.direction);
    c.text = table.position({"content"}, c.text);
    return c;
  }
};

int scanListing(SqlitePageReader& reader, std::vector<ScannedRow<Listing>>* out) {
  auto decode = [](SqlitePageReader& r, const RowImage& row, Listing* l) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    // The only column holds the name; a carved row may number it 0 or 1.
    const int column = cols.isText(0) ? 0 : 1;
    std::wstring name;
    if (cols.text(column, &name) != RowColumns::Text::kGood) return kInvalid;
    l->table = platform::toUtf8(name);
    const std::size_t cut = name.rfind(L'_');
    l->number = cut == std::wstring::npos ? std::wstring() : name.substr(cut + 1);
    return kOk;
  };
  auto sink = collectRows<Listing>(decode, out);
  return reader.ScanTable("tb_c2cTables", scanOf("tb_c2cTables"), &sink);
}

// The leaf pages of a table's own b-tree (empty when the table is not in the schema).
std::set<std::uint32_t> ownLeafPages(SqlitePageReader& reader, const std::string& table) {
  std::set<std::uint32_t> pages;
  RootPageMap roots;
  reader.FindRootPages(table, &roots);
  std::vector<std::uint8_t> page(reader.pageSize() + kBufferPad);
  for (const auto& root : roots) {
    if (reader.ReadPage(root.first, page.data()) != kOk) continue;
    LiveCellMap cells;
    reader.CollectLiveCells(page.data(), root.first, &cells);
    for (const auto& leaf : cells) pages.insert(leaf.first);
  }
  return pages;
}

int scanMessages(SqlitePageReader& reader, const std::vector<SchemaEntry>& schema,
                 const Listing& listing, LocalDates& dates, std::vector<ScannedRow<ChatRow>>* out) {
  const std::set<std::uint32_t> own = ownLeafPages(reader, listing.table);
  const MessageColumns c = MessageColumns::of(TableLayout::of(schema, listing.table));
  auto decode = [&](SqlitePageReader& r, const RowImage& row, ChatRow* m) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    if (row.deleted != 0 && own.count(row.pageIndex) == 0) {
      std::wstring number;
      if (cols.text(c.number, &number) != RowColumns::Text::kGood || number != listing.number)
        return kInvalid;
    }
    m->rowId = static_cast<std::uint32_t>(row.rowId);
    m->date = columnDate(cols, c.date, DateForm::kUnixSeconds, dates);
    // The direction is one of the constants 0 (sent) and 1 (received).
    if (cols.holdsZero(c.direction)) m->sent = 1;
    if (cols.text(c.text, &m->text) == RowColumns::Text::kBad || m->text.empty()) return kInvalid;
    return kOk;
  };
  const TableScan scan = scanOf(listing.table);
  auto sink = collectRows<ChatRow>(decode, out);
  const int rc = reader.ScanTable(listing.table, scan, &sink);
  const int more = reader.ScanEmptyFreelistPages(scan.shape, &sink);
  return rc != kOk ? rc : more;
}

std::wstring messageKey(const ChatRow& m) {
  return fieldsKey(m.sent, m.date, m.text);
}

}  // namespace

int ReadQQ(const DatabaseFile& file, ChatRowMap* chats) {
  SqlitePageReader reader;
  int rc = reader.Open(file);
  if (rc != kOk) return rc;
  std::vector<ScannedRow<Listing>> listings;
  rc = scanListing(reader, &listings);
  if (rc != kOk) return rc;

  int result = kOk;
  std::set<std::string> done;
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  LocalDates dates;
  for (const auto& scanned : listings) {
    const Listing& l = scanned.record;
    // Only message tables are read; a table listed twice (a deleted copy of its listing row)
    // is read once.
    if (l.table.compare(0, sizeof kTablePrefix - 1, kTablePrefix) != 0) continue;
    if (!done.insert(l.table).second) continue;
    std::vector<ScannedRow<ChatRow>> rows;
    rc = scanMessages(reader, schema, l, dates, &rows);
    if (rc != kOk && result == kOk) result = rc;
    dropLeftoverCopies(&rows, messageKey);
    if (rows.empty()) continue;
    std::vector<ChatRow>& list = (*chats)[l.number];
    for (auto& m : rows) list.push_back(std::move(m.record));
    sortByDate(&list);
  }
  return result;
}

}  // namespace qv::db
