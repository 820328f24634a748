// MM.sqlite as this reader uses it:
//
//   Friend       (13 columns)  the friends. The known layout is userName TEXT PRIMARY KEY at 0
//                (stored as text, not as a row-id alias), type at 1. An older layout is read
//                by position: user name at 1, nickname at 2, type at 6. The statement in the
//                schema tells which.
//   Chat_<md5>   (9 columns)   one table per friend, named by the MD5 of its user name:
//                0 TableVer, 1 MesLocalID (the row-id alias, stored as NULL), 2 MesSvrID,
//                3 CreateTime (seconds since 1970-01-01), 4 Message (UTF-8), 5 Status,
//                6 ImgStatus, 7 Type, 8 Des (0: sent by the owner, 1: received).
//
// Freelist pages whose rows have nine columns are read as deleted messages of a friend the
// reader cannot name ("Unknown").
#include "db/wechat_reader.h"

#include <gcrypt.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "db/column_dates.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/text_sort.h"
#include "platform/crypto_start.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::db {

namespace {

// A name no table has: its scan reads nothing but the freelist pages of the Chat_ width.
constexpr char kFreePagesTable[] = "Chat_FreePageNumber";
constexpr wchar_t kUnknownFriend[] = L"Unknown";
constexpr std::size_t kChatWidth = 9;

struct FriendColumns {
  int userName = 1, nickname = 2, type = 6;
};

FriendColumns friendColumns(const std::vector<SchemaEntry>& schema) {
  FriendColumns f;
  const TableLayout table = TableLayout::of(schema, "Friend");
  f.userName = table.position({"userName", "UsrName"}, f.userName);
  f.nickname = table.position({"NickName", "nickname"}, f.nickname);
  f.type = table.position({"type"}, f.type);
  return f;
}

TableScan scanOf(const std::string& table, bool withFreelist) {
  TableScan scan;
  scan.shape = knownTableShape(table);
  scan.withFreelist = withFreelist;
  return scan;
}

int scanFriends(SqlitePageReader& reader, const FriendColumns& fc,
                std::vector<ScannedRow<FriendRow>>* out) {
  auto decode = [&fc](SqlitePageReader& r, const RowImage& row, FriendRow* f) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    std::int64_t type = 0;
    if (cols.integer(fc.type, &type)) f->type = static_cast<std::int32_t>(type);
    if (cols.text(fc.userName, &f->userName) == RowColumns::Text::kBad ||
        cols.text(fc.nickname, &f->nickname) == RowColumns::Text::kBad)
      return kInvalid;
    return kOk;
  };
  auto sink = collectRows<FriendRow>(decode, out);
  return reader.ScanTable("Friend", scanOf("Friend", true), &sink);
}

// Where a Chat_ table's columns lie, by name; the README layout's places when a table has no
// statement (the freelist pages of no table).
struct ChatColumns {
  int date = 3, text = 4, direction = 8;
  static ChatColumns of(const TableLayout& table) {
    ChatColumns c;
    c.date = table.position({"CreateTime"}, c.date);
    c.text = table.position({"Message"}, c.text);
    c.direction = table.position({"Des"}, c.direction);
    return c;
  }
};

// One message row of a Chat_ table.
int decodeMessage(SqlitePageReader& r, const RowImage& row, const ChatColumns& columns,
                  LocalDates& dates, ChatRow* m) {
  RowColumns cols;
  RowImage image = row;
  if (row.carvedLayout && row.size > 0) {
    // The row-id alias of these tables is column 1, not 0: column 0 (TableVer) holds a value.
    // A freed cell whose serial types now begin with a zero (the alias's NULL) begins at
    // column 1 with eight types left; one that begins with anything else still has column 0.
    const bool fromAlias = row.data[0] == 0;
    image.firstColumn = fromAlias ? 1 : 0;
    image.typeCount = fromAlias ? kChatWidth - 1 : kChatWidth;
  }
  if (cols.load(image, r.textEncoding()) != kOk) return kInvalid;
  m->rowId = static_cast<std::uint32_t>(row.rowId);
  m->date = columnDate(cols, columns.date, DateForm::kUnixSeconds, dates);
  // The direction is one of the constants 0 (sent) and 1 (received).
  if (cols.holdsZero(columns.direction)) m->sent = 1;
  if (cols.text(columns.text, &m->text) == RowColumns::Text::kBad) return kInvalid;
  if (m->text.empty()) return kInvalid;
  return kOk;
}

// Freed cells of a Chat_ table whose first four bytes took the header up to the alias: their
// serial types begin with the alias's NULL and eight types are left. The carver counts from
// column 0 by its first-byte rule and measures nine types there, so it misses them; they are
// carved again here, measured with eight.
int carveFromAlias(SqlitePageReader& reader, const std::string& table, RowSink* sink) {
  RootPageMap roots;
  int result = reader.FindRootPages(table, &roots);
  std::vector<std::uint8_t> page(reader.pageSize() + kBufferPad);
  TableShape shape;
  shape.width = static_cast<int>(kChatWidth) - 1;
  for (const auto& root : roots) {
    int rc = reader.ReadPage(root.first, page.data());
    LiveCellMap leaves;
    if (rc == kOk) rc = reader.CollectLiveCells(page.data(), root.first, &leaves);
    if (rc != kOk && result == kOk) result = rc;
    for (const auto& leaf : leaves) {
      rc = reader.ReadPage(leaf.first, page.data());
      if (rc != kOk) {
        if (result == kOk) result = rc;
        continue;
      }
      std::vector<CarvedCandidate> candidates;
      carvePage(page.data(), reader.carveContext(leaf.first, shape), &candidates);
      for (const CarvedCandidate& c : candidates) {
        if (page[c.offset] != 0 || c.firstOverflow != 0) continue;
        sink->onRow(reader, reader.carvedRowImage(leaf.first, page.data(), c));
      }
    }
  }
  return result;
}

std::wstring messageKey(const ChatRow& m) {
  return fieldsKey(m.sent, m.date, m.text);
}

}  // namespace

std::string weChatTableName(std::string_view userName) {
  platform::startGcrypt();
  unsigned char digest[16];
  gcry_md_hash_buffer(GCRY_MD_MD5, digest, userName.data(), userName.size());
  static const char kHex[] = "0123456789abcdef";
  std::string name = "Chat_";
  for (unsigned char b : digest) {
    name += kHex[b >> 4];
    name += kHex[b & 15];
  }
  return name;
}

int ReadWeChat(const DatabaseFile& file, ChatRowMap* chats) {
  SqlitePageReader reader;
  int rc = reader.Open(file);
  if (rc != kOk) return rc;
  std::vector<ScannedRow<FriendRow>> friends;
  rc = scanFriends(reader, friendColumns(readSchemaOf(reader)), &friends);
  if (rc != kOk) return rc;

  int result = kOk;
  auto note = [&result](int code) {
    if (result == kOk && code != kOk) result = code;
  };
  // Messages listed under every friend: a freelist row equal to one of them is a copy the
  // database left behind when it moved the cell, not another message.
  KeptRows<std::wstring> listed;
  // A friend listed twice (a deleted copy of its row) has its table read once.
  std::set<std::wstring> done;
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  LocalDates dates;
  for (const auto& scanned : friends) {
    const FriendRow& f = scanned.record;
    if (f.userName.empty() || !done.insert(f.userName).second) continue;
    std::vector<ScannedRow<ChatRow>> rows;
    const std::string table = weChatTableName(platform::toUtf8(f.userName));
    const ChatColumns columns = ChatColumns::of(TableLayout::of(schema, table));
    auto sink = collectRows<ChatRow>(
        [&columns, &dates](SqlitePageReader& r, const RowImage& row, ChatRow* m) {
          return decodeMessage(r, row, columns, dates, m);
        },
        &rows);
    note(reader.ScanTable(table, scanOf(table, false), &sink));
    note(carveFromAlias(reader, table, &sink));
    dropLeftoverCopies(&rows, messageKey);
    if (rows.empty()) continue;
    std::vector<ChatRow>& list = (*chats)[f.userName];
    std::vector<ChatRow> sorted;
    sorted.reserve(rows.size());
    for (auto& m : rows) {
      // Deleted rows already listed under their friend count too: a freelist page can hold
      // another copy of them.
      listed.add(messageKey(m.record), m.rowId);
      sorted.push_back(std::move(m.record));
    }
    sortByDate(&sorted);
    for (ChatRow& m : sorted) list.push_back(std::move(m));
  }

  std::vector<ScannedRow<ChatRow>> unknown;
  const ChatColumns readmeColumns;
  auto sink = collectRows<ChatRow>(
      [&readmeColumns, &dates](SqlitePageReader& r, const RowImage& row, ChatRow* m) {
        return decodeMessage(r, row, readmeColumns, dates, m);
      },
      &unknown);
  const TableScan freePages = scanOf(kFreePagesTable, true);
  note(reader.ScanTable(kFreePagesTable, freePages, &sink));
  note(reader.ScanEmptyFreelistPages(freePages.shape, &sink));
  unknown.erase(std::remove_if(unknown.begin(), unknown.end(),
                               [&listed](const ScannedRow<ChatRow>& m) {
                                 return listed.covers(messageKey(m.record), m.rowId);
                               }),
                unknown.end());
  dropLeftoverCopies(&unknown, messageKey);
  if (!unknown.empty()) {
    std::vector<ChatRow> kept;
    kept.reserve(unknown.size());
    for (auto& m : unknown) kept.push_back(std::move(m.record));
    sortByDate(&kept);
    std::vector<ChatRow>& list = (*chats)[kUnknownFriend];
    for (ChatRow& m : kept) list.push_back(std::move(m));
  }
  return result;
}

}  // namespace qv::db
