// The phone databases of the sample backup (quenvale-sample), read where a backup keeps them:
// each reader delivers live and deleted rows from the stored files.
#include <gtest/gtest.h>

#include <algorithm>

#include "db/call_reader.h"
#include "db/contact_reader.h"
#include "db/message_reader.h"
#include "db/note_reader.h"
#include "platform/folders.h"
#include "samples/appdb_calls.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "samples/appdb_notes.h"
#include "samples/backup_builder.h"
#include "samples/backup_sample.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

template <class Records>
std::pair<std::size_t, std::size_t> liveAndDeleted(const Records& records) {
  std::size_t live = 0, deleted = 0;
  for (const auto& r : records) (r.deleted ? deleted : live) += 1;
  return {live, deleted};
}

TEST(SamplePhoneDatabases, EveryReaderFindsLiveAndDeletedRows) {
  fixtures::TempFolder folder;
  ASSERT_EQ(samples::writeSampleRoot(folder.path()), 0);
  const auto phone = std::find_if(samples::sampleBackups().begin(), samples::sampleBackups().end(),
                                  [](const samples::SampleBackup& b) { return b.manifestDb; });
  ASSERT_NE(phone, samples::sampleBackups().end());
  const std::string backup = platform::joinPath(folder.path(), phone->folderName);
  auto stored = [&](const char* domain, const char* path) {
    const std::string id = samples::fileIdFor(domain, path);
    return platform::joinPath(platform::joinPath(backup, id.substr(0, 2)), id);
  };
  const std::string sms = stored(samples::kSmsDomain, samples::kSmsRelativePath);
  const std::string book = stored(samples::kAddressBookDomain, samples::kAddressBookRelativePath);
  const std::string calls = stored(samples::kCallHistoryDomain, samples::kCallHistoryRelativePath);
  const std::string notes = stored(samples::kNotesDomain, samples::kNotesRelativePath);

  ConversationMap map;
  std::uint64_t max = 0;
  ASSERT_EQ(ReadMessages(sms, book, &map, ReadProgress(), &max), 0);
  std::vector<MessageRecord> messages;
  for (const auto& c : map) messages.insert(messages.end(), c.second.begin(), c.second.end());
  const auto m = liveAndDeleted(messages);
  EXPECT_GT(m.first, 200u);
  EXPECT_GT(m.second, 50u);
  EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                          [](const MessageRecord& r) { return r.contactName == L"Zoë Brontë"; }));

  // An iOS 14 phone: the version flag is set.
  std::vector<ContactRecord> contacts;
  ASSERT_EQ(ReadContacts(book, 1, &contacts, &max), 0);
  const auto c = liveAndDeleted(contacts);
  EXPECT_GT(c.first, 100u);
  EXPECT_GT(c.second, 50u);

  std::vector<CallRecord> callList;
  ASSERT_EQ(ReadCalls(calls, book, 1, &callList), 0);
  const auto k = liveAndDeleted(callList);
  EXPECT_GT(k.first, 80u);
  EXPECT_GT(k.second, 20u);
  EXPECT_TRUE(std::any_of(callList.begin(), callList.end(),
                          [](const CallRecord& r) { return r.name == L"Zoë Brontë"; }));

  std::vector<NoteRecord> noteList;
  ASSERT_EQ(ReadNotes(notes, &noteList), 0);
  const auto n = liveAndDeleted(noteList);
  EXPECT_GT(n.first, 40u);
  EXPECT_GT(n.second, 20u);
}

}  // namespace
}  // namespace qv::db
