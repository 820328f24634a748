// A scan of the sample backups, end to end through the factory's source and the scan sequence:
// every category's count is what the sample put in (media by the fixture's own list, database
// categories by what their readers return for the same stored files).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/call_reader.h"
#include "db/contact_reader.h"
#include "db/message_reader.h"
#include "db/note_reader.h"
#include "db/notestore_reader.h"
#include "db/whatsapp_reader.h"
#include "engine/recovery_engine.h"
#include "engine/scan_sequence.h"
#include "engine/source_factory.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "samples/appdb_calls.h"
#include "samples/appdb_qq.h"
#include "samples/appdb_whatsapp.h"
#include "samples/backup_sample.h"
#include "samples/media_samples.h"
#include "tests/engine/scan_test_support.h"

namespace qv::engine {
namespace {

using testing::RecordingCallback;
using testing::TestBackup;
using testing::U;
using testing::W;

class StepResults : public ScanObserver {
 public:
  std::vector<std::pair<ScanStep, int>> steps;
  std::vector<int> finishedWith;
  void stepFinished(ScanStep step, int result) override { steps.emplace_back(step, result); }
  void finished(int result) override { finishedWith.push_back(result); }
};

class SampleScan : public ::testing::Test {
 protected:
  // One sample root for the suite: the scans only read it.
  static void SetUpTestSuite() {
    shared_ = new fixtures::TempFolder;
    ASSERT_EQ(samples::writeSampleRoot(platform::joinPath(shared_->path(), "backups")), 0);
  }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }
  void SetUp() override {
    root_ = platform::joinPath(shared_->path(), "backups");
    engine_ = testing::engineIn(platform::joinPath(temp_.path(), "work"));
  }
  void choose(const samples::SampleBackup& sample) {
    ASSERT_TRUE(testing::makeCurrent(engine_.get(), platform::joinPath(root_, sample.folderName)));
  }
  int scan(CategorySet chosen) {
    auto source = createSource(SourceKind::kLocalBackup, engine_.get());
    ScanSequence sequence(*source, chosen, results_, control_, observer_);
    const int rc = sequence.run(L"");
    EXPECT_EQ(sequence.openResult(), 0);
    return rc;
  }
  std::string stored(const char* fileId) { return engine_->storedFilePath(fileId); }
  db::DatabaseFile database(const char* key) { return engine_->storedDatabase(key); }
  std::size_t count(ItemCategory c) { return summarize(results_, c).items; }

  static fixtures::TempFolder* shared_;
  fixtures::TempFolder temp_;
  std::string root_;
  std::unique_ptr<RecoveryEngine> engine_;
  ScanResults results_;
  ScanControl control_;
  StepResults observer_;
};

fixtures::TempFolder* SampleScan::shared_ = nullptr;

TEST_F(SampleScan, ThePhoneFillsEveryCategoryWithWhatItHolds) {
  choose(samples::sampleBackups().back());
  EXPECT_EQ(scan(allCategories()), 0);
  EXPECT_EQ(observer_.finishedWith, std::vector<int>{0});

  const auto media = samples::sampleMediaCounts();
  for (ItemCategory c : {ItemCategory::kCameraRoll, ItemCategory::kPhotoStream,
                         ItemCategory::kAppPhotos, ItemCategory::kAppVideos,
                         ItemCategory::kMessageAttachments, ItemCategory::kWhatsAppAttachments}) {
    SCOPED_TRACE(categoryName(c));
    EXPECT_GT(media[static_cast<std::size_t>(c)], 0u);
    EXPECT_EQ(count(c), media[static_cast<std::size_t>(c)]);
  }
  // Each media file that is an item is there under its expected name (and app).
  for (const samples::SampleMediaFile& f : samples::sampleMediaFiles()) {
    if (f.category < 0) continue;
    SCOPED_TRACE(f.relativePath);
    const std::wstring name = W(f.name);
    auto inFiles = [&name](const std::vector<FileItem>& items) {
      return std::any_of(items.begin(), items.end(),
                         [&name](const FileItem& i) { return i.name == name; });
    };
    switch (static_cast<ItemCategory>(f.category)) {
      case ItemCategory::kCameraRoll:
        EXPECT_TRUE(inFiles(results_.cameraRoll));
        break;
      case ItemCategory::kPhotoStream:
        EXPECT_TRUE(inFiles(results_.photoStream));
        break;
      case ItemCategory::kMessageAttachments:
        EXPECT_TRUE(inFiles(results_.messageAttachments));
        break;
      case ItemCategory::kWhatsAppAttachments:
        EXPECT_TRUE(inFiles(results_.whatsappAttachments));
        break;
      case ItemCategory::kAppPhotos:
      case ItemCategory::kAppVideos: {
        const AppFileMap& map = f.category == static_cast<int>(ItemCategory::kAppPhotos)
                                    ? results_.appPhotos
                                    : results_.appVideos;
        auto app = map.find(W(f.app));
        ASSERT_NE(app, map.end());
        EXPECT_TRUE(std::any_of(app->second.begin(), app->second.end(),
                                [&name](const AppFileItem& i) { return i.name == name; }));
        break;
      }
      default:
        ADD_FAILURE() << "a media file in a database category";
    }
  }

  // The database categories hold what their readers find in the same stored files.
  const std::string addressBook = stored(kAddressBookFileId);
  db::ConversationMap conversations;
  std::uint64_t maxRowId = 0;
  // The phone keeps its messages and its notes in write-ahead-log mode: the engine reads each
  // with the -wal the backup stored beside it.
  const db::DatabaseFile sms = database(kSmsKey);
  ASSERT_FALSE(sms.wal.empty());
  ASSERT_EQ(db::ReadMessages(sms, addressBook, &conversations, {}, &maxRowId), 0);
  EXPECT_EQ(count(ItemCategory::kMessages), conversations.size());
  std::vector<db::ContactRecord> contacts;
  ASSERT_EQ(db::ReadContacts(addressBook, 1, &contacts, &maxRowId), 0);
  EXPECT_EQ(count(ItemCategory::kContacts), contacts.size());
  std::vector<db::CallRecord> calls;
  ASSERT_EQ(db::ReadCalls(stored(kCallHistoryFileId), addressBook, 1, &calls), 0);
  EXPECT_EQ(count(ItemCategory::kCallHistory), calls.size());
  std::vector<db::NoteRecord> notes;
  ASSERT_EQ(db::ReadNotes(stored(kNotesFileId), &notes), 0);
  const db::DatabaseFile noteStore = database(kNoteStoreKey);
  ASSERT_FALSE(noteStore.wal.empty());
  ASSERT_EQ(db::ReadNoteStore(noteStore, &notes), 0);
  EXPECT_EQ(count(ItemCategory::kNotes), notes.size());
  db::WhatsAppChatMap chats;
  ASSERT_EQ(
      db::ReadWhatsApp(
          stored(
              samples::fileIdFor(samples::kWhatsAppDomain, samples::kWhatsAppRelativePath).c_str()),
          &chats),
      0);
  EXPECT_EQ(count(ItemCategory::kWhatsApp), chats.size());
  for (ItemCategory c :
       {ItemCategory::kMessages, ItemCategory::kContacts, ItemCategory::kCallHistory,
        ItemCategory::kNotes, ItemCategory::kWhatsApp}) {
    EXPECT_GT(count(c), 0u) << categoryName(c);
    EXPECT_GT(summarize(results_, c).deleted, 0u) << categoryName(c);
  }
  for (ItemCategory c :
       {ItemCategory::kReminder, ItemCategory::kCalendar, ItemCategory::kSafariBookmark})
    EXPECT_EQ(count(c), 0u);
}

// The value after each step, as the engine reports it when every step of the scan runs.
TEST_F(SampleScan, EachStepAddsItsShareOfTheProgress) {
  choose(samples::sampleBackups().back());
  RecordingCallback recorder;
  engine_->setCallback(&RecordingCallback::call, &recorder);
  std::vector<int> closing;
  ASSERT_EQ(engine_->open(L""), 0);
  closing.push_back(recorder.values.back());
  ScanResults r;
  const std::function<void()> steps[] = {
      [&] { engine_->gatherPhotos(&r.cameraRoll, &r.photoStream); },
      [&] { engine_->readMessages(&r.conversations); },
      [&] { engine_->gatherMessageAttachments(&r.messageAttachments); },
      [&] { engine_->readContacts(&r.contacts); },
      [&] { engine_->readCalls(&r.calls); },
      [&] { engine_->readNotes(&r.notes); },
      [&] { engine_->gatherAppFiles(&r.appFiles); },
      [&] { engine_->readWhatsApp(&r.whatsappChats); },
      [&] { engine_->takeWhatsAppAttachments(&r.whatsappAttachments); },
  };
  for (const std::function<void()>& step : steps) {
    step();
    closing.push_back(recorder.values.back());
  }
  EXPECT_EQ(closing, (std::vector<int>{12, 34, 39, 50, 55, 60, 65, 76, 87, 98}));
  EXPECT_EQ(recorder.values.front(), 0);
  EXPECT_LE(*std::max_element(recorder.values.begin(), recorder.values.end()), 98);
}

// The tablet has no message database: that category stays empty with a code that is not the
// stop code, and the scan goes on to the end.
TEST_F(SampleScan, AMissingDatabaseLeavesItsCategoryEmptyAndTheScanGoesOn) {
  choose(samples::sampleBackups().front());
  EXPECT_EQ(scan(allCategories()), 0);
  EXPECT_EQ(observer_.finishedWith, std::vector<int>{0});
  ASSERT_EQ(observer_.steps.size(), static_cast<std::size_t>(kScanStepCount));
  EXPECT_EQ(observer_.steps[1], std::make_pair(ScanStep::kMessages, kInvalid));
  EXPECT_EQ(count(ItemCategory::kMessages), 0u);
  EXPECT_EQ(count(ItemCategory::kCameraRoll), 1u);
}

TEST_F(SampleScan, WhatsAppAttachmentsAloneAreFound) {
  choose(samples::sampleBackups().back());
  CategorySet chosen;
  chosen.set(static_cast<int>(ItemCategory::kWhatsAppAttachments));
  EXPECT_EQ(scan(chosen), 0);
  EXPECT_EQ(
      count(ItemCategory::kWhatsAppAttachments),
      samples::sampleMediaCounts()[static_cast<std::size_t>(ItemCategory::kWhatsAppAttachments)]);
  EXPECT_EQ(count(ItemCategory::kAppPhotos), 0u);
  EXPECT_EQ(count(ItemCategory::kAppVideos), 0u);
}

TEST_F(SampleScan, ChatAccountsAndValueLines) {
  choose(samples::sampleBackups().back());
  ASSERT_EQ(engine_->open(L""), 0);
  AccountChatMap qq, wechat;
  EXPECT_EQ(engine_->readQqChats(&qq), 0);
  ASSERT_EQ(qq.size(), 1u);
  EXPECT_EQ(qq.begin()->first, W(samples::kQqOwner));
  EXPECT_FALSE(qq.begin()->second.empty());
  EXPECT_EQ(engine_->readWechatChats(&wechat), 0);
  ASSERT_EQ(wechat.size(), 1u);
  EXPECT_EQ(wechat.begin()->first, L"User1");
  EXPECT_EQ(engine_->qqChats().size(), 1u);

  // The value lines number new rows after the highest row id the last read met.
  EXPECT_EQ(engine_->maxMessageRowId(), kInitialMaxRowId);
  db::ConversationMap conversations;
  ASSERT_EQ(engine_->readMessages(&conversations), 0);
  EXPECT_NE(engine_->maxMessageRowId(), kInitialMaxRowId);
  const std::string lines = platform::joinPath(temp_.path(), "sms.csv");
  EXPECT_EQ(engine_->exportMessageLines(lines), 0);
  std::uint64_t size = 0;
  EXPECT_EQ(platform::fileSize(lines, &size), 0);
  EXPECT_GT(size, 0u);
}

// The newer call history is read when the backup has it; the older one only otherwise.
TEST(CallHistory, TheNewerDatabaseComesFirst) {
  TestBackup backup(samples::ManifestLayout::kDb, "11.4");  // the fixture's iOS 11 layout
  auto& b = backup.builder();
  const std::string newer =
      testing::builtDatabase([](const std::string& path, samples::SqliteFixture* db) {
        return samples::buildCallHistory(path, samples::CallHistoryLayout::kIos11, db);
      });
  const std::string older =
      testing::builtDatabase([](const std::string& path, samples::SqliteFixture* db) {
        return samples::buildCallHistory(path, samples::CallHistoryLayout::kIos6, db);
      });
  b.addFile("HomeDomain", "Library/CallHistoryDB/CallHistory.storedata", newer);
  b.addFile("WirelessDomain", "Library/CallHistory/call_history.db", older);
  auto engine = backup.open();
  ASSERT_TRUE(engine);
  const std::string book = engine->storedFilePath(kAddressBookFileId);
  std::vector<db::CallRecord> expected, other;
  db::ReadCalls(engine->storedFilePath(kCallHistoryFileId), book, 0, &expected);
  db::ReadCalls(engine->storedFilePath(kOldCallHistoryFileId), book, 0, &other);
  ASSERT_FALSE(expected.empty());
  ASSERT_NE(expected.size(), other.size());  // so that the count tells which one was read
  std::vector<db::CallRecord> calls;
  engine->readCalls(&calls);
  EXPECT_EQ(calls.size(), expected.size());
}

// Journal files beside a chat database, and a second QQ account in a folder of the same name.
TEST(ChatDatabases, JournalsAreNotDatabasesAndAccountsKeepApart) {
  TestBackup backup;
  auto& b = backup.builder();
  b.addFile(samples::kWhatsAppDomain, "ChatStorage.sqlite-wal", "not a database");
  b.addFile(samples::kWhatsAppDomain, samples::kWhatsAppRelativePath,
            testing::builtDatabase([](const std::string& p, samples::SqliteFixture* db) {
              return samples::buildWhatsAppDatabase(p, samples::WhatsAppLayout::kNewer, db);
            }));
  const std::string qqDb = testing::builtDatabase(samples::buildQqDatabase);
  b.addFile("AppDomain-com.tencent.mqq", "Documents/contents/555/QQ.db-journal", "journal");
  b.addFile("AppDomain-com.tencent.mqq", "Documents/contents/555/QQ.db", qqDb);
  b.addFile("AppDomain-com.tencent.mqqi", "Documents/contents/555/QQ.db", qqDb);
  auto engine = backup.open();
  ASSERT_TRUE(engine);
  db::WhatsAppChatMap chats;
  engine->readWhatsApp(&chats);
  EXPECT_FALSE(chats.empty());
  AccountChatMap qq;
  EXPECT_EQ(engine->readQqChats(&qq), 0);
  std::vector<std::wstring> keys;
  for (const auto& account : qq) keys.push_back(account.first);
  EXPECT_EQ(keys, (std::vector<std::wstring>{L"555", L"555(2)"}));
  EXPECT_EQ(qq.begin()->second.size(), std::next(qq.begin())->second.size());
}

}  // namespace
}  // namespace qv::engine
