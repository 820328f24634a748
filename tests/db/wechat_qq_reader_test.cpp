// The WeChat and QQ readers against MM.sqlite and QQ.db fixtures: live rows exactly as SQLite
// returns them, deleted rows recovered under the right key, stale copies and other friends'
// rows kept out.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>

#include "db/qq_reader.h"
#include "db/wechat_reader.h"
#include "platform/result.h"
#include "samples/appdb_qq.h"
#include "samples/appdb_wechat.h"
#include "tests/db/chat_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::SqlRow;
using samples::SqlValue;
using testing::wide;

// Compares the live rows of one conversation with the rows SQLite returns for
// "SELECT rowid, date, text, direction".
void expectLiveRows(const std::vector<ChatRow>& got, const std::vector<SqlRow>& rows) {
  std::map<std::uint32_t, ChatRow> want;
  for (const SqlRow& r : rows) {
    if (!testing::deliverable(r[2])) continue;
    ChatRow m;
    m.rowId = static_cast<std::uint32_t>(r[0].integer);
    m.date = testing::unixDate(r[1]);
    m.text = wide(r[2].bytes);
    m.sent = r[3].integer == 0 ? 1 : 0;
    want[m.rowId] = m;
  }
  ASSERT_FALSE(want.empty());
  std::size_t live = 0;
  for (const ChatRow& m : got) {
    if (m.deleted != 0) continue;
    ++live;
    auto it = want.find(m.rowId);
    ASSERT_NE(it, want.end()) << "unexpected live row " << m.rowId;
    EXPECT_EQ(m.date, it->second.date);
    EXPECT_TRUE(m.text == it->second.text) << m.rowId;
    EXPECT_EQ(m.sent, it->second.sent);
    EXPECT_TRUE(m.spare1.empty() && m.spare2.empty());
  }
  EXPECT_EQ(live, want.size());
}

void expectDateOrder(const ChatRowMap& chats) {
  for (const auto& chat : chats) {
    for (std::size_t i = 1; i < chat.second.size(); ++i) {
      EXPECT_LE(chat.second[i - 1].date, chat.second[i].date);
    }
  }
}

// Checks that each deleted row (text column `textColumn`) shows as a deleted record under one
// of `keys`, or that its bytes are gone from the file; and that every deleted record shown is
// one of the deleted rows, once.
void expectDeleted(const ChatRowMap& chats, const std::string& file,
                   const std::map<std::wstring, std::vector<SqlRow>>& deletedByKey,
                   std::size_t textColumn) {
  std::map<std::wstring, std::multiset<std::wstring>> shown;
  for (const auto& chat : chats) {
    for (const ChatRow& m : chat.second) {
      if (m.deleted == 1) shown[chat.first].insert(m.text);
    }
  }
  std::set<std::wstring> expected;
  std::size_t recovered = 0, total = 0;
  std::vector<std::string> missed;
  for (const auto& key : deletedByKey) {
    for (const SqlRow& row : key.second) {
      const SqlValue& text = row[textColumn];
      if (!testing::deliverable(text)) continue;
      ++total;
      expected.insert(wide(text.bytes));
      if (shown[key.first].count(wide(text.bytes)) != 0) {
        ++recovered;
        continue;
      }
      // A spilled row's overflow chain went to the freelist and its first page became the
      // trunk page: the text cannot be read whole.
      if (text.bytes.size() > 1024) continue;
      if (samples::contentIntact(file, row, "UTF-8")) missed.push_back(text.bytes);
    }
  }
  // Known gap of the page carver, not of these readers: in the QQ fixture one row freed in
  // the run lies 111 bytes into the freelist trunk page (past its list) and in the gap of a
  // live leaf, and neither carving pass proposes it. Anything more is a fault.
  EXPECT_LE(missed.size(), 1u);
  for (const std::string& m : missed) {
    std::cout << "  deleted row in the file but not recovered: " << m << "\n";
  }
  EXPECT_GE(recovered, total * 3 / 4);
  for (const auto& key : shown) {
    for (const std::wstring& t : key.second) {
      EXPECT_EQ(expected.count(t), 1u) << "a deleted record that was never deleted";
      EXPECT_EQ(key.second.count(t), 1u) << "a deleted row shown twice";
    }
  }
}

std::vector<SqlRow> rowsOf(const std::map<std::int64_t, SqlRow>& rows) {
  std::vector<SqlRow> out;
  for (const auto& r : rows) out.push_back(r.second);
  return out;
}

// ---- WeChat -------------------------------------------------------------------------------

TEST(WeChatReader, TableNamesAreTheMd5OfTheUserName) {
  EXPECT_EQ(weChatTableName(""), "Chat_d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(weChatTableName("abc"), "Chat_900150983cd24fb0d6963f7d28e17f72");
}

class WeChatFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.file("MM.sqlite");
    ASSERT_EQ(samples::buildWeChatDatabase(path_, &db_), 0);
    ASSERT_EQ(ReadWeChat(path_, &chats_), 0);
  }
  fixtures::TempFolder folder_;
  samples::SqliteFixture db_;
  std::string path_;
  ChatRowMap chats_;
};

TEST_F(WeChatFixture, LiveRowsAreWhatSqliteReturns) {
  for (const char* name : {samples::kWeChatAlice, samples::kWeChatBob, samples::kWeChatGroup}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(chats_.count(wide(name)), 1u);
    expectLiveRows(chats_[wide(name)],
                   testing::queryRows(path_, "SELECT MesLocalID, CreateTime, Message, Des FROM " +
                                                 weChatTableName(name)));
  }
  expectDateOrder(chats_);
}

TEST_F(WeChatFixture, DeletedRowsAreRecoveredAndStaleCopiesAreNot) {
  const std::string file = samples::readFileBytes(path_);
  // Rows grown by an update left their old cells behind: stale copies lie in the file.
  EXPECT_GE(testing::occurrences(file, "Yes, on the 9:15 train") +
                testing::occurrences(file, "早上好! Are you coming today?"),
            3u);
  const std::string alice = weChatTableName(samples::kWeChatAlice);
  const std::string bob = weChatTableName(samples::kWeChatBob);
  const std::string gone = weChatTableName(samples::kWeChatGone);
  // Rows carved from a friend's own pages stay with the friend; rows of freelist pages (the
  // run of Bob's deletion, the dropped table) cannot be given a friend: "Unknown".
  std::map<std::wstring, std::vector<SqlRow>> deleted;
  deleted[wide(samples::kWeChatAlice)] = rowsOf(db_.deleted(alice));
  deleted[L"Unknown"] = rowsOf(db_.live(gone));
  std::vector<SqlRow> bobs = rowsOf(db_.deleted(bob));
  // Bob's run freed whole pages and left freeblocks on the pages that stayed: such a row is
  // under Bob or under "Unknown".
  ChatRowMap merged = chats_;
  for (ChatRow& m : merged[wide(samples::kWeChatBob)]) {
    if (m.deleted == 1) merged[L"Unknown"].push_back(m);
  }
  merged.erase(wide(samples::kWeChatBob));
  deleted[L"Unknown"].insert(deleted[L"Unknown"].end(), bobs.begin(), bobs.end());
  expectDeleted(merged, file, deleted, 4);
  ASSERT_EQ(chats_.count(L"Unknown"), 1u);
}

TEST_F(WeChatFixture, FriendsWithoutTablesAddNoEntryAndBadTextsAreDropped) {
  EXPECT_EQ(chats_.count(wide(samples::kWeChatNoTable)), 0u);
  EXPECT_EQ(chats_.count(wide(samples::kWeChatGone)), 0u);
  EXPECT_EQ(chats_.size(), 4u);  // Alice, Bob, the group, Unknown
  std::string longText = "长消息: ";
  while (longText.size() < 2500) longText += "We will meet at the north gate of the park. ";
  bool sawLong = false;
  for (const auto& chat : chats_) {
    for (const ChatRow& m : chat.second) {
      EXPECT_FALSE(m.text.empty());
      EXPECT_EQ(m.text.find(L'\xFFFD'), std::wstring::npos);
      EXPECT_NE(m.text, L"Cut");
      sawLong = sawLong || m.text == wide(longText);
    }
  }
  EXPECT_TRUE(sawLong);
}

TEST(WeChatReader, AMissingFileLeavesTheMapAsItWas) {
  fixtures::TempFolder folder;
  ChatRowMap chats;
  EXPECT_EQ(ReadWeChat(folder.file("MM.sqlite"), &chats), kErrFileNotFound);
  EXPECT_TRUE(chats.empty());
}

// ---- QQ -----------------------------------------------------------------------------------

class QqFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.file("QQ.db");
    ASSERT_EQ(samples::buildQqDatabase(path_, &db_), 0);
    ASSERT_EQ(ReadQQ(path_, &chats_), 0);
  }
  fixtures::TempFolder folder_;
  samples::SqliteFixture db_;
  std::string path_;
  ChatRowMap chats_;
};

TEST_F(QqFixture, LiveRowsAreWhatSqliteReturns) {
  for (const char* n : {samples::kQqFriendA, samples::kQqFriendB}) {
    SCOPED_TRACE(n);
    ASSERT_EQ(chats_.count(wide(n)), 1u);
    expectLiveRows(chats_[wide(n)],
                   testing::queryRows(
                       path_, "SELECT msgId, time, content, flag FROM " + samples::qqTableName(n)));
  }
  expectDateOrder(chats_);
}

TEST_F(QqFixture, DeletedRowsAreRecoveredUnderTheirFriendOnly) {
  const std::string file = samples::readFileBytes(path_);
  // Rows grown by an update left their old cells behind: stale copies lie in the file.
  std::size_t copies = 0;
  for (const char* moved : {"Sure, 12:30 at the noodle bar", "你好! Lunch tomorrow?",
                            "B message 79: ", "B message 80: ", "B message 81: "}) {
    copies += testing::occurrences(file, moved) - 1;
  }
  EXPECT_GE(copies, 1u);
  std::map<std::wstring, std::vector<SqlRow>> deleted;
  const std::string a = samples::qqTableName(samples::kQqFriendA);
  const std::string b = samples::qqTableName(samples::kQqFriendB);
  deleted[wide(samples::kQqFriendA)] = rowsOf(db_.deleted(a));
  // B's run freed whole pages: the freelist phase of B's own scan finds them by the number.
  deleted[wide(samples::kQqFriendB)] = rowsOf(db_.deleted(b));
  // A dropped table that is still listed: all its rows come from the freelist.
  deleted[wide(samples::kQqFriendDropped)] =
      rowsOf(db_.live(samples::qqTableName(samples::kQqFriendDropped)));
  // The friend whose listing row was deleted too is not read: that row's whole header (length,
  // row id, header size and the one serial type) lay in the four bytes the freeblock header
  // overwrote, so nothing names its table.
  ChatRowMap shown = chats_;
  EXPECT_EQ(shown.count(wide(samples::kQqFriendGone)), 0u);
  expectDeleted(shown, file, deleted, 6);
  for (const auto& chat : chats_) {
    for (const ChatRow& m : chat.second) {
      EXPECT_EQ(m.text.find(L"Gone friend line"), std::wstring::npos)
          << "a row of another friend's freed table";
    }
  }
  EXPECT_EQ(chats_.size(), 3u);
}

TEST_F(QqFixture, BadTextsAreDroppedAndDirectionsRead) {
  std::map<std::wstring, std::uint32_t> sent;
  for (const ChatRow& m : chats_[wide(samples::kQqFriendA)]) sent[m.text] = m.sent;
  EXPECT_EQ(sent.at(wide("你好! Lunch tomorrow?")), 0u);
  EXPECT_EQ(sent.at(L"Sure, 12:30 at the noodle bar"), 1u);
  for (const auto& s : sent) {
    EXPECT_FALSE(s.first.empty());
    EXPECT_EQ(s.first.find(L'\xFFFD'), std::wstring::npos);
    EXPECT_NE(s.first, L"Cut");
  }
}

}  // namespace
}  // namespace qv::db
