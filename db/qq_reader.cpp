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

#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_shapes.h"
#include "db/text_sort.h"
#include "db/timestamp.h"
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

int scanMessages(SqlitePageReader& reader, const Listing& listing,
                 std::vector<ScannedRow<ChatRow>>* out) {
  const std::set<std::uint32_t> own = ownLeafPages(reader, listing.table);
  auto decode = [&](SqlitePageReader& r, const RowImage& row, ChatRow* m) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    if (row.deleted != 0 && own.count(row.pageIndex) == 0) {
      std::wstring number;
      if (cols.text(1, &number) != RowColumns::Text::kGood || number != listing.number)
        return kInvalid;
    }
    m->rowId = static_cast<std::uint32_t>(row.rowId);
    std::int64_t v = 0;
    if (cols.integer(2, &v)) m->date = formatUnixTime(v);
    // The direction is one of the constants 0 (sent) and 1 (received).
    if (cols.holdsZero(4)) m->sent = 1;
    if (cols.text(6, &m->text) == RowColumns::Text::kBad || m->text.empty()) return kInvalid;
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

int ReadQQ(const std::string& path, ChatRowMap* chats) {
  SqlitePageReader reader;
  int rc = reader.Open(path);
  if (rc != kOk) return rc;
  std::vector<ScannedRow<Listing>> listings;
  rc = scanListing(reader, &listings);
  if (rc != kOk) return rc;

  int result = kOk;
  std::set<std::string> done;
  for (const auto& scanned : listings) {
    const Listing& l = scanned.record;
    // Only message tables are read; a table listed twice (a deleted copy of its listing row)
    // is read once.
    if (l.table.compare(0, sizeof kTablePrefix - 1, kTablePrefix) != 0) continue;
    if (!done.insert(l.table).second) continue;
    std::vector<ScannedRow<ChatRow>> rows;
    rc = scanMessages(reader, l, &rows);
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
