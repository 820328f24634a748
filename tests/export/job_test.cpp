// The recovery job over hand-made scan results: the tree and its names, one result per item,
// hostile names, failures with the system's text, the finishing steps, and cancel at several
// points.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "export/recovery_job.h"
#include "export/selection.h"
#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"
#include "tests/export/job_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::output::testing {
namespace {

class JobTest : public JobFixture {
 protected:
  engine::FileItem file(const wchar_t* name, std::size_t n) {
    return JobFixture::file(name, letters(n));
  }
  // A stored file for an app item, which carries its path.
  std::wstring storedFile(std::size_t n) { return file(L"", n).storedPath; }
};

db::MessageRecord message(std::int32_t handle, const wchar_t* name, const wchar_t* address,
                          const wchar_t* text, int fromMe = 0) {
  db::MessageRecord m;
  m.handleId = handle;
  m.contactName = name;
  m.address = address;
  m.text = text;
  m.fromMe = fromMe;
  m.date = L"2024-01-01 00:00:00";
  return m;
}

TEST_F(JobTest, WritesEveryCategoryIntoItsTreeWithOneResultPerItem) {
  results_.cameraRoll = {file(L"IMG.JPG", 70000), file(L"IMG.JPG", 10), file(L"IMG.JPG", 5),
                         file(L"EMPTY.JPG", 0)};
  platform::createFolders(out("Camera Roll"));
  // A name left by an earlier job is skipped over.
  platform::writeWholeFile(out("Camera Roll/IMG(1).JPG"), "old", 3);
  results_.photoStream = {file(L"PS.HEIC", 3)};
  results_.appPhotos[L"com.example.cam"] = {{3, L"com.example.cam", L"a.png", storedFile(3)}};
  results_.appVideos[L"other"] = {{3, L"other", L"clip.mov", storedFile(3)}};
  results_.messageAttachments = {file(L"att.pdf", 4)};
  results_.whatsappAttachments = {file(L"voice.opus", 4)};
  results_.conversations[1] = {message(1, L"", L"", L"hello")};
  results_.conversations[2] = {message(2, L"Ann", L"+1555", L"a"),
                               message(2, L"Ann", L"+1555", L"b", 1)};
  results_.messageRows = {results_.conversations[1][0], results_.conversations[2][1]};
  results_.conversations[3] = {};  // a conversation without messages gives no result
  results_.messageRows.push_back(message(3, L"Zed", L"", L""));
  results_.contacts.resize(2);
  results_.contacts[0].name = L"C0";
  results_.contacts[1].name = L"C1";
  results_.calls.resize(1);
  results_.notes.resize(1);
  db::ChatRecord chat;
  chat.conversationId = 9;
  chat.memberNames = L"Bo, Cy";
  chat.partnerName = L"Team";
  chat.text = L"yo";
  results_.whatsappChats[9] = {chat};
  results_.chatRows = {chat};
  registerAll(stats_, results_);

  EXPECT_EQ(run(), 0);
  EXPECT_EQ(job_->processed(), 19);
  EXPECT_EQ(job_->total(), 19);
  EXPECT_EQ(job_->result(), 0);
  const Tree expected = {
      "App Photos/com.example.cam/a.png",
      "App Video/other/clip.mov",
      "CallHistory/CallHistory_20240102030405.html",
      "Camera Roll/EMPTY.JPG",
      "Camera Roll/IMG(1).JPG",
      "Camera Roll/IMG(2).JPG",
      "Camera Roll/IMG(3).JPG",
      "Camera Roll/IMG.JPG",
      "Contacts/20240102030405/Contacts.csv",
      "Contacts/20240102030405/Contacts.html",
      "Message Attachments/att.pdf",
      "Message/Ann-20240102030405/Ann(+1555).html",
      "Message/Ann-20240102030405/Ann(+1555).txt",
      "Message/Unknown-20240102030405/Unknown.html",
      "Message/Unknown-20240102030405/Unknown.txt",
      "Message/Zed-20240102030405/Zed.html",
      "Message/Zed-20240102030405/Zed.txt",
      "Message/sms.csv",
      "Notes/Notes_20240102030405.html",
      "Photo Stream/PS.HEIC",
      "WhatsApp Attachments/voice.opus",
      "WhatsApp Message/Team-20240102030405/Team.csv",
      "WhatsApp Message/Team-20240102030405/Team.html",
      "WhatsApp Message/Team-20240102030405/Team.txt",
  };
  EXPECT_EQ(listTree(root_), expected);
  EXPECT_EQ(readFile(out("Camera Roll/IMG.JPG")).size(), 70000u);
  EXPECT_EQ(readFile(out("Camera Roll/IMG(1).JPG")), "old");
  EXPECT_EQ(readFile(out("Camera Roll/IMG(2).JPG")).size(), 10u);

  // One result per item: 9 copies (the empty file too), 3 conversations (the empty one too),
  // 2 contacts, 1 call, 1 note, 1 chat; and one per value-line file, counted in the total.
  EXPECT_EQ(observer_.rows.size(), 19u);
  for (const Row& row : observer_.rows) {
    EXPECT_EQ(row.code, 0) << row.path;
    EXPECT_EQ(row.status, "Success");
  }
  const std::string contactsPage = out("Contacts/20240102030405/Contacts.html");
  EXPECT_EQ(std::count_if(observer_.rows.begin(), observer_.rows.end(),
                          [&](const Row& r) { return r.path == contactsPage; }),
            2);
  const std::string page = readFile(contactsPage);
  EXPECT_NE(page.find("<td>C0</td>"), std::string::npos);
  EXPECT_NE(page.find("iPhone&#39;s Contacts of Test Phone"), std::string::npos);
  EXPECT_NE(
      readFile(out("Message/Ann-20240102030405/Ann(+1555).html")).find("Name: Ann, Phone: +1555"),
      std::string::npos);
  EXPECT_EQ(source_.exports,
            (std::vector<std::string>{"messages " + out("Message/sms.csv"),
                                      "contacts " + out("Contacts/20240102030405/Contacts.csv")}));
}

TEST_F(JobTest, UncheckedFilteredAndEmptyCategoriesWriteNothing) {
  results_.cameraRoll = {file(L"a.jpg", 3), file(L"b.jpg", 3)};
  results_.notes.resize(2);
  results_.notes[1].deleted = 1;
  results_.notes[1].title = L"gone";
  registerAll(stats_, results_);
  stats_.setChecked(stats_.itemOf(1, 0), false);
  stats_.setDeletedOnly(9, true);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(listTree(root_), (Tree{"Camera Roll/b.jpg", "Notes/Notes_20240102030405.html"}));
  EXPECT_NE(readFile(out("Notes/Notes_20240102030405.html")).find("gone"), std::string::npos);
  EXPECT_EQ(observer_.rows.size(), 2u);
  EXPECT_TRUE(source_.exports.empty());  // no conversation: no sms.csv made or removed

  // Only Reminder, Calendar or Safari Bookmark: nothing at all, and the job still finishes.
  CStatisticsObj only;
  stats_ = only;
  stats_.addCategory(12);
  stats_.addCategory(14);
  Results quiet;
  JobSetup s = setup();
  s.outputRoot = joinPath(tmp_.path(), "out2");
  RecoveryJob job(s, quiet);
  ASSERT_EQ(job.loadTemplates(), 0);
  EXPECT_EQ(job.run(kStamp), 0);
  EXPECT_TRUE(job.finished());
  EXPECT_TRUE(listTree(s.outputRoot).empty());
  EXPECT_TRUE(quiet.rows.empty());
}

TEST_F(JobTest, HostileNamesStayInsideTheRootUnderSafeNames) {
  results_.messageAttachments = {file(L"..\\..\\evil.txt", 3), file(L"../up.txt", 3),
                                 file(L"..", 3), file(L"CON", 3), file(L"a:b.txt", 3)};
  results_.appPhotos[L".."] = {{3, L"..", L"x.png", storedFile(3)}};
  results_.conversations[1] = {message(1, L"../../etc", L"<script>", L"<b>x</b>")};
  results_.messageRows = {results_.conversations[1][0]};
  db::ChatRecord chat;
  chat.conversationId = 2;
  chat.memberNames = L"NUL";
  chat.memberNumbers = L"1/2";
  results_.whatsappChats[2] = {chat};
  results_.chatRows = {chat};
  registerAll(stats_, results_);
  EXPECT_EQ(run(), 0);
  // Nothing beside the root.
  EXPECT_EQ(listTree(tmp_.path()).size(), listTree(root_).size() + listTree(stored_).size() +
                                              listTree(joinPath(tmp_.path(), "work")).size());
  // A name of dots keeps one "_" per dot (engine/safe_name.h).
  const Tree expected = {
      "App Photos/__/x.png",
      "Message Attachments/.._.._evil.txt",
      "Message Attachments/.._up.txt",
      "Message Attachments/_CON",
      "Message Attachments/__",
      "Message Attachments/a_b.txt",
      "Message/.._.._etc-20240102030405/.._.._etc(_script_).html",
      "Message/.._.._etc-20240102030405/.._.._etc(_script_).txt",
      "Message/sms.csv",
      "WhatsApp Message/NUL(1_2)-20240102030405/NUL(1_2).csv",
      "WhatsApp Message/NUL(1_2)-20240102030405/NUL(1_2).html",
      "WhatsApp Message/NUL(1_2)-20240102030405/NUL(1_2).txt",
  };
  EXPECT_EQ(listTree(root_), expected);
  const std::string page =
      readFile(out("Message/.._.._etc-20240102030405/.._.._etc(_script_).html"));
  EXPECT_NE(page.find("Name: ../../etc, Phone: &lt;script&gt;"), std::string::npos);
  EXPECT_NE(page.find("&lt;b&gt;x&lt;/b&gt;"), std::string::npos);
  EXPECT_EQ(page.find("<b>x"), std::string::npos);
}

TEST_F(JobTest, FailuresCarryTheSystemTextAndDocumentsAreNotReportedBeforeTheyExist) {
  engine::FileItem missing = file(L"gone.jpg", 3);
  platform::removeFile(platform::toUtf8(missing.storedPath));
  results_.cameraRoll = {missing};
  results_.calls.resize(2);
  registerAll(stats_, results_);
  // Something that is not a folder where the call-history folder goes.
  platform::createFolders(root_);
  platform::writeWholeFile(out("CallHistory"), "x", 1);
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(observer_.rows.size(), 3u);
  for (const Row& row : observer_.rows) {
    EXPECT_NE(row.code, 0) << row.path;
    EXPECT_EQ(row.status, platform::resultText(row.code));
    EXPECT_NE(row.status, "Success");
  }
  // The missing stored file: the program's own words, not the system's "The parameter is
  // incorrect" for the same number.
  EXPECT_EQ(observer_.rows[0].code, kInvalid);
  EXPECT_EQ(observer_.rows[0].status, "a file is missing or is not what it should be");
  EXPECT_EQ(job_->failed(), 3);
  EXPECT_EQ(job_->processed(), 3);
  EXPECT_EQ(job_->total(), 3);
  EXPECT_EQ(job_->result(), kInvalid);  // the first failure
}

TEST_F(JobTest, AMissingTemplateStopsTheJobBeforeItStarts) {
  fixtures::TempFolder templates;
  for (const char* name : {"CallHistory.html", "Notes.html", "contacts.html", "Sms.html"}) {
    const std::string text = "{|content|}";
    platform::writeWholeFile(templates.file(name), text.data(), text.size());
  }
  JobSetup s = setup();
  s.templateFolder = templates.path();
  RecoveryJob job(s, observer_);
  EXPECT_EQ(job.loadTemplates(), kErrFileNotFound);
  EXPECT_EQ(job.missingTemplate(), templates.file("WhatsApp.html"));
}

// A cancel in the middle of an item: what it was writing is removed, temporary file and all,
// and listed as cancelled; nothing after it starts; the finishing steps still run for what was
// done before. A conversation stopped in its page keeps its whole text.
struct CancelInside {
  const char* name;
  std::vector<ItemCategory> order;
  const char* at;  // the cancel comes at the first report whose path holds this
  bool midway;     // ... and only while that item is not yet done
  Tree tree;
  std::size_t rows;
  std::size_t cancelledRow;
  const char* cancelledPath;
  int processed;
  int total;
  std::vector<std::pair<const char*, const char*>> holding;  // file, a text it holds
};

TEST_F(JobTest, CancelInsideAnItemRemovesItListsItAndStillRunsTheFinishingSteps) {
  const CancelInside cases[] = {
      {"DuringACopy",
       {ItemCategory::kCallHistory, ItemCategory::kMessages, ItemCategory::kCameraRoll},
       "big.mov",
       true,
       {"CallHistory/CallHistory_20240102030405.html", "Message/A-20240102030405/A(1).html",
        "Message/A-20240102030405/A(1).txt", "Message/sms.csv"},
       4,  // the conversation, the stopped copy, then the finishing steps
       1,
       "Camera Roll/big.mov",
       4,
       5,  // next.jpg was never started
       {}},
      {"DuringAPage",
       {ItemCategory::kNotes, ItemCategory::kMessages},
       ".html",
       false,
       {"Message/A-20240102030405/A(1).txt", "Message/sms.csv", "Notes/Notes_20240102030405.html"},
       3,
       0,
       "Message/A-20240102030405/A(1).html",
       3,
       3,
       {{"Message/A-20240102030405/A(1).txt", "third"}}},
  };
  for (const CancelInside& c : cases) {
    SCOPED_TRACE(c.name);
    platform::removeTree(root_);
    results_ = engine::ScanResults();
    results_.calls.resize(1);
    results_.notes.resize(1);
    results_.conversations[1] = {message(1, L"A", L"1", L"first"),
                                 message(1, L"A", L"1", L"second"),
                                 message(1, L"A", L"1", L"third")};
    results_.messageRows = {results_.conversations[1][0]};
    results_.cameraRoll = {file(L"big.mov", 1 << 20), file(L"next.jpg", 3)};
    stats_ = CStatisticsObj();
    for (ItemCategory category : c.order) registerCategory(stats_, results_, category);
    observer_.rows.clear();
    observer_.onProgress = [&](int percent, const std::string& path) {
      if ((!c.midway || percent < 100) && path.find(c.at) != std::string::npos) job_->cancel();
    };
    EXPECT_EQ(run(), kCancelled);
    EXPECT_TRUE(job_->finished());
    EXPECT_EQ(job_->result(), kCancelled);
    EXPECT_EQ(listTree(root_), c.tree);
    for (const auto& [name, text] : c.holding)
      EXPECT_NE(readFile(out(name)).find(text), std::string::npos) << name;
    ASSERT_EQ(observer_.rows.size(), c.rows);
    EXPECT_EQ(observer_.rows[c.cancelledRow].path, out(c.cancelledPath));
    EXPECT_EQ(observer_.rows[c.cancelledRow].code, kCancelled);
    EXPECT_EQ(observer_.rows[c.cancelledRow].status, "Cancelled");
    EXPECT_EQ(job_->failed(), 1);
    EXPECT_EQ(job_->processed(), c.processed);
    EXPECT_EQ(job_->total(), c.total);
  }
}

TEST_F(JobTest, HoldingTheLockPausesTheJobAndACancelThenEndsIt) {
  results_.cameraRoll = {file(L"a.jpg", 3), file(L"b.jpg", 3), file(L"c.jpg", 3)};
  registerAll(stats_, results_);
  RecoveryJob job(setup(), observer_);
  ASSERT_EQ(job.loadTemplates(), 0);
  int result = -1;
  std::unique_lock<std::mutex> question(job.lock());
  std::thread worker([&] { result = job.run(kStamp); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  // The first copy waits at its first report: no result yet, and the job is not finished.
  EXPECT_FALSE(job.finished());
  EXPECT_EQ(observer_.reports, 0);
  job.cancel();
  question.unlock();
  worker.join();
  EXPECT_EQ(result, kCancelled);
  // The copy that waited is stopped and listed as cancelled; nothing of it is left.
  EXPECT_EQ(observer_.reports, 1);
  ASSERT_EQ(observer_.rows.size(), 1u);
  EXPECT_EQ(observer_.rows[0].status, "Cancelled");
  EXPECT_EQ(listTree(out("Camera Roll")), Tree{});
}

TEST_F(JobTest, ASecondJobInTheSameSecondReplacesNothing) {
  results_.calls.resize(1);
  results_.contacts.resize(1);
  results_.conversations[1] = {message(1, L"A", L"1", L"m")};
  results_.messageRows = {results_.conversations[1][0]};
  registerAll(stats_, results_);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(run(), 0);
  const Tree expected = {
      "CallHistory/CallHistory_20240102030405(1).html",
      "CallHistory/CallHistory_20240102030405.html",
      "Contacts/20240102030405(1)/Contacts.csv",
      "Contacts/20240102030405(1)/Contacts.html",
      "Contacts/20240102030405/Contacts.csv",
      "Contacts/20240102030405/Contacts.html",
      "Message/A-20240102030405/A(1)(1).html",
      "Message/A-20240102030405/A(1)(1).txt",
      "Message/A-20240102030405/A(1).html",
      "Message/A-20240102030405/A(1).txt",
      "Message/sms(1).csv",
      "Message/sms.csv",
  };
  EXPECT_EQ(listTree(root_), expected);
}

}  // namespace
}  // namespace qv::output::testing
