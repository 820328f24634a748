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

// A name no table has: its scan reads nothing but the freelist pages of the Chat_ width.
constexpr char kFreePagesTable[] = "Chat_FreePageNumber";
constexpr wchar_t kUnknownFriend[] = L"Unknown";

struct FriendColumns {
  int userName = 1, nickname = 2, type = 6;
};

void initGcrypt() {
  static const bool ready = [] {
    if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
      gcry_check_version(nullptr);
      gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
      gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    }
    return true;
  }();
  (void)ready;
}

FriendColumns friendColumns(const std::vector<SchemaEntry>& schema) {
  FriendColumns f;
  const auto names = columnsOfTable(schema, "Friend");
  f.userName = positionOf(names, {"userName", "UsrName"}, 1);
  f.nickname = positionOf(names, {"NickName", "nickname"}, 2);
  f.type = positionOf(names, {"type"}, 6);
  return f;
}

int scanFriends(SqlitePageReader& reader, const FriendColumns& fc, std::vector<FriendRow>* out) {
  auto sink = makeSink([&](SqlitePageReader& r, const RowImage& row) {
    RowColumns cols;
    if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
    FriendRow f;
    f.deleted = row.deleted;
    std::int64_t type = 0;
    if (cols.integer(fc.type, &type)) f.type = static_cast<std::int32_t>(type);
    if (cols.text(fc.userName, &f.userName) == RowColumns::Text::kBad ||
        cols.text(fc.nickname, &f.nickname) == RowColumns::Text::kBad)
      return kInvalid;
    out->push_back(std::move(f));
    return kOk;
  });
  return reader.ScanTable("Friend", &sink);
}

// One message row of a Chat_ table.
int decodeMessage(SqlitePageReader& r, const RowImage& row, std::vector<ChatRow>* out) {
  RowColumns cols;
  if (cols.load(row, r.textEncoding()) != kOk) return kInvalid;
  ChatRow m;
  m.deleted = row.deleted;
  m.rowId = static_cast<std::uint32_t>(row.rowId);
  std::int64_t v = 0;
  if (cols.integer(3, &v)) m.date = formatUnixTime(v);
  if (cols.integer(8, &v)) {
    const RecordColumn* c = cols.column(8);
    // The direction is one of the constants 0 (sent) and 1 (received).
    if (c->serialType == 8 || (v == 0 && c->serialType <= 4)) m.sent = 1;
  }
  if (cols.text(4, &m.text) == RowColumns::Text::kBad) return kInvalid;
  if (m.text.empty()) return kInvalid;
  out->push_back(std::move(m));
  return kOk;
}

auto messageFields(const ChatRow& m) { return std::make_tuple(m.sent, m.date, m.text); }

}  // namespace

std::string weChatTableName(std::string_view userName) {
  initGcrypt();
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

int ReadWeChat(const std::string& path, ChatRowMap* chats) {
  SqlitePageReader reader;
  int rc = reader.Open(path);
  if (rc != kOk) return rc;
  std::vector<SchemaEntry> schema;
  reader.ReadSchema(&schema);
  std::vector<FriendRow> friends;
  rc = scanFriends(reader, friendColumns(schema), &friends);
  if (rc != kOk) return rc;

  int result = kOk;
  // Live messages of every friend's table: a freelist row equal to one of them is a copy the
  // database left behind when it moved the cell, not a deleted message.
  using Fields = decltype(messageFields(ChatRow()));
  std::set<Fields> liveMessages;
  std::set<std::pair<std::uint32_t, Fields>> liveMessagesWithId;
  // A friend listed twice (a deleted copy of its row) has its table read once.
  std::set<std::wstring> done;
  for (const FriendRow& f : friends) {
    if (f.userName.empty() || !done.insert(f.userName).second) continue;
    std::vector<ChatRow> rows;
    auto sink = makeSink([&](SqlitePageReader& r, const RowImage& row) {
      return decodeMessage(r, row, &rows);
    });
    rc = reader.ScanTable(weChatTableName(platform::toUtf8(f.userName)), &sink, false);
    if (rc != kOk && result == kOk) result = rc;
    dropStaleCopies(&rows, [](const ChatRow& m) { return messageFields(m); });
    if (rows.empty()) continue;
    for (const ChatRow& m : rows) {
      if (m.deleted != 0) continue;
      liveMessages.insert(messageFields(m));
      liveMessagesWithId.insert({m.rowId, messageFields(m)});
    }
    sortByDate(&rows);
    std::vector<ChatRow>& list = (*chats)[f.userName];
    for (ChatRow& m : rows) list.push_back(std::move(m));
  }

  std::vector<ChatRow> unknown;
  auto sink = makeSink([&](SqlitePageReader& r, const RowImage& row) {
    return decodeMessage(r, row, &unknown);
  });
  rc = reader.ScanTable(kFreePagesTable, &sink, true);
  if (rc != kOk && result == kOk) result = rc;
  unknown.erase(std::remove_if(unknown.begin(), unknown.end(),
                               [&](const ChatRow& m) {
                                 // Cells of freelist pages keep their row id; carved rows
                                 // have none to compare.
                                 if (m.rowId == 0) return liveMessages.count(messageFields(m)) != 0;
                                 return liveMessagesWithId.count({m.rowId, messageFields(m)}) != 0;
                               }),
                unknown.end());
  dropStaleCopies(&unknown, [](const ChatRow& m) { return messageFields(m); });
  if (!unknown.empty()) {
    sortByDate(&unknown);
    std::vector<ChatRow>& list = (*chats)[kUnknownFriend];
    for (ChatRow& m : unknown) list.push_back(std::move(m));
  }
  return result;
}

}  // namespace qv::db
