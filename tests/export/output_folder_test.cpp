// What may already lie in the output folder the user picked: links at the names the job is
// about to write (a dangling one, or one at a temporary name an older version used), a
// category folder that is a link, a folder the system will not let the job write to. Nothing
// is written outside the folder, nothing there is replaced, and a failure says what the system
// said.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/recovery_job.h"
#include "export/selection.h"
#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "platform/text.h"
#include "tests/export/job_support.h"
#include "tests/fixtures/special_files.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::output {
namespace {

using engine::ItemCategory;
using platform::joinPath;
using testing::listTree;
using testing::readFile;
using Tree = std::vector<std::string>;

constexpr char kStamp[] = "20240102030405";

class OutputFolder : public ::testing::Test {
 protected:
  OutputFolder()
      : root_(joinPath(tmp_.path(), "out")),
        outside_(joinPath(tmp_.path(), "outside")),
        source_(joinPath(tmp_.path(), "work")) {
    platform::createFolders(root_);
    platform::createFolders(outside_);
    EXPECT_EQ(platform::writeWholeFile(victim(), "precious", 8), 0);
  }

  std::string victim() const { return joinPath(outside_, "victim"); }
  std::string out(const std::string& relative) const { return joinPath(root_, relative); }

  engine::FileItem file(const wchar_t* name, const std::string& content) {
    return testing::storedItem(joinPath(tmp_.path(), "stored" + std::to_string(next_++)), name,
                               content);
  }

  int run() {
    registerAll(stats_, results_);
    JobSetup s;
    s.outputRoot = root_;
    s.templateFolder = templateFolder(QV_SOURCE_DIR);
    s.deviceName = "Test Phone";
    s.source = &source_;
    s.results = &results_;
    s.statistics = &stats_;
    job_ = std::make_unique<RecoveryJob>(s, observer_);
    EXPECT_EQ(job_->loadTemplates(), 0);
    return job_->run(kStamp);
  }

  // Every file of the folder outside is as it was, and nothing new is there.
  void expectOutsideUntouched() {
    EXPECT_EQ(listTree(outside_), Tree{"victim"});
    EXPECT_EQ(readFile(victim()), "precious");
  }

  fixtures::TempFolder tmp_;
  std::string root_;
  std::string outside_;
  testing::RecordingSource source_;
  engine::ScanResults results_;
  CStatisticsObj stats_;
  testing::Results observer_;
  std::unique_ptr<RecoveryJob> job_;
  int next_ = 0;
};

// A dangling link at the name a file is about to take would create the file where it points;
// a link to a file would overwrite that file. The job takes the next name instead.
TEST_F(OutputFolder, LinksAtFinalNamesAreNeitherFollowedNorReplaced) {
  ASSERT_EQ(platform::createFolders(out("Camera Roll")), 0);
  ASSERT_EQ(platform::createFolders(out("Notes")), 0);
  if (!fixtures::makeLink(joinPath(outside_, "created"), out("Camera Roll/IMG.JPG")) ||
      !fixtures::makeLink(victim(), out("Camera Roll/IMG(1).JPG")) ||
      !fixtures::makeLink(victim(), out("Notes/Notes_20240102030405.html")))
    GTEST_SKIP() << "no links here";
  results_.cameraRoll = {file(L"IMG.JPG", "photo")};
  results_.notes.resize(1);
  results_.notes[0].title = L"note";
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(job_->failed(), 0);
  expectOutsideUntouched();
  EXPECT_EQ(readFile(out("Camera Roll/IMG(2).JPG")), "photo");
  EXPECT_NE(readFile(out("Notes/Notes_20240102030405(1).html")).find("note"), std::string::npos);
  EXPECT_TRUE(platform::isLink(out("Camera Roll/IMG.JPG")));
}

// Older versions wrote "NAME.part" before renaming: links planted at those names would have
// been written through. Temporary names are random and made exclusively now, and none is left.
TEST_F(OutputFolder, LinksAtOldTemporaryNamesLeadNowhere) {
  ASSERT_EQ(platform::createFolders(out("Camera Roll")), 0);
  ASSERT_EQ(platform::createFolders(out("CallHistory")), 0);
  if (!fixtures::makeLink(victim(), out("Camera Roll/IMG.JPG.part")) ||
      !fixtures::makeLink(victim(), out("CallHistory/CallHistory_20240102030405.html.part")))
    GTEST_SKIP() << "no links here";
  results_.cameraRoll = {file(L"IMG.JPG", "photo")};
  results_.calls.resize(1);
  EXPECT_EQ(run(), 0);
  expectOutsideUntouched();
  EXPECT_EQ(listTree(root_), (Tree{"CallHistory/CallHistory_20240102030405.html",
                                   "CallHistory/CallHistory_20240102030405.html.part",
                                   "Camera Roll/IMG.JPG", "Camera Roll/IMG.JPG.part"}));
}

// A category or conversation folder that is a link is refused, each of its items failed with
// the system's code for a name it cannot resolve; the rest of the job goes on.
TEST_F(OutputFolder, FoldersThatAreLinksAreRefused) {
  if (!fixtures::makeLink(outside_, out("Camera Roll"))) GTEST_SKIP() << "no links here";
  ASSERT_EQ(platform::createFolders(out("Message")), 0);
  ASSERT_TRUE(fixtures::makeLink(outside_, out("Message/Ann-20240102030405")));
  results_.cameraRoll = {file(L"a.jpg", "a"), file(L"b.jpg", "b")};
  results_.photoStream = {file(L"c.jpg", "c")};
  db::MessageRecord m;
  m.handleId = 1;
  m.contactName = L"Ann";
  m.text = L"hi";
  results_.conversations[1] = {m};
  results_.messageRows = {m};
  EXPECT_EQ(run(), 0);
  expectOutsideUntouched();
  EXPECT_EQ(readFile(out("Photo Stream/c.jpg")), "c");
  EXPECT_EQ(job_->failed(), 3);  // two photos and the conversation
  EXPECT_EQ(job_->result(), kErrCantResolve);
  for (const testing::Row& row : observer_.rows) {
    if (row.code != kOk) {
      EXPECT_EQ(row.status, platform::errorMessage(kErrCantResolve));
    }
  }
}

// A folder the system will not let the job write to: each item fails with what the system
// said ("Access is denied.", or for a read-only volume "The media is write protected."), never
// with a code that says nothing.
TEST_F(OutputFolder, AFolderThatCannotBeWrittenGivesTheSystemsCode) {
  results_.cameraRoll = {file(L"a.jpg", "a"), file(L"b.jpg", "b")};
  results_.notes.resize(1);
  for (const int code : {kErrAccessDenied, 19}) {
    SCOPED_TRACE(code);
    static int denial;
    denial = code;
    platform::OsCalls calls = platform::realOsCalls();
    calls.makeFolder = [](const std::string&) { return denial; };
    calls.openFile = [](const std::string& path, platform::OpenMode mode,
                        platform::NativeHandle* h) {
      if (mode == platform::OpenMode::kRead || mode == platform::OpenMode::kReadNoFollow)
        return platform::realOsCalls().openFile(path, mode, h);
      *h = platform::kNoHandle;
      return denial;
    };
    observer_.rows.clear();
    stats_ = CStatisticsObj();
    {
      platform::ScopedOsCalls seam(calls);
      EXPECT_EQ(run(), 0);
    }
    EXPECT_EQ(job_->result(), code);
    ASSERT_EQ(observer_.rows.size(), 3u);
    for (const testing::Row& row : observer_.rows) {
      EXPECT_EQ(row.code, code) << row.path;
      EXPECT_EQ(row.status, platform::errorMessage(code));
    }
  }
}

}  // namespace
}  // namespace qv::output
