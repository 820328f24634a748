// The WhatsApp reader against ChatStorage.sqlite fixtures of both message-table layouts: live
// rows exactly as SQLite returns them, deleted rows recovered, stale copies not shown as
// deleted, the joins, and reads on two threads at once.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>

#include "db/qq_reader.h"
#include "db/wechat_reader.h"
#include "db/whatsapp_reader.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "samples/appdb_qq.h"
#include "samples/appdb_wechat.h"
#include "samples/appdb_whatsapp.h"
#include "samples/backup_builder.h"
#include "samples/backup_sample.h"
#include "tests/db/chat_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::SqlRow;
using samples::SqlValue;
using samples::WhatsAppLayout;
using testing::wide;

struct Built {
  fixtures::TempFolder folder;
  samples::SqliteFixture db;
  std::string path;
};

std::unique_ptr<Built> build(WhatsAppLayout layout) {
  auto b = std::make_unique<Built>();
  b->path = b->folder.file("ChatStorage.sqlite");
  EXPECT_EQ(samples::buildWhatsAppDatabase(b->path, layout, &b->db), 0);
  return b;
}

std::vector<ChatRecord> all(const WhatsAppChatMap& chats) {
  std::vector<ChatRecord> out;
  for (const auto& c : chats) out.insert(out.end(), c.second.begin(), c.second.end());
  return out;
}

std::wstring beforeAt(const std::string& jid) {
  const std::size_t at = jid.find('@');
  return wide(at == std::string::npos ? jid : jid.substr(0, at));
}

// What the reader must deliver for each live message, computed from the rows SQLite returns.
// Group members include the deleted ones the reader recovers (here: all the fixture deleted).
std::map<std::uint32_t, ChatRecord> expectedLive(Built& b, bool newer) {
  const auto sessions = testing::queryRows(
      b.path, "SELECT Z_PK, ZCONTACTJID, ZPARTNERNAME FROM ZWACHATSESSION ORDER BY Z_PK");
  auto members = testing::queryRows(
      b.path,
      "SELECT Z_PK, ZCHATSESSION, ZCONTACTNAME, ZMEMBERJID FROM ZWAGROUPMEMBER ORDER BY Z_PK");
  for (const auto& d : b.db.deleted("ZWAGROUPMEMBER")) {
    members.push_back({SqlValue::of(0), d.second[7], d.second[10], d.second[12]});
  }
  const auto media =
      testing::queryRows(b.path, "SELECT Z_PK, ZTITLE FROM ZWAMEDIAITEM ORDER BY Z_PK");
  const auto messages = testing::queryRows(
      b.path, std::string("SELECT Z_PK, ZISFROMME, ZCHATSESSION, ZGROUPMEMBER, ") +
                  (newer ? "ZMEDIAITEM" : "NULL") + ", ZMESSAGEDATE, ZTEXT FROM ZWAMESSAGE");
  EXPECT_GT(messages.size(), 20u);

  std::map<std::uint32_t, ChatRecord> out;
  for (const SqlRow& m : messages) {
    ChatRecord r;
    r.rowId = static_cast<std::uint32_t>(m[0].integer);
    r.fromMe = m[1].integer == 1 ? 1 : 0;
    r.conversationId =
        m[2].kind == SqlValue::kInteger ? static_cast<std::int32_t>(m[2].integer) : -1;
    r.memberId = static_cast<std::int32_t>(m[3].integer);
    r.mediaId = static_cast<std::int32_t>(m[4].integer);
    r.date = testing::appleDate(m[5]);
    SqlValue text = m[6];
    if (text.kind == SqlValue::kText && text.bytes.empty()) text = SqlValue::null();
    if (text.kind == SqlValue::kText && !testing::deliverable(text)) continue;  // dropped
    if (text.kind != SqlValue::kText && r.mediaId != 0) {
      for (const SqlRow& d : media) {
        if (d[0].integer == r.mediaId) text = d[1];
      }
    }
    if (!testing::deliverable(text)) continue;  // nothing to show
    r.text = wide(text.bytes);
    for (const SqlRow& s : sessions) {
      if (s[0].integer != r.conversationId) continue;
      const std::string jid = s[1].bytes;
      const std::wstring partnerNumber =
          jid.find('@') == std::string::npos ? std::wstring() : beforeAt(jid);
      const std::wstring partnerName = wide(s[2].bytes);
      std::wstring numbers, names;
      bool first = true;
      for (const SqlRow& g : members) {
        if (g[1].integer != r.conversationId) continue;
        const std::wstring name = wide(g[2].bytes);
        if (first) {
          numbers = beforeAt(g[3].bytes);
          names = name;
          first = false;
        } else {
          numbers += L"," + beforeAt(g[3].bytes);
          if (!name.empty()) names += L"," + name;
        }
      }
      r.senderNumber = partnerNumber;
      r.senderName = r.partnerName = partnerName;
      r.memberNumbers = numbers.empty() ? partnerNumber : numbers;
      r.memberNames = names.empty() ? partnerName : names;
      if (r.fromMe) {
        r.senderName = L"Me";
        r.senderNumber.clear();
      } else if (r.memberId != 0) {
        for (const SqlRow& g : members) {
          if (g[0].integer == r.memberId) {
            r.senderName = wide(g[2].bytes);
            r.senderNumber = beforeAt(g[3].bytes);
          }
        }
      }
    }
    out[r.rowId] = r;
  }
  return out;
}

void expectSame(const ChatRecord& got, const ChatRecord& want) {
  SCOPED_TRACE("row " + std::to_string(want.rowId));
  EXPECT_EQ(got.fromMe, want.fromMe);
  EXPECT_EQ(got.conversationId, want.conversationId);
  EXPECT_EQ(got.memberId, want.memberId);
  EXPECT_EQ(got.mediaId, want.mediaId);
  EXPECT_EQ(got.date, want.date);
  EXPECT_TRUE(got.text == want.text);
  EXPECT_TRUE(got.senderName == want.senderName);
  EXPECT_TRUE(got.senderNumber == want.senderNumber);
  EXPECT_TRUE(got.memberNames == want.memberNames);
  EXPECT_TRUE(got.memberNumbers == want.memberNumbers);
  EXPECT_TRUE(got.partnerName == want.partnerName);
  EXPECT_TRUE(got.spareText.empty());
}

class WhatsAppLayouts : public ::testing::TestWithParam<WhatsAppLayout> {};

TEST_P(WhatsAppLayouts, LiveRowsAreWhatSqliteReturns) {
  auto b = build(GetParam());
  const bool newer = GetParam() == WhatsAppLayout::kNewer;
  int width = 0;
  ASSERT_EQ(whatsAppMessageWidth(b->path, &width), 0);
  EXPECT_EQ(width, newer ? 34 : 23);

  WhatsAppChatMap chats;
  ASSERT_EQ(ReadWhatsApp(b->path, &chats), 0);
  const auto want = expectedLive(*b, newer);
  std::size_t live = 0;
  for (const auto& chat : chats) {
    for (const ChatRecord& r : chat.second) {
      EXPECT_EQ(r.conversationId, chat.first);
      if (r.deleted != 0) continue;
      ++live;
      auto it = want.find(r.rowId);
      ASSERT_NE(it, want.end()) << "unexpected live row " << r.rowId;
      expectSame(r, it->second);
    }
  }
  EXPECT_EQ(live, want.size());
}

TEST_P(WhatsAppLayouts, DeletedRowsAreRecoveredAndStaleCopiesAreNot) {
  auto b = build(GetParam());
  WhatsAppChatMap chats;
  ASSERT_EQ(ReadWhatsApp(b->path, &chats), 0);
  const std::string file = samples::readFileBytes(b->path);

  // The file holds stale copies: rows grown by an update left their old cells behind.
  std::size_t copies = 0;
  for (const char* moved : {"Hi! Are we still on for Saturday?", "Carol here, I booked the cabin",
                            "Great, see you all there"}) {
    copies += testing::occurrences(file, moved) - 1;
  }
  EXPECT_GE(copies, 1u);

  std::multiset<std::wstring> deletedTexts;
  for (const ChatRecord& r : all(chats)) {
    if (r.deleted == 1) deletedTexts.insert(r.text);
  }
  std::set<std::wstring> expectedDeleted;
  std::size_t recovered = 0;
  for (const auto& d : b->db.deleted("ZWAMESSAGE")) {
    const SqlRow& row = d.second;
    const SqlValue& text = row[GetParam() == WhatsAppLayout::kNewer ? 32 : 21];
    if (!testing::deliverable(text)) continue;
    expectedDeleted.insert(wide(text.bytes));
    if (deletedTexts.count(wide(text.bytes)) != 0) {
      ++recovered;
      continue;
    }
    // A deleted row that spilled lost its overflow chain: the chain's pages were freed with
    // the row, and the first of them became the freelist's trunk page, its start overwritten
    // by the list of free pages. Its text cannot be read whole.
    if (text.bytes.size() > 1024) continue;
    EXPECT_FALSE(samples::contentIntact(file, row, "UTF-8"))
        << "deleted row " << d.first << " is in the file but was not recovered";
  }
  // Most deleted rows keep their bytes: a test whose rows were all overwritten proves nothing.
  EXPECT_GE(recovered, expectedDeleted.size() * 3 / 4);

  // Every deleted record is one of the deleted rows, shown once: never a live row's copy.
  for (const std::wstring& t : deletedTexts) {
    EXPECT_EQ(expectedDeleted.count(t), 1u) << "a deleted record that was never deleted";
    EXPECT_EQ(deletedTexts.count(t), 1u) << "a deleted row shown twice";
  }
}

TEST_P(WhatsAppLayouts, JoinsGiveTheSenderOfEachMessage) {
  auto b = build(GetParam());
  WhatsAppChatMap chats;
  ASSERT_EQ(ReadWhatsApp(b->path, &chats), 0);
  std::map<std::wstring, ChatRecord> byText;
  for (const ChatRecord& r : all(chats)) byText[r.text] = r;

  // Group chat: the member stored as the constant 1 and a later one are named; the owner's
  // own message shows "Me" with no number; the member list holds the deleted member too.
  const ChatRecord& carol = byText.at(L"Carol here, I booked the cabin");
  EXPECT_EQ(carol.memberId, 1);
  EXPECT_TRUE(carol.senderName == L"Carol");
  EXPECT_TRUE(carol.senderNumber == L"447700900011");
  EXPECT_TRUE(carol.memberNumbers == L"447700900011,447700900012,447700900013,447700900014");
  EXPECT_TRUE(carol.memberNames == L"Carol,Dan,Erin (left)");
  EXPECT_TRUE(carol.partnerName == wide("Trip to 山田 🏔"));
  const ChatRecord& mine = byText.at(L"Great, see you all there");
  EXPECT_TRUE(mine.senderName == L"Me");
  EXPECT_TRUE(mine.senderNumber.empty());
  // A member whose row was deleted (carved, its id unknown) names no one: the chat's name.
  EXPECT_TRUE(byText.at(L"Erin: count me out, sorry").senderName == wide("Trip to 山田 🏔"));

  // One-to-one chat: the partner's number before the at sign.
  const ChatRecord& alice = byText.at(L"Hi! Are we still on for Saturday?");
  EXPECT_EQ(alice.conversationId, 1);
  EXPECT_TRUE(alice.senderNumber == L"447700900001");
  EXPECT_TRUE(alice.memberNumbers == L"447700900001");
  // An identifier without an at sign leaves the number empty.
  const ChatRecord& status = byText.at(L"Status update: on holiday");
  EXPECT_TRUE(status.senderNumber.empty());
  EXPECT_TRUE(status.senderName == L"Status");
  // A message of a conversation that does not exist is listed as read.
  const ChatRecord& orphan = byText.at(L"A message whose chat is gone");
  EXPECT_EQ(orphan.conversationId, 99);
  EXPECT_TRUE(orphan.senderName.empty() && orphan.memberNumbers.empty());
  ASSERT_EQ(chats.count(99), 1u);

  // The spilled text is read whole; the texts that must be dropped are not there.
  std::string longText = "A long letter: ";
  while (longText.size() < 3000) longText += "the quick brown fox jumps over the lazy dog, ";
  EXPECT_EQ(byText.count(wide(longText)), 1u);
  for (const auto& r : byText) {
    EXPECT_EQ(r.first.find(L'\xFFFD'), std::wstring::npos);
    EXPECT_TRUE(r.first.rfind(L"Cut", 0) != 0);
    EXPECT_FALSE(r.first.empty());
  }

  // Media: titles stand in for missing texts in the newer layout only.
  const bool newer = GetParam() == WhatsAppLayout::kNewer;
  EXPECT_EQ(byText.count(L"Sunset over the lake.jpg"), newer ? 1u : 0u);
  EXPECT_EQ(byText.count(L"Voice note 0:42"), newer ? 1u : 0u);

  // Each conversation is in date order.
  for (const auto& chat : chats) {
    for (std::size_t i = 1; i < chat.second.size(); ++i) {
      EXPECT_LE(chat.second[i - 1].date, chat.second[i].date);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, WhatsAppLayouts,
                         ::testing::Values(WhatsAppLayout::kNewer, WhatsAppLayout::kOlder),
                         [](const ::testing::TestParamInfo<WhatsAppLayout>& p) {
                           return p.param == WhatsAppLayout::kNewer ? "Columns34" : "Columns23";
                         });

bool sameChats(const WhatsAppChatMap& a, const WhatsAppChatMap& b) {
  if (a.size() != b.size()) return false;
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
    if (i->first != j->first || i->second.size() != j->second.size()) return false;
    for (std::size_t k = 0; k < i->second.size(); ++k) {
      const ChatRecord& x = i->second[k];
      const ChatRecord& y = j->second[k];
      if (x.deleted != y.deleted || x.rowId != y.rowId || x.text != y.text || x.date != y.date ||
          x.senderName != y.senderName || x.mediaId != y.mediaId)
        return false;
    }
  }
  return true;
}

TEST(WhatsAppReader, ReadsOnTwoThreadsMatchSequentialReads) {
  auto newer = build(WhatsAppLayout::kNewer);
  auto older = build(WhatsAppLayout::kOlder);
  WhatsAppChatMap newerAlone, olderAlone;
  ASSERT_EQ(ReadWhatsApp(newer->path, &newerAlone), 0);
  ASSERT_EQ(ReadWhatsApp(older->path, &olderAlone), 0);
  ASSERT_FALSE(sameChats(newerAlone, olderAlone));  // the layouts do read differently

  for (int round = 0; round < 4; ++round) {
    WhatsAppChatMap a, c;
    int rcA = -1, rcC = -1;
    std::thread t1([&] { rcA = ReadWhatsApp(newer->path, &a); });
    std::thread t2([&] { rcC = ReadWhatsApp(older->path, &c); });
    t1.join();
    t2.join();
    EXPECT_EQ(rcA, 0);
    EXPECT_EQ(rcC, 0);
    EXPECT_TRUE(sameChats(a, newerAlone)) << "round " << round;
    EXPECT_TRUE(sameChats(c, olderAlone)) << "round " << round;
  }
}

TEST(WhatsAppReader, FailuresLeaveTheMapAsItWas) {
  fixtures::TempFolder folder;
  WhatsAppChatMap chats;
  chats[7].push_back(ChatRecord());

  // A missing file is an error, and no empty database is created in its place.
  const std::string missing = folder.file("ChatStorage.sqlite");
  EXPECT_NE(ReadWhatsApp(missing, &chats), 0);
  EXPECT_FALSE(platform::pathExists(missing));

  // A database without the message table cannot be queried.
  const std::string other = folder.file("other.sqlite");
  ASSERT_EQ(
      samples::makeSqliteDatabase(other, "CREATE TABLE ZWACHATSESSION (Z_PK INTEGER PRIMARY KEY);"),
      0);
  EXPECT_EQ(ReadWhatsApp(other, &chats), kQueryFailed);

  // A file that is not a database: the page reader's code.
  const std::string text = folder.file("notes.txt");
  ASSERT_EQ(platform::writeWholeFile(text, std::string(4096, 'x').data(), 4096), 0);
  EXPECT_EQ(ReadWhatsApp(text, &chats), kInvalid);

  ASSERT_EQ(chats.size(), 1u);
  EXPECT_EQ(chats[7].size(), 1u);
}

TEST(WhatsAppReader, AnEmptyMessageTableStillGivesItsWidth) {
  // Every message deleted: the carver needs the table's true width to find them.
  fixtures::TempFolder folder;
  samples::SqliteFixture db;
  const std::string path = folder.file("empty.sqlite");
  ASSERT_EQ(samples::buildWhatsAppDatabase(path, WhatsAppLayout::kNewer, &db), 0);
  sqlite3* h = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &h), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(h, "DELETE FROM ZWAMESSAGE", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(h);
  int width = 0;
  ASSERT_EQ(whatsAppMessageWidth(path, &width), 0);
  EXPECT_EQ(width, 34);
  WhatsAppChatMap chats;
  ASSERT_EQ(ReadWhatsApp(path, &chats), 0);
  std::size_t deleted = 0;
  for (const ChatRecord& r : all(chats)) {
    EXPECT_EQ(r.deleted, 1u);
    ++deleted;
  }
  EXPECT_GT(deleted, 10u);
}

TEST(WhatsAppReader, WriteAheadLogDatabaseIsReadWithoutWritingBesideIt) {
  // The phone keeps the store in write-ahead-log mode (header bytes 18 and 19 hold 2); a
  // backup holds the main file alone, under a name with characters a URI must escape.
  auto b = build(WhatsAppLayout::kNewer);
  WhatsAppChatMap before;
  ASSERT_EQ(ReadWhatsApp(b->path, &before), 0);
  const std::string odd = b->folder.file("Chat #1 &50% Ørsted.sqlite");
  const std::string bytes = samples::readFileBytes(b->path);
  ASSERT_EQ(platform::writeWholeFile(odd, bytes.data(), bytes.size()), 0);
  ASSERT_EQ(samples::patchFile(odd, 18, std::string("\x02\x02", 2)), 0);
  std::vector<std::string> entriesBefore;
  ASSERT_EQ(platform::listFolder(b->folder.path(), &entriesBefore), 0);

  WhatsAppChatMap after;
  ASSERT_EQ(ReadWhatsApp(odd, &after), 0);
  EXPECT_TRUE(sameChats(before, after));
  std::vector<std::string> entriesAfter;
  ASSERT_EQ(platform::listFolder(b->folder.path(), &entriesAfter), 0);
  EXPECT_EQ(entriesAfter.size(), entriesBefore.size()) << "files were created beside the database";
}

}  // namespace
}  // namespace qv::db

namespace qv::db {
namespace {

TEST(WhatsAppReader, SampleBackupHoldsTheChatDatabasesUnderTheirRealPaths) {
  fixtures::TempFolder root;
  ASSERT_EQ(samples::writeSampleRoot(root.path()), 0);
  const samples::SampleBackup& phone = samples::sampleBackups().back();
  ASSERT_TRUE(phone.manifestDb);
  const std::string folder = platform::joinPath(root.path(), phone.folderName);
  auto stored = [&](const std::string& domain, const std::string& path) {
    const std::string id = samples::fileIdFor(domain, path);
    return platform::joinPath(platform::joinPath(folder, id.substr(0, 2)), id);
  };
  // The engine finds the chat database by "ChatStorage.sqlite" in the manifest key.
  WhatsAppChatMap chats;
  ASSERT_EQ(ReadWhatsApp(stored(samples::kWhatsAppDomain, samples::kWhatsAppRelativePath), &chats),
            0);
  std::size_t live = 0, deleted = 0;
  for (const ChatRecord& r : all(chats)) (r.deleted ? deleted : live) += 1;
  EXPECT_GT(live, 10u);
  EXPECT_GT(deleted, 10u);
  ChatRowMap wechat, qq;
  EXPECT_EQ(ReadWeChat(stored(samples::kWeChatDomain, samples::weChatRelativePath()), &wechat), 0);
  EXPECT_EQ(ReadQQ(stored(samples::kQqDomain, samples::qqRelativePath()), &qq), 0);
  EXPECT_EQ(wechat.size(), 4u);
  EXPECT_EQ(qq.size(), 3u);
}

}  // namespace
}  // namespace qv::db
