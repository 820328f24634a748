#include "samples/appdb_wechat.h"

#include <vector>

#include "db/wechat_reader.h"

namespace qv::samples {

const char* const kWeChatDomain = "AppDomain-com.tencent.xin";
const char* const kWeChatAlice = "wxid_alice7k2";
const char* const kWeChatBob = "wxid_bob93x";
const char* const kWeChatGroup = "20877365124@chatroom";
const char* const kWeChatNoTable = "wxid_quiet000";
const char* const kWeChatGone = "wxid_gone55";

namespace {

const char kFriendSql[] =
    "CREATE TABLE Friend (userName TEXT PRIMARY KEY, type INTEGER DEFAULT 0, "
    "certificationFlag INTEGER DEFAULT 0, imgStatus INTEGER DEFAULT 0, encodeUserName TEXT, "
    "dbContactLocal BLOB, dbContactOther BLOB, dbContactRemark BLOB, dbContactHeadImage BLOB, "
    "dbContactProfile BLOB, dbContactSocial BLOB, dbContactChatRoom BLOB, dbContactBrand BLOB)";

std::string chatSql(const std::string& table) {
  return "CREATE TABLE " + table +
         " (TableVer INTEGER DEFAULT 1, MesLocalID INTEGER PRIMARY KEY AUTOINCREMENT, "
         "MesSvrID INTEGER DEFAULT 0, CreateTime INTEGER DEFAULT 0, Message TEXT, "
         "Status INTEGER DEFAULT 0, ImgStatus INTEGER DEFAULT 0, Type INTEGER, Des INTEGER)";
}

// Unix seconds of the first message (2021-03-10 08:00:00 UTC).
constexpr std::int64_t kStart = 1615363200;

int addFriend(SqliteFixture* db, const char* userName, std::int64_t type) {
  SqlRow row(13);
  row[0] = SqlValue::text(userName);
  row[1] = SqlValue::of(type);
  row[4] = SqlValue::text(std::string("v1_") + userName);
  row[7] = SqlValue::blob(std::string("\x0a\x05Remark", 8));
  return db->insert("Friend", row);
}

int addMessage(SqliteFixture* db, const std::string& table, std::int64_t minutes, bool sent,
               SqlValue text) {
  SqlRow row(9);
  row[0] = SqlValue::of(1);
  row[2] = SqlValue::of(7000000000000000000LL + minutes);
  row[3] = SqlValue::of(kStart + minutes * 60);
  row[4] = std::move(text);
  row[5] = SqlValue::of(sent ? 2 : 4);
  row[7] = SqlValue::of(1);
  row[8] = SqlValue::of(sent ? 0 : 1);
  return db->insert(table, row);
}

}  // namespace

std::string weChatRelativePath() {
  return "Documents/" + db::weChatTableName("wxid_owner01").substr(5) + "/DB/MM.sqlite";
}

int buildWeChatDatabase(const std::string& path, SqliteFixture* db) {
  SqliteOptions options;
  options.pageSize = 1024;
  int rc = db->create(path, options);
  const std::string alice = db::weChatTableName(kWeChatAlice);
  const std::string bob = db::weChatTableName(kWeChatBob);
  const std::string group = db::weChatTableName(kWeChatGroup);
  const std::string gone = db::weChatTableName(kWeChatGone);
  if (rc == 0) rc = db->exec(kFriendSql);
  for (const std::string& t : {alice, bob, group, gone}) {
    if (rc == 0) rc = db->exec(chatSql(t));
  }
  if (rc == 0) rc = db->begin();
  if (rc == 0) rc = addFriend(db, kWeChatAlice, 3);
  if (rc == 0) rc = addFriend(db, kWeChatBob, 3);
  if (rc == 0) rc = addFriend(db, kWeChatGroup, 2);
  if (rc == 0) rc = addFriend(db, kWeChatNoTable, 3);
  if (rc == 0) rc = addFriend(db, kWeChatGone, 3);

  std::string longText = "长消息: ";
  while (longText.size() < 2500) longText += "We will meet at the north gate of the park. ";
  struct Line {
    std::int64_t minutes;
    bool sent;
    SqlValue text;
  };
  const std::vector<Line> aliceLines = {
      {0, false, SqlValue::text("早上好! Are you coming today?")},
      {1, true, SqlValue::text("Yes, on the 9:15 train")},
      {2, false, SqlValue::text(longText)},
      {3, true, SqlValue::text("Broken \xEF\xBF\xBD text")},        // dropped
      {4, false, SqlValue::text(std::string("Cut\0off", 7))},       // dropped
      {5, false, SqlValue::text("")},                               // not listed
      {6, true, SqlValue::text("Deleted: I'll call you at noon")},  // deleted (row 7)
      {7, false, SqlValue::text("Deleted: okay 👍")},                // deleted (row 8)
      {8, true, SqlValue::text("See you soon")},
  };
  for (const Line& l : aliceLines) {
    if (rc == 0) rc = addMessage(db, alice, l.minutes, l.sent, l.text);
  }
  for (int i = 0; i < 150 && rc == 0; ++i) {
    rc = addMessage(db, bob, 100 + i, i % 2 == 0,
                    SqlValue::text("Bob line " + std::to_string(i) + ": the report is due on " +
                                   std::to_string(1 + i % 28) + " March"));
  }
  if (rc == 0) rc = addMessage(db, group, 300, false, SqlValue::text("群聊: dinner at 7?"));
  if (rc == 0) rc = addMessage(db, group, 301, true, SqlValue::text("Count me in"));
  for (int i = 0; i < 30 && rc == 0; ++i) {
    rc = addMessage(
        db, gone, 400 + i, i % 2 == 1,
        SqlValue::text("Gone chat line " + std::to_string(i) + " — nobody reads this any more"));
  }
  if (rc == 0) rc = db->commit();
  // Grown rows move; their old cells stay behind as stale copies.
  if (rc == 0)
    rc = db->exec("UPDATE " + alice +
                  " SET Status = 123456789, ImgStatus = 987654321 WHERE MesLocalID IN (1, 2)");
  if (rc == 0) rc = db->deleteRows(alice, {7, 8});
  std::vector<std::int64_t> run;
  for (std::int64_t id = 40; id <= 110; ++id) run.push_back(id);
  if (rc == 0) rc = db->deleteRows(bob, run);
  if (rc == 0) rc = db->deleteRows("Friend", {5});
  // The whole table goes: its pages, cells intact, join the freelist.
  if (rc == 0) rc = db->exec("DROP TABLE " + gone);
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

}  // namespace qv::samples
