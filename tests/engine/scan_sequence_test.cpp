// The scan sequence against a source that does what each test tells it: which steps run for
// which categories, the stop rules, what the observer hears, and the progress display.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "engine/scan_sequence.h"
#include "engine/source_factory.h"
#include "platform/result.h"

namespace qv::engine {
namespace {

class FakeSource : public IPhoneRecoveryParse {
 public:
  std::vector<std::string> calls;
  int openResult = 0;
  std::map<std::string, int> results;
  std::map<std::string, std::vector<int>> reports;  // values each step reports first
  std::size_t cameraRollItems = 0;
  std::size_t photoStreamItems = 0;
  std::size_t messageConversations = 0;

  int attach(void*) override { return 0; }
  int setCallback(ProgressCallback callback, void* user) override {
    callback_ = callback;
    user_ = user;
    return 0;
  }
  bool queryA(std::intptr_t) override { return false; }
  bool queryB(std::intptr_t) override { return true; }
  int open(const std::wstring&) override {
    calls.push_back("open");
    return openResult;
  }
  int readMessages(db::ConversationMap* c) override {
    return run("messages", [&] {
      for (std::size_t i = 0; i < messageConversations; ++i) {
        db::MessageRecord m;
        m.deleted = i == 0 ? 1 : 0;
        (*c)[static_cast<std::int32_t>(i)].push_back(m);
      }
    });
  }
  int gatherMessageAttachments(std::vector<FileItem>*) override { return run("attachments"); }
  int readContacts(std::vector<db::ContactRecord>*) override { return run("contacts"); }
  int readNotes(std::vector<db::NoteRecord>*) override { return run("notes"); }
  int readCalls(std::vector<db::CallRecord>*) override { return run("calls"); }
  int gatherPhotos(std::vector<FileItem>* cameraRoll, std::vector<FileItem>* photoStream) override {
    return run("photos", [&] {
      cameraRoll->resize(cameraRollItems);
      photoStream->resize(photoStreamItems);
    });
  }
  int takeWhatsAppAttachments(std::vector<FileItem>*) override {
    return run("whatsappAttachments");
  }
  int gatherAppFiles(std::vector<AppFileItem>*) override { return run("appFiles"); }
  int readQqChats(AccountChatMap*) override { return run("qq"); }
  int readWechatChats(AccountChatMap*) override { return run("wechat"); }
  int readWhatsApp(db::WhatsAppChatMap*) override { return run("whatsapp"); }
  int makePreviewFile(const std::wstring&, std::wstring*, PreviewCallback, void*) override {
    return 0;
  }
  int copyStoredFile(const std::wstring&, const std::wstring&, CopyCallback, void*) override {
    return 0;
  }
  int exportMessageLines(const std::string&) override { return 0; }
  int exportContactLines(const std::string&) override { return 0; }
  int writeWhatsAppChatText(std::int32_t, const std::wstring&, CopyCallback, void*) override {
    return 0;
  }
  int writeQqChatText(const std::wstring&, const std::wstring&, const std::wstring&, CopyCallback,
                      void*) override {
    return 0;
  }
  int writeWechatChatText(const std::wstring&, const std::wstring&, const std::wstring&,
                          CopyCallback, void*) override {
    return 0;
  }

 private:
  template <typename Fill = void (*)()>
  int run(
      const std::string& name, Fill fill = [] {}) {
    calls.push_back(name);
    for (int v : reports[name]) {
      if (int answer = callback_(user_, v)) return answer;
    }
    fill();
    auto it = results.find(name);
    return it == results.end() ? 0 : it->second;
  }
  ProgressCallback callback_ = nullptr;
  void* user_ = nullptr;
};

class Events : public ScanObserver {
 public:
  std::vector<std::string> seen;
  std::vector<int> shown;
  std::vector<ItemCategory> defaults;
  std::map<ItemCategory, CategorySummary> completed;
  bool selected = false;
  ScanControl* stopWhenShown = nullptr;
  int stopAt = 0;

  void opened() override { seen.push_back("opened"); }
  void stepStarted(ScanStep step) override { seen.push_back(scanStepName(step)); }
  void progressShown(int percent) override {
    shown.push_back(percent);
    if (stopWhenShown != nullptr && percent >= stopAt) stopWhenShown->stop.store(1);
  }
  void firstProgress() override { seen.push_back("first progress"); }
  void wrongPassword() override { seen.push_back("wrong password"); }
  void startFailed() override { seen.push_back("start failed"); }
  void categoryCompleted(ItemCategory c, const CategorySummary& s) override { completed[c] = s; }
  void selectDefaultCategory(ItemCategory c) override { defaults.push_back(c); }
  bool categorySelected() override { return selected; }
  void finished(int result) override { seen.push_back("finished " + std::to_string(result)); }
};

CategorySet only(std::initializer_list<ItemCategory> categories) {
  CategorySet set;
  for (ItemCategory c : categories) set.set(static_cast<int>(c));
  return set;
}

struct Scan {
  FakeSource source;
  ScanResults results;
  ScanControl control;
  Events events;
  int run(CategorySet chosen) {
    ScanSequence sequence(source, chosen, results, control, events);
    const int rc = sequence.run(L"");
    stopped = sequence.stopped();
    defaultCategory = sequence.defaultCategory();
    return rc;
  }
  bool stopped = false;
  std::optional<ItemCategory> defaultCategory;
};

TEST(ScanSequence, EveryCategoryRunsEveryStepInOrder) {
  Scan scan;
  EXPECT_EQ(scan.run(allCategories()), 0);
  EXPECT_EQ(scan.source.calls, (std::vector<std::string>{
                                   "open", "photos", "messages", "attachments", "contacts", "calls",
                                   "notes", "appFiles", "whatsapp", "whatsappAttachments"}));
  EXPECT_EQ(scan.events.seen.front(), "opened");
  EXPECT_EQ(scan.events.seen.back(), "finished 0");
  EXPECT_EQ(scan.control.finished.load(), 1);
  // Every category with a step was completed; the three without one never are.
  EXPECT_EQ(scan.events.completed.size(), 11u);
  EXPECT_EQ(scan.events.completed.count(ItemCategory::kReminder), 0u);
}

TEST(ScanSequence, OnlyMessagesOpensReadsAndFinishes) {
  Scan scan;
  scan.source.messageConversations = 3;
  EXPECT_EQ(scan.run(only({ItemCategory::kMessages})), 0);
  EXPECT_EQ(scan.source.calls, (std::vector<std::string>{"open", "messages"}));
  EXPECT_EQ(scan.events.seen, (std::vector<std::string>{"opened", "Messages", "finished 0"}));
  // One row per conversation, the one with a deleted message first.
  ASSERT_EQ(scan.results.messageRows.size(), 3u);
  EXPECT_EQ(scan.results.messageRows[0].deleted, 1u);
  EXPECT_EQ(scan.events.completed[ItemCategory::kMessages].deleted, 1u);
}

TEST(ScanSequence, WhatsAppAttachmentsAloneRunTheAppFileWalkThatFindsThem) {
  Scan scan;
  EXPECT_EQ(scan.run(only({ItemCategory::kWhatsAppAttachments})), 0);
  EXPECT_EQ(scan.source.calls,
            (std::vector<std::string>{"open", "appFiles", "whatsappAttachments"}));
  EXPECT_EQ(scan.events.completed.count(ItemCategory::kAppPhotos), 0u);
}

TEST(ScanSequence, CategoriesWithoutAStepStartNone) {
  Scan scan;
  EXPECT_EQ(scan.run(only(
                {ItemCategory::kReminder, ItemCategory::kCalendar, ItemCategory::kSafariBookmark})),
            0);
  EXPECT_EQ(scan.source.calls, std::vector<std::string>{"open"});
  EXPECT_EQ(scan.events.seen, (std::vector<std::string>{"opened", "finished 0"}));
}

TEST(ScanSequence, ACancelDuringThePhotoStepEndsTheScanAfterIt) {
  Scan scan;
  scan.source.reports["photos"] = {15, 20, 25, 30};
  scan.events.stopWhenShown = &scan.control;
  scan.events.stopAt = 20;
  EXPECT_EQ(scan.run(allCategories()), kCancelled);
  EXPECT_TRUE(scan.stopped);
  EXPECT_EQ(scan.source.calls, (std::vector<std::string>{"open", "photos"}));
  EXPECT_EQ(scan.events.shown, (std::vector<int>{15, 20}));
  EXPECT_TRUE(scan.events.completed.empty());
  EXPECT_EQ(scan.events.seen.back(), "finished 2");
}

TEST(ScanSequence, OpenResultsDecideWhatFollows) {
  {
    Scan scan;
    scan.source.openResult = kWrongPassword;
    EXPECT_EQ(scan.run(allCategories()), kWrongPassword);
    EXPECT_EQ(scan.events.seen, std::vector<std::string>{"wrong password"});
    EXPECT_EQ(scan.control.finished.load(), 1);
  }
  {
    Scan scan;
    scan.source.openResult = kSourceFailed;
    EXPECT_EQ(scan.run(allCategories()), kCancelled);
    EXPECT_EQ(scan.events.seen, (std::vector<std::string>{"start failed", "finished 2"}));
    EXPECT_EQ(scan.source.calls, std::vector<std::string>{"open"});
  }
  {
    Scan scan;
    scan.source.openResult = kCancelled;
    EXPECT_EQ(scan.run(allCategories()), kCancelled);
    EXPECT_EQ(scan.events.seen, std::vector<std::string>{"finished 2"});
  }
  {
    // A manifest that cannot be read: the databases are found without it.
    Scan scan;
    scan.source.openResult = kQueryFailed;
    EXPECT_EQ(scan.run(only({ItemCategory::kContacts})), 0);
    EXPECT_EQ(scan.source.calls, (std::vector<std::string>{"open", "contacts"}));
  }
}

TEST(ScanSequence, AFailingStepLeavesItsCategoryEmptyAndTheScanGoesOn) {
  Scan scan;
  scan.source.results["messages"] = kInvalid;
  scan.source.results["whatsappAttachments"] = kInvalid;
  EXPECT_EQ(scan.run(only({ItemCategory::kMessages, ItemCategory::kContacts,
                           ItemCategory::kWhatsAppAttachments})),
            kInvalid);
  EXPECT_EQ(scan.source.calls, (std::vector<std::string>{"open", "messages", "contacts", "appFiles",
                                                         "whatsappAttachments"}));
  // The page still hears that the scan ended, though its last step failed.
  EXPECT_EQ(scan.events.seen.back(), "finished 87");
  EXPECT_FALSE(scan.stopped);
}

TEST(ScanSequence, ProgressIsShownOnceRisingAndNeverPast99) {
  Scan scan;
  scan.source.reports["photos"] = {0, 1, 1, 5, 3, 5, 100, 120};
  scan.run(only({ItemCategory::kCameraRoll}));
  EXPECT_EQ(scan.events.shown, (std::vector<int>{2, 5, 99}));
  EXPECT_EQ(std::count(scan.events.seen.begin(), scan.events.seen.end(), "first progress"), 1);

  // Whatever comes first announces the scan, as a password-protected backup's first report can
  // be past 1.
  Scan encrypted;
  encrypted.source.reports["photos"] = {11, 31};
  encrypted.run(only({ItemCategory::kCameraRoll}));
  EXPECT_EQ(encrypted.events.shown, (std::vector<int>{11, 31}));
  EXPECT_EQ(encrypted.events.seen[2], "first progress");  // after "opened" and the step
}

TEST(ScanSequence, TheFirstCategoryWithItemsBecomesTheDefault) {
  Scan scan;
  scan.source.photoStreamItems = 2;
  scan.source.messageConversations = 1;
  scan.run(only({ItemCategory::kCameraRoll, ItemCategory::kPhotoStream, ItemCategory::kMessages}));
  EXPECT_EQ(scan.defaultCategory, ItemCategory::kPhotoStream);
  EXPECT_EQ(scan.events.defaults,
            (std::vector<ItemCategory>{ItemCategory::kPhotoStream, ItemCategory::kPhotoStream}));

  Scan chosenByUser;
  chosenByUser.events.selected = true;
  chosenByUser.source.photoStreamItems = 2;
  chosenByUser.run(only({ItemCategory::kPhotoStream}));
  EXPECT_FALSE(chosenByUser.defaultCategory.has_value());
  EXPECT_TRUE(chosenByUser.events.defaults.empty());
}

TEST(ScanSequence, AListWhoseCategoryWasNotChosenIsNotKept) {
  Scan scan;
  scan.source.cameraRollItems = 3;
  scan.source.photoStreamItems = 2;
  scan.results.contacts.resize(5);  // left from an earlier scan
  scan.control.stop.store(1);       // left from an earlier stop
  EXPECT_EQ(scan.run(only({ItemCategory::kPhotoStream})), 0);
  EXPECT_TRUE(scan.results.cameraRoll.empty());
  EXPECT_EQ(scan.results.photoStream.size(), 2u);
  EXPECT_TRUE(scan.results.contacts.empty());
}

TEST(ScanSequence, AHeldPauseLockHoldsTheScanAtItsNextReport) {
  Scan scan;
  scan.source.reports["photos"] = {20, 30};
  std::unique_lock<std::mutex> pause(scan.control.pauseLock);
  std::thread worker([&scan] { scan.run(only({ItemCategory::kCameraRoll})); });
  // Wait for the scan to start, then give it time to run into the lock.
  for (int i = 0; i < 500 && scan.control.finished.load() != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(scan.control.finished.load(), 0);
  EXPECT_TRUE(scan.events.shown.empty());
  pause.unlock();
  worker.join();
  EXPECT_EQ(scan.events.shown, (std::vector<int>{20, 30}));
  EXPECT_EQ(scan.control.finished.load(), 1);
}

TEST(SourceFactory, KindsAndTheDeviceSourceThatCannotStart) {
  // A kind taken from a window message's number may name no kind at all.
  EXPECT_EQ(createSource(static_cast<SourceKind>(2), nullptr), nullptr);
  EXPECT_EQ(createSource(static_cast<SourceKind>(-1), nullptr), nullptr);
  EXPECT_NE(createSource(SourceKind::kLocalBackup, nullptr), nullptr);
  auto device = createSource(SourceKind::kDevice, nullptr);
  ASSERT_NE(device, nullptr);
  ScanResults results;
  ScanControl control;
  Events events;
  {
    ScanSequence sequence(*device, allCategories(), results, control, events);
    EXPECT_EQ(sequence.run(L""), kCancelled);
  }
  EXPECT_EQ(events.seen, (std::vector<std::string>{"start failed", "finished 2"}));
  // A local source without an engine has nothing to open.
  auto local = createSource(SourceKind::kLocalBackup, nullptr);
  EXPECT_EQ(local->open(L""), kInvalid);
}

}  // namespace
}  // namespace qv::engine
