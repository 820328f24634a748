// The phone database readers on damaged files: bytes overwritten all over the pages give rows
// or result codes, never a crash, a hang or a read outside a buffer (the sanitizer builds run
// this too).
#include <gtest/gtest.h>

#include <random>

#include "db/call_reader.h"
#include "db/contact_lines.h"
#include "db/contact_reader.h"
#include "db/message_lines.h"
#include "db/message_reader.h"
#include "db/note_reader.h"
#include "platform/file.h"
#include "samples/appdb_calls.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "samples/appdb_notes.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

// Overwrites `count` runs of 1 to 8 random bytes past the file header.
std::string damaged(const std::string& bytes, unsigned seed, int count) {
  std::string out = bytes;
  std::mt19937 rng(seed);
  for (int i = 0; i < count && out.size() > 200; ++i) {
    std::size_t at = 100 + rng() % (out.size() - 108);
    const std::size_t n = 1 + rng() % 8;
    for (std::size_t k = 0; k < n; ++k) out[at + k] = static_cast<char>(rng());
  }
  return out;
}

bool knownCode(int rc) {
  return rc == 0 || rc == 87 || rc == 30 || rc == 2;
}

TEST(DamagedPhoneDatabases, ReadersEndWithRowsOrCodes) {
  fixtures::TempFolder folder;
  samples::SqliteFixture sms, book, calls, notes;
  const std::string smsPath = folder.file("sms.db"), bookPath = folder.file("ab.sqlitedb"),
                    callPath = folder.file("calls.db"), notePath = folder.file("notes.sqlite");
  ASSERT_EQ(samples::buildSmsDatabase(smsPath, samples::SmsLayout::kIos9, &sms, nullptr, 1024), 0);
  ASSERT_EQ(samples::buildAddressBook(bookPath, samples::AddressBookLayout::kIos8, &book, 1024), 0);
  ASSERT_EQ(samples::buildCallHistory(callPath, samples::CallHistoryLayout::kIos7, &calls), 0);
  ASSERT_EQ(samples::buildNotesDatabase(notePath, &notes), 0);
  const std::string smsBytes = samples::readFileBytes(smsPath);
  const std::string bookBytes = samples::readFileBytes(bookPath);
  const std::string callBytes = samples::readFileBytes(callPath);
  const std::string noteBytes = samples::readFileBytes(notePath);
  const std::string badSms = folder.file("bad-sms.db"), badBook = folder.file("bad-ab.sqlitedb"),
                    badCalls = folder.file("bad-calls.db"),
                    badNotes = folder.file("bad-notes.sqlite");
  auto write = [](const std::string& path, const std::string& bytes) {
    return platform::writeWholeFile(path, bytes.data(), bytes.size());
  };
  for (unsigned seed = 1; seed <= 24; ++seed) {
    SCOPED_TRACE(seed);
    const int hits = static_cast<int>(4 + seed * 6);
    ASSERT_EQ(write(badSms, damaged(smsBytes, seed, hits)), 0);
    ASSERT_EQ(write(badBook, damaged(bookBytes, seed + 100, hits)), 0);
    ASSERT_EQ(write(badCalls, damaged(callBytes, seed + 200, hits)), 0);
    ASSERT_EQ(write(badNotes, damaged(noteBytes, seed + 300, hits)), 0);

    ConversationMap map;
    std::uint64_t max = 0;
    EXPECT_TRUE(knownCode(ReadMessages(badSms, badBook, &map, ReadProgress(), &max)));
    for (const auto& c : map) {
      for (const MessageRecord& m : c.second) EXPECT_FALSE(m.text.empty());
    }
    std::vector<ContactRecord> contacts;
    EXPECT_TRUE(knownCode(ReadContacts(badBook, 0, &contacts, &max)));
    std::vector<CallRecord> callList;
    const int callRc = ReadCalls(badCalls, badBook, 0, &callList);
    // The SQLite library may call a damaged file corrupt (11) or not a database (26).
    EXPECT_TRUE(knownCode(callRc) || callRc == 11 || callRc == 26) << callRc;
    for (const CallRecord& c : callList) EXPECT_FALSE(c.number.empty() || c.date.empty());
    std::vector<NoteRecord> noteList;
    EXPECT_TRUE(knownCode(ReadNotes(badNotes, &noteList)));
    EXPECT_TRUE(knownCode(WriteMessageLines(badSms, folder.file("sms.csv"), 100)));
    EXPECT_TRUE(knownCode(WriteContactLines(badBook, folder.file("contacts.csv"), 100)));
  }
}

}  // namespace
}  // namespace qv::db
