// Two runs at once: two scans of one password-protected backup (two windows, or the GUI and the
// CLI) sharing one work folder, and two exports into one folder. Each must see and write
// everything of its own; neither may empty, overwrite or remove what the other made. And a
// run that died leaves a folder that the next run removes by its lock, never a living one's.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/decryption.h"
#include "engine/recovery_engine.h"
#include "export/recovery_job.h"
#include "export/selection.h"
#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/backup_sample.h"
#include "samples/encrypt_twin.h"
#include "tests/engine/scan_test_support.h"
#include "tests/export/job_support.h"
#include "tests/fixtures/special_files.h"
#include "tests/fixtures/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qv::output::testing {
namespace {

constexpr char kPassword[] = "two at once";

using engine::testing::scanCounts;

class TwoScans : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    shared_ = new fixtures::TempFolder;
    const std::string root = joinPath(shared_->path(), "plain");
    ASSERT_EQ(samples::writeSampleRoot(root), 0);
    plain_ = new std::string(joinPath(root, samples::sampleBackups()[1].folderName));
    twin_ = new std::string(joinPath(shared_->path(), "twin"));
    samples::EncryptOptions options;
    options.password = kPassword;
    options.iterations = 10;
    options.dpIterations = 10;
    ASSERT_EQ(samples::writeEncryptedTwin(*plain_, *twin_, options), 0);
  }
  static void TearDownTestSuite() {
    delete plain_;
    delete twin_;
    delete shared_;
  }
  // Engines of one user share the work folder, as two runs of the program do.
  std::unique_ptr<engine::RecoveryEngine> engine() {
    return engine::testing::engineIn(work_, QV_DECRYPT_TOOL);
  }
  std::vector<std::size_t> plainCounts() {
    auto e = engine();
    return scanCounts(e.get(), *plain_, L"");
  }
  std::string runsFolder() const { return joinPath(work_, engine::kTemporaryFolderName); }

  static fixtures::TempFolder* shared_;
  static std::string* plain_;
  static std::string* twin_;
  fixtures::TempFolder temp_;
  std::string work_ = joinPath(temp_.path(), "work");
};

fixtures::TempFolder* TwoScans::shared_ = nullptr;
std::string* TwoScans::plain_ = nullptr;
std::string* TwoScans::twin_ = nullptr;

// The second run starts (and cleans up) while the first one works on its deciphered copy, then
// ends: the first still finds every file, scan after scan.
TEST_F(TwoScans, ASecondRunNeitherEmptiesNorRemovesTheFirstOnesCopy) {
  const std::vector<std::size_t> expected = plainCounts();
  auto first = engine();
  EXPECT_EQ(scanCounts(first.get(), *twin_, platform::toWide(kPassword)), expected);
  const std::string firstCopy = first->decryptionOutputFolder();
  std::vector<std::string> before;
  ASSERT_EQ(platform::listFolder(firstCopy, &before), 0);
  {
    auto second = engine();
    EXPECT_EQ(scanCounts(second.get(), *twin_, platform::toWide(kPassword)), expected);
    EXPECT_NE(second->runFolder(), first->runFolder());
    std::vector<std::string> during;
    ASSERT_EQ(platform::listFolder(firstCopy, &during), 0);
    EXPECT_EQ(during.size(), before.size());
  }
  // The second run's folder went with it; the first's is whole.
  std::vector<std::string> runs;
  ASSERT_EQ(platform::listFolder(runsFolder(), &runs), 0);
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_EQ(scanCounts(first.get(), *twin_, platform::toWide(kPassword)), expected);
  first.reset();
  ASSERT_EQ(platform::listFolder(runsFolder(), &runs), 0);
  EXPECT_TRUE(runs.empty());
}

TEST_F(TwoScans, TwoScansAtOnceEachSeeEveryItem) {
  const std::vector<std::size_t> expected = plainCounts();
  std::vector<std::size_t> counts[2];
  std::thread runs[2];
  for (int i = 0; i < 2; ++i) {
    runs[i] = std::thread([this, i, &counts] {
      auto e = engine();
      counts[i] = scanCounts(e.get(), *twin_, platform::toWide(kPassword));
    });
  }
  for (std::thread& t : runs) t.join();
  EXPECT_EQ(counts[0], expected);
  EXPECT_EQ(counts[1], expected);
}

#ifndef _WIN32
// Nothing of the deciphered copy can be read by another user at any time: the run folder is
// 0700 and what the tool writes is 0600.
TEST_F(TwoScans, TheDecipheredCopyIsTheUsersAlone) {
  auto e = engine();
  scanCounts(e.get(), *twin_, platform::toWide(kPassword));
  struct stat st {};
  ASSERT_EQ(::stat(e->runFolder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  const std::string copy = e->decryptionOutputFolder();
  ASSERT_EQ(::stat(copy.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0077, 0u);
  std::vector<std::string> names;
  ASSERT_EQ(platform::listFolder(copy, &names), 0);
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    ASSERT_EQ(::stat(joinPath(copy, name).c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_mode & 0077, 0u) << name;
  }
}
#endif

// Folders of runs that died are told by their lock, which no living process holds: removed
// with their plaintext. A living run's folder, one locked by its maker, stays whatever its
// name; a link among them is removed as a link, never followed.
TEST_F(TwoScans, FoldersOfDeadRunsAreRemovedByTheLockTest) {
  const std::string runs = runsFolder();
  const std::string dead = joinPath(runs, "run-dead");
  const std::string alive = joinPath(runs, "run-alive");
  ASSERT_EQ(platform::createFolders(joinPath(dead, engine::kDecryptionOutputName)), 0);
  ASSERT_EQ(platform::createFolders(joinPath(alive, engine::kDecryptionOutputName)), 0);
  const std::string deadPlain = joinPath(joinPath(dead, engine::kDecryptionOutputName), "sms.db");
  const std::string alivePlain = joinPath(joinPath(alive, engine::kDecryptionOutputName), "sms.db");
  ASSERT_EQ(platform::writeWholeFile(deadPlain, "plaintext", 9), 0);
  ASSERT_EQ(platform::writeWholeFile(alivePlain, "plaintext", 9), 0);
  {
    platform::FileLock died;  // made and then let go, as a killed process's lock is
    ASSERT_EQ(died.create(joinPath(dead, engine::kRunLockName)), 0);
  }
  platform::FileLock living;
  ASSERT_EQ(living.create(joinPath(alive, engine::kRunLockName)), 0);
  // Something elsewhere that a link among the run folders leads to.
  const std::string elsewhere = joinPath(temp_.path(), "elsewhere");
  ASSERT_EQ(platform::createFolders(elsewhere), 0);
  ASSERT_EQ(platform::writeWholeFile(joinPath(elsewhere, engine::kRunLockName), "", 0), 0);
  ASSERT_EQ(platform::writeWholeFile(joinPath(elsewhere, "keep"), "k", 1), 0);
  const bool linked = fixtures::makeLink(elsewhere, joinPath(runs, "run-link"));

  auto e = engine();  // an engine that starts cleans up
  EXPECT_FALSE(platform::pathExists(dead));
  EXPECT_EQ(readFile(alivePlain), "plaintext");
  EXPECT_EQ(readFile(joinPath(elsewhere, "keep")), "k");
  if (linked) {
    EXPECT_TRUE(platform::isLink(joinPath(runs, "run-link")));
  }
}

// Two exports into one folder at once, with the same names: every file of both is there, with
// its own content, and neither job reports a failure.
TEST(TwoExports, IntoOneFolderAtOnceEveryFileOfBothStays) {
  fixtures::TempFolder temp;
  const std::string root = joinPath(temp.path(), "out");
  constexpr int kFiles = 150;
  struct Job {
    RecordingSource source;
    engine::ScanResults results;
    CStatisticsObj stats;
    Results observer;
    std::unique_ptr<RecoveryJob> job;
    explicit Job(const std::string& work) : source(work) {}
  };
  std::vector<std::unique_ptr<Job>> jobs;
  std::vector<std::string> contents;
  for (int j = 0; j < 2; ++j) {
    auto job = std::make_unique<Job>(joinPath(temp.path(), "work" + std::to_string(j)));
    for (int i = 0; i < kFiles; ++i) {
      const std::string content = "job " + std::to_string(j) + " file " + std::to_string(i);
      contents.push_back(content);
      const std::wstring name =
          i % 3 == 0 ? L"IMG.JPG" : L"IMG_" + std::to_wstring(i % 10) + L".JPG";
      job->results.cameraRoll.push_back(
          storedItem(joinPath(temp.path(), "stored-" + std::to_string(j) + "-" + std::to_string(i)),
                     name.c_str(), content));
    }
    registerAll(job->stats, job->results);
    job->job = std::make_unique<RecoveryJob>(
        jobSetup(root, &job->source, &job->results, &job->stats), job->observer);
    ASSERT_EQ(job->job->loadTemplates(), 0);
    jobs.push_back(std::move(job));
  }
  std::thread runs[2];
  for (int j = 0; j < 2; ++j) runs[j] = std::thread([&jobs, j] { jobs[j]->job->run(); });
  for (std::thread& t : runs) t.join();

  for (const auto& job : jobs) {
    EXPECT_EQ(job->job->failed(), 0);
    EXPECT_EQ(job->job->processed(), kFiles);
    EXPECT_EQ(job->job->result(), 0);
  }
  const std::vector<std::string> files = listTree(root);
  ASSERT_EQ(files.size(), contents.size());
  std::vector<std::string> found;
  for (const std::string& f : files) found.push_back(readFile(joinPath(root, f)));
  std::sort(found.begin(), found.end());
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(found, contents);
  // Each result names the file that holds what that job copied.
  for (int j = 0; j < 2; ++j) {
    for (const Row& row : jobs[j]->observer.rows)
      EXPECT_EQ(readFile(row.path).rfind("job " + std::to_string(j) + " ", 0), 0u) << row.path;
  }
}

}  // namespace
}  // namespace qv::output::testing
