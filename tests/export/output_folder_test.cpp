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
#include "tests/export/job_support.h"
#include "tests/fixtures/special_files.h"

namespace qv::output::testing {
namespace {

class OutputFolder : public JobFixture {
 protected:
  OutputFolder() : outside_(joinPath(tmp_.path(), "outside")) {
    platform::createFolders(root_);
    platform::createFolders(outside_);
    EXPECT_EQ(platform::writeWholeFile(victim(), "precious", 8), 0);
  }

  std::string victim() const { return joinPath(outside_, "victim"); }

  int run() {
    registerAll(stats_, results_);
    return JobFixture::run();
  }

  // Every file of the folder outside is as it was, and nothing new is there.
  void expectOutsideUntouched() {
    EXPECT_EQ(listTree(outside_), Tree{"victim"});
    EXPECT_EQ(readFile(victim()), "precious");
  }

  std::string outside_;
};

// Links planted at names the job is about to write. A dangling one at a final name would create
// the file where it points, one to a file would overwrite it: the job takes the next name. Older
// versions wrote "NAME.part" before renaming, so links at those names would have been written
// through: temporary names are random and made exclusively now, and none is left.
struct PlantedLinks {
  const char* name;
  std::vector<const char*> toVictim;  // links to the file outside, relative to the output root
  const char* dangling;               // a link to a name outside that does not exist yet
  std::vector<const wchar_t*> photos;
  int notes;
  int calls;
  Tree tree;  // the output tree afterwards, links included
  std::vector<std::pair<const char*, const char*>> holding;  // file, a text it holds
};

TEST_F(OutputFolder, LinksAtNamesTheJobWritesAreNeitherFollowedNorReplaced) {
  const PlantedLinks cases[] = {
      {"AtFinalNames",
       {"Camera Roll/IMG(1).JPG", "Notes/Notes_20240102030405.html"},
       "Camera Roll/IMG.JPG",
       {L"IMG.JPG"},
       1,
       0,
       {"Camera Roll/IMG(1).JPG", "Camera Roll/IMG(2).JPG", "Camera Roll/IMG.JPG",
        "Notes/Notes_20240102030405(1).html", "Notes/Notes_20240102030405.html"},
       {{"Camera Roll/IMG(2).JPG", "photo"}, {"Notes/Notes_20240102030405(1).html", "note"}}},
      {"AtOldTemporaryNames",
       {"Camera Roll/IMG.JPG.part", "CallHistory/CallHistory_20240102030405.html.part"},
       nullptr,
       {L"IMG.JPG"},
       0,
       1,
       {"CallHistory/CallHistory_20240102030405.html",
        "CallHistory/CallHistory_20240102030405.html.part", "Camera Roll/IMG.JPG",
        "Camera Roll/IMG.JPG.part"},
       {{"Camera Roll/IMG.JPG", "photo"}}},
  };
  for (const PlantedLinks& c : cases) {
    SCOPED_TRACE(c.name);
    platform::removeTree(root_);
    std::vector<std::pair<std::string, std::string>> links;  // target, where (relative)
    for (const char* at : c.toVictim) links.emplace_back(victim(), at);
    if (c.dangling != nullptr) links.emplace_back(joinPath(outside_, "created"), c.dangling);
    for (const auto& [target, at] : links) {
      ASSERT_EQ(platform::createFolders(out(at.substr(0, at.rfind('/')))), 0);
      if (!fixtures::makeLink(target, out(at))) GTEST_SKIP() << "no links here";
    }
    results_ = engine::ScanResults();
    for (const wchar_t* photo : c.photos) results_.cameraRoll.push_back(file(photo, "photo"));
    results_.notes.resize(c.notes);
    for (db::NoteRecord& note : results_.notes) note.title = L"note";
    results_.calls.resize(c.calls);
    stats_ = CStatisticsObj();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(job_->failed(), 0);
    expectOutsideUntouched();
    EXPECT_EQ(listTree(root_), c.tree);
    for (const auto& [target, at] : links) EXPECT_TRUE(platform::isLink(out(at))) << at;
    for (const auto& [name, text] : c.holding)
      EXPECT_NE(readFile(out(name)).find(text), std::string::npos) << name;
  }
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
  for (const Row& row : observer_.rows) {
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
    for (const Row& row : observer_.rows) {
      EXPECT_EQ(row.code, code) << row.path;
      EXPECT_EQ(row.status, platform::errorMessage(code));
    }
  }
}

}  // namespace
}  // namespace qv::output::testing
