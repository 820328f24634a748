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
#include <tuple>
#include <vector>

#include "db/chat_columns.h"
#include "db/sqlite_page_reader.h"
#include "db/timestamp.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::db {

namespace {

constexpr char kTablePrefix[] = "tb_c2cMsg";

struct Listing {
  std::string table;    // the message table's name (UTF-8)
  std::wstring number;  // the part after its last "_"
};

int scanListing(SqlitePageReader& reader, std::vector<Listing>* out) {
  auto sink = makeSink([&](SqlitePageReader& r, const RowImage& row) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    // The only column holds the name; a carved row may number it 0 or 1.
    const int column = cols.isText(0) ? 0 : 1;
    std::wstring name;
    if (cols.text(column, &name) != RowColumns::Text::kGood) return kInvalid;
    Listing l;
    l.table = platform::toUtf8(name);
    const std::size_t cut = name.rfind(L'_');
    l.number = cut == std::wstring::npos ? std::wstring() : name.substr(cut + 1);
    out->push_back(std::move(l));
    return kOk;
  });
  return reader.ScanTable("tb_c2cTables", &sink);
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

int scanMessages(SqlitePageReader& reader, const Listing& listing, std::vector<ChatRow>* out) {
  const std::set<std::uint32_t> own = ownLeafPages(reader, listing.table);
  auto sink = makeSink([&](SqlitePageReader& r, const RowImage& row) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    if (row.deleted != 0 && own.count(row.pageIndex) == 0) {
      std::wstring number;
      if (cols.text(1, &number) != RowColumns::Text::kGood || number != listing.number)
        return kInvalid;
    }
    ChatRow m;
    m.deleted = row.deleted;
    m.rowId = static_cast<std::uint32_t>(row.rowId);
    std::int64_t v = 0;
    if (cols.integer(2, &v)) m.date = formatUnixTime(v);
    if (cols.integer(4, &v)) {
      const RecordColumn* c = cols.column(4);
      // The direction is one of the constants 0 (sent) and 1 (received).
      if (c->serialType == 8 || (v == 0 && c->serialType <= 4)) m.sent = 1;
    }
    if (cols.text(6, &m.text) == RowColumns::Text::kBad || m.text.empty()) return kInvalid;
    out->push_back(std::move(m));
    return kOk;
  });
  int rc = reader.ScanTable(listing.table, &sink);
  const int more = scanCellLessFreelistPages(reader, reader.ColumnCount(listing.table), &sink);
  return rc != kOk ? rc : more;
}

}  // namespace

int ReadQQ(const std::string& path, ChatRowMap* chats) {
  SqlitePageReader reader;
  int rc = reader.Open(path);
  if (rc != kOk) return rc;
  std::vector<Listing> listings;
  rc = scanListing(reader, &listings);
  if (rc != kOk) return rc;

  int result = kOk;
  std::set<std::string> done;
  for (const Listing& l : listings) {
    // Only message tables are read; a table listed twice (a deleted copy of its listing row)
    // is read once.
    if (l.table.compare(0, sizeof kTablePrefix - 1, kTablePrefix) != 0) continue;
    if (!done.insert(l.table).second) continue;
    std::vector<ChatRow> rows;
    rc = scanMessages(reader, l, &rows);
    if (rc != kOk && result == kOk) result = rc;
    dropStaleCopies(&rows,
                    [](const ChatRow& m) { return std::make_tuple(m.sent, m.date, m.text); });
    if (rows.empty()) continue;
    std::vector<ChatRow>& list = (*chats)[l.number];
    for (ChatRow& m : rows) list.push_back(std::move(m));
    sortByDate(&list);
  }
  return result;
}

}  // namespace qv::db
