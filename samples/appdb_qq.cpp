#include "samples/appdb_qq.h"

#include <vector>

namespace qv::samples {

const char* const kQqDomain = "AppDomain-com.tencent.mqq";
const char* const kQqOwner = "10020030";
const char* const kQqFriendA = "33445566";
const char* const kQqFriendB = "77889900";
const char* const kQqFriendGone = "55500011";
const char* const kQqFriendDropped = "66600022";

std::string qqRelativePath() {
  return std::string("Documents/contents/") + kQqOwner + "/QQ.db";
}

std::string qqTableName(const std::string& number) {
  return "tb_c2cMsg_" + number;
}

namespace {

std::string messageSql(const std::string& table) {
  std::string sql = "CREATE TABLE " + table +
                    " (msgId INTEGER PRIMARY KEY, uin TEXT, time INTEGER, type INTEGER, "
                    "flag INTEGER, read INTEGER, content TEXT, picUrl TEXT";
  for (int i = 8; i < 50; ++i) sql += ", ext" + std::to_string(i) + " INTEGER";
  return sql + ")";
}

constexpr std::int64_t kStart = 1615366800;  // 2021-03-10 09:00:00 UTC

int addMessage(SqliteFixture* db, const std::string& number, std::int64_t minutes, bool sent,
               SqlValue text) {
  SqlRow row(50);
  row[1] = SqlValue::text(number);
  row[2] = SqlValue::of(kStart + minutes * 60);
  row[3] = SqlValue::of(0);
  row[4] = SqlValue::of(sent ? 0 : 1);
  row[5] = SqlValue::of(1);
  row[6] = std::move(text);
  row[9] = SqlValue::of(minutes);
  return db->insert(qqTableName(number), row);
}

}  // namespace

int buildQqDatabase(const std::string& path, SqliteFixture* db) {
  SqliteOptions options;
  options.pageSize = 1024;
  int rc = db->create(path, options);
  if (rc == 0) rc = db->exec("CREATE TABLE tb_c2cTables (uin TEXT)");
  for (const char* n : {kQqFriendA, kQqFriendB, kQqFriendGone, kQqFriendDropped}) {
    if (rc == 0) rc = db->exec(messageSql(qqTableName(n)));
  }
  if (rc == 0) rc = db->begin();
  for (const char* n : {kQqFriendA, kQqFriendB, kQqFriendGone, kQqFriendDropped}) {
    if (rc == 0) rc = db->insert("tb_c2cTables", {SqlValue::text(qqTableName(n))});
  }
  std::string longText = "很长的消息 ";
  while (longText.size() < 2200) longText += "the ferry leaves at half past four from pier 3; ";
  const std::vector<std::pair<bool, SqlValue>> lines = {
      {false, SqlValue::text("你好! Lunch tomorrow?")},
      {true, SqlValue::text("Sure, 12:30 at the noodle bar")},
      {false, SqlValue::text(longText)},
      {true, SqlValue::text("Broken \xEF\xBF\xBD text")},     // dropped
      {false, SqlValue::text(std::string("Cut\0off", 7))},    // dropped
      {false, SqlValue::text("")},                            // not listed
      {true, SqlValue::text("Deleted: bring the tickets")},   // deleted (row 7)
      {false, SqlValue::text("Deleted: already have them")},  // deleted (row 8)
      {true, SqlValue::text("Great")},
  };
  for (std::size_t i = 0; i < lines.size() && rc == 0; ++i) {
    rc = addMessage(db, kQqFriendA, static_cast<std::int64_t>(i), lines[i].first, lines[i].second);
  }
  for (int i = 0; i < 100 && rc == 0; ++i) {
    rc = addMessage(db, kQqFriendB, 100 + i, i % 2 == 0,
                    SqlValue::text("B message " + std::to_string(i) +
                                   ": the parcel arrives on day " + std::to_string(1 + i % 30)));
  }
  for (int i = 0; i < 20 && rc == 0; ++i) {
    rc = addMessage(db, kQqFriendGone, 200 + i, i % 2 == 1,
                    SqlValue::text("Gone friend line " + std::to_string(i)));
  }
  for (int i = 0; i < 20 && rc == 0; ++i) {
    rc =
        addMessage(db, kQqFriendDropped, 250 + i, i % 2 == 0,
                   SqlValue::text("Dropped chat line " + std::to_string(i) + ", kept in the list"));
  }
  if (rc == 0) rc = db->commit();
  if (rc == 0)
    rc = db->exec(
        "UPDATE " + qqTableName(kQqFriendA) +
        " SET picUrl = '{\"url\":\"https://example.invalid/p/1.jpg\"}' WHERE msgId IN (1, 2)");
  if (rc == 0)
    rc = db->exec("UPDATE " + qqTableName(kQqFriendB) +
                  " SET picUrl = '{\"url\":\"https://example.invalid/p/2.jpg\"}' WHERE msgId IN "
                  "(80, 81, 82)");
  if (rc == 0) rc = db->deleteRows(qqTableName(kQqFriendA), {7, 8});
  std::vector<std::int64_t> run;
  for (std::int64_t id = 30; id <= 75; ++id) run.push_back(id);
  if (rc == 0) rc = db->deleteRows(qqTableName(kQqFriendB), run);
  if (rc == 0) rc = db->deleteRows("tb_c2cTables", {3});
  if (rc == 0) rc = db->exec("DROP TABLE " + qqTableName(kQqFriendGone));
  if (rc == 0) rc = db->exec("DROP TABLE " + qqTableName(kQqFriendDropped));
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

}  // namespace qv::samples
