// A backup of a phone of each era the schema notes cover (iOS 9, 11, 14.3 and a current iOS 17
// phone), scanned end to end: calls, messages, contacts and notes are what their readers find
// in the stored files (each reader's own tests hold its rows against SQLite for every table
// family), none of the four is empty, and what a current phone keeps only in its logs is there.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "db/call_reader.h"
#include "db/contact_reader.h"
#include "db/message_reader.h"
#include "db/note_reader.h"
#include "db/notestore_reader.h"
#include "engine/recovery_engine.h"
#include "engine/scan_sequence.h"
#include "engine/source_factory.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "samples/appdb_phone.h"
#include "tests/engine/scan_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::engine {
namespace {

using samples::PhoneFamily;

class FamilyScan : public ::testing::TestWithParam<PhoneFamily> {
 protected:
  void SetUp() override {
    const std::string folder = platform::joinPath(temp_.path(), "backup");
    ASSERT_EQ(samples::writeFamilyBackup(folder, GetParam()), 0);
    engine_ = testing::engineIn(platform::joinPath(temp_.path(), "work"));
    ASSERT_TRUE(testing::makeCurrent(engine_.get(), folder));
    auto source = createSource(SourceKind::kLocalBackup, engine_.get());
    ScanSequence sequence(*source, allCategories(), results_, control_, observer_);
    sequence.run(L"");
    ASSERT_EQ(sequence.openResult(), 0);
  }

  fixtures::TempFolder temp_;
  std::unique_ptr<RecoveryEngine> engine_;
  ScanResults results_;
  ScanControl control_;
  ScanObserver observer_;
};

template <class Record>
std::size_t deletedCount(const std::vector<Record>& records) {
  return static_cast<std::size_t>(std::count_if(records.begin(), records.end(),
                                                [](const Record& r) { return r.deleted != 0; }));
}

TEST_P(FamilyScan, CallsMessagesContactsAndNotesAreAllThere) {
  const int flag = engine_->currentBackup().versionAbove11 ? 1 : 0;
  const db::DatabaseFile book = engine_->storedDatabase(kAddressBookKey);

  // Calls: the older table where the phone had it, else the Core Data one, read by name.
  db::DatabaseFile history = engine_->storedDatabase(kCallHistoryKey);
  if (!platform::isFile(history.path)) history = engine_->storedDatabase(kOldCallHistoryKey);
  std::vector<db::CallRecord> calls;
  ASSERT_EQ(db::ReadCalls(history, book, flag, &calls), 0);
  ASSERT_EQ(results_.calls.size(), calls.size());
  EXPECT_GT(calls.size() - deletedCount(calls), 80u);
  EXPECT_GT(deletedCount(calls), 10u);
  for (const db::CallRecord& c : results_.calls) {
    EXPECT_FALSE(c.date.empty());
    EXPECT_FALSE(c.number.empty());
  }
  EXPECT_TRUE(std::any_of(results_.calls.begin(), results_.calls.end(),
                          [](const db::CallRecord& c) { return c.name == L"Zoë Brontë"; }));

  // Messages, with the -wal the backup stored beside sms.db.
  db::ConversationMap conversations;
  std::uint64_t max = 0;
  ASSERT_EQ(db::ReadMessages(engine_->storedDatabase(kSmsKey), book, &conversations, {}, &max), 0);
  ASSERT_EQ(results_.conversations.size(), conversations.size());
  std::size_t messages = 0;
  for (const auto& c : conversations) {
    const auto& scanned = results_.conversations[c.first];
    ASSERT_EQ(scanned.size(), c.second.size());
    for (std::size_t i = 0; i < scanned.size(); ++i) {
      EXPECT_EQ(scanned[i].text, c.second[i].text);
      EXPECT_EQ(scanned[i].date, c.second[i].date);
      EXPECT_EQ(scanned[i].contactName, c.second[i].contactName);
    }
    messages += c.second.size();
  }
  EXPECT_GT(messages, 200u);

  // Contacts: every person, those without a phone number too.
  std::vector<db::ContactRecord> contacts;
  ASSERT_EQ(db::ReadContacts(book, flag, &contacts, &max), 0);
  ASSERT_EQ(results_.contacts.size(), contacts.size());
  EXPECT_TRUE(std::any_of(
      results_.contacts.begin(), results_.contacts.end(),
      [](const db::ContactRecord& c) { return c.name == L"Anna Ek" && c.phone.empty(); }));

  // Notes: the older store and NoteStore, whichever the phone has.
  std::vector<db::NoteRecord> notes;
  const int old = db::ReadNotes(engine_->storedDatabase(kNotesKey), &notes);
  const db::DatabaseFile store = engine_->storedDatabase(kNoteStoreKey);
  const bool hasStore = platform::isFile(store.path);
  if (hasStore) {
    EXPECT_EQ(db::ReadNoteStore(store, &notes), 0);
  }
  EXPECT_TRUE(old == 0 || hasStore);
  EXPECT_EQ(results_.notes.size(), notes.size());
  EXPECT_GT(results_.notes.size() - deletedCount(results_.notes), 30u);
  EXPECT_GT(deletedCount(results_.notes), 5u);
}

TEST(FamilyScanIos17, WhatOnlyTheLogsHoldIsListed) {
  fixtures::TempFolder temp;
  const std::string folder = platform::joinPath(temp.path(), "backup");
  ASSERT_EQ(samples::writeFamilyBackup(folder, PhoneFamily::kIos17), 0);
  auto engine = testing::engineIn(platform::joinPath(temp.path(), "work"));
  ASSERT_TRUE(testing::makeCurrent(engine.get(), folder));
  ASSERT_EQ(engine->open(L""), 0);
  db::ConversationMap conversations;
  engine->readMessages(&conversations);
  std::size_t fromLog = 0;
  for (const auto& c : conversations) {
    for (const db::MessageRecord& m : c.second)
      fromLog += m.deleted == 0 && m.text.rfind(L"Only in the log #", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(fromLog, 13u);  // 15 written to the log, one deleted there, one changed there
  std::vector<db::NoteRecord> notes;
  engine->readNotes(&notes);
  EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](const db::NoteRecord& n) {
    return n.title == L"Note 75 title" && n.deleted == 0;
  }));
}

INSTANTIATE_TEST_SUITE_P(Eras, FamilyScan,
                         ::testing::Values(PhoneFamily::kIos9, PhoneFamily::kIos11,
                                           PhoneFamily::kIos14, PhoneFamily::kIos17),
                         [](const auto& param) {
                           return std::string(samples::phoneFamilyName(param.param));
                         });

}  // namespace
}  // namespace qv::engine
