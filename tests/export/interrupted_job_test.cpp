// Exports that do not run to their end: cancelled (Ctrl-C, SIGTERM, SIGHUP), killed outright,
// or failing on a full disk. Nothing is ever left under a name that looks recovered; an item
// that was stopped or failed is in the result list as failed; a run after an interrupted one
// writes its files under their own names, not beside leftovers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "export/recovery_job.h"
#include "export/selection.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/process.h"
#include "platform/result.h"
#include "platform/stop_signals.h"
#include "platform/text.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "samples/media_samples.h"
#include "tests/export/job_support.h"
#include "tests/fixtures/failing_write.h"
#include "tests/fixtures/temp_folder.h"

#ifndef _WIN32
#include <signal.h>
#endif

namespace qv::output::testing {
namespace {

// Every name in the tree that is not a hidden temporary one.
Tree visibleFiles(const std::string& root) {
  Tree visible;
  for (const std::string& f : listTree(root)) {
    const std::size_t slash = f.rfind('/');
    if (f[slash == std::string::npos ? 0 : slash + 1] != '.') visible.push_back(f);
  }
  return visible;
}

class Interrupted : public JobFixture {
 protected:
  engine::FileItem file(const wchar_t* name, std::size_t size) {
    return JobFixture::file(name, samples::pseudoRandomBytes(size, static_cast<unsigned>(next_)));
  }

  // The job over the results, Notes first (so a stop in the photos comes after a note row).
  std::unique_ptr<RecoveryJob> makeJob(Results* observer) {
    stats_ = CStatisticsObj();
    registerCategory(stats_, results_, ItemCategory::kNotes);
    registerCategory(stats_, results_, ItemCategory::kCameraRoll);
    return JobFixture::makeJob(observer);
  }
};

// A stop request from outside (Ctrl-C, a kill, a closed terminal) in the middle of a large
// copy: the copy is removed and listed as cancelled, the finishing steps run for what was
// done, and a second run writes the file under its own name.
TEST_F(Interrupted, AStopRequestRemovesThePartAndTheNextRunTakesTheName) {
  std::vector<int> signals = {SIGINT, SIGTERM};
#ifdef SIGHUP
  signals.push_back(SIGHUP);
#endif
  results_.notes.resize(1);
  results_.cameraRoll = {file(L"done.jpg", 10), file(L"big.mov", 1 << 20), file(L"later.jpg", 10)};
  for (int signal : signals) {
    SCOPED_TRACE(signal);
    platform::removeTree(root_);
    Results observer;
    auto job = makeJob(&observer);
    observer.onProgress = [signal](int percent, const std::string& path) {
      if (percent < 100 && path.find("big.mov") != std::string::npos) std::raise(signal);
    };
    {
      platform::StopSignals stop(job->cancelFlag());
      EXPECT_EQ(job->run(kStamp), kCancelled);
    }
    EXPECT_EQ(visibleFiles(root_),
              (Tree{"Camera Roll/done.jpg", "Notes/Notes_20240102030405.html"}));
    EXPECT_EQ(listTree(root_).size(), 2u);  // no temporary file either
    // done.jpg, big.mov (cancelled), then the note's row once its document is written.
    ASSERT_EQ(observer.rows.size(), 3u);
    EXPECT_EQ(observer.rows[1].path, out("Camera Roll/big.mov"));
    EXPECT_EQ(observer.rows[1].status, "Cancelled");
    EXPECT_EQ(observer.rows[2].status, "Success");
    EXPECT_EQ(job->result(), kCancelled);
  }
  Results again;
  auto job = makeJob(&again);
  EXPECT_EQ(job->run(kStamp), 0);
  EXPECT_EQ(visibleFiles(out("Camera Roll")),
            (Tree{"big.mov", "done(1).jpg", "done.jpg", "later.jpg"}));
}

// A disk that fills in the middle of a write: the file or document it hits is failed with the
// system's code and not left cut short under its name, each of a document's rows is listed as
// failed rather than recovered, and the files before and after it are whole.
struct FullDisk {
  const char* name;
  std::vector<std::size_t> photoSizes;  // a.jpg, b.jpg, ...
  int notes;
  int failingWrite;  // counted from the first write of the job
  const char* hit;   // the part of the path of every row that fails
  Tree tree;
  int failed;
};

TEST_F(Interrupted, AFullDiskFailsWhatItHitsAndLeavesNothingOfIt) {
  const FullDisk cases[] = {
      // The fourth write is the second piece of b.jpg (a.jpg takes two).
      {"InAPhoto",
       {100000, 200000, 100000},
       2,
       4,
       "b.jpg",
       {"Camera Roll/a.jpg", "Camera Roll/c.jpg", "Notes/Notes_20240102030405.html"},
       1},
      // The document's only piece: head, rows and tail together.
      {"InADocument", {}, 3, 1, "Notes_", {}, 3},
  };
  for (const FullDisk& c : cases) {
    SCOPED_TRACE(c.name);
    platform::removeTree(root_);
    results_ = engine::ScanResults();
    std::vector<std::string> photos;
    for (std::size_t i = 0; i < c.photoSizes.size(); ++i) {
      const std::wstring name = std::wstring(1, static_cast<wchar_t>(L'a' + i)) + L".jpg";
      results_.cameraRoll.push_back(file(name.c_str(), c.photoSizes[i]));
      photos.push_back(readFile(platform::toUtf8(results_.cameraRoll.back().storedPath)));
    }
    results_.notes.resize(c.notes);
    Results observer;
    auto job = makeJob(&observer);
    {
      platform::ScopedOsCalls seam(fixtures::failingWrite(c.failingWrite, kErrDiskFull));
      EXPECT_EQ(job->run(kStamp), 0);
    }
    EXPECT_EQ(listTree(root_), c.tree);
    for (std::size_t i = 0; i < photos.size(); ++i) {
      const std::string path =
          out("Camera Roll/" + std::string(1, static_cast<char>('a' + i)) + ".jpg");
      if (platform::isFile(path)) {
        EXPECT_EQ(readFile(path), photos[i]) << path;
      }
    }
    EXPECT_EQ(job->failed(), c.failed);
    EXPECT_EQ(job->result(), kErrDiskFull);
    EXPECT_EQ(job->processed(), job->total());
    int hits = 0;
    for (const Row& row : observer.rows) {
      const bool hit = row.path.find(c.hit) != std::string::npos;
      hits += hit;
      EXPECT_EQ(row.code, hit ? kErrDiskFull : 0) << row.path;
    }
    EXPECT_EQ(hits, c.failed);
  }
}

// The real program on a backup of large photos, interrupted as soon as its first photo is in
// place: killed outright (kill -9, the task manager), or asked to stop (SIGTERM, a closing
// terminal's SIGHUP). Whatever it published is whole, nothing is cut short under a final name;
// after a kill only hidden temporary files may stay, after a stop request not even those, and
// the program says it was cancelled.
enum class Interruption { kKill, kTerminate, kHangUp };

class InterruptedProgram : public ::testing::TestWithParam<Interruption> {};

TEST_P(InterruptedProgram, NothingCutShortIsLeftUnderAFinalName) {
  fixtures::TempFolder tmp;
  samples::BackupBuilder b(joinPath(tmp.path(), "backup"), samples::ManifestLayout::kDb);
  ASSERT_EQ(samples::writeInfoPlist(b.folder(), samples::infoPlistText({})), 0);
  std::vector<std::string> photos;
  for (int i = 0; i < 24; ++i) {
    photos.push_back(samples::mediaBytes(samples::MediaSample::kJpegJfif, 3 << 20,
                                         static_cast<std::uint32_t>(i)));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_" + std::to_string(1000 + i) + ".JPG",
              photos.back());
  }
  ASSERT_EQ(b.finish(), 0);
  const std::string out = joinPath(tmp.path(), "out");
  const std::string cameraRoll = joinPath(out, "Camera Roll");

  bool interruptedMidway = false;
  for (int attempt = 0; attempt < 5 && !interruptedMidway; ++attempt) {
    platform::removeTree(out);
    platform::Process export_;
    ASSERT_EQ(export_.start(QV_CLI_PROGRAM,
                            {"export", b.folder(), "--out", out, "--only", "Camera Roll"}),
              0);
    export_.closeInput();
    bool ended = false;
    for (int waited = 0; waited < 60000 && !ended; ++waited) {
      if (!visibleFiles(cameraRoll).empty()) break;
      export_.waitFor(1, &ended);
    }
    if (GetParam() == Interruption::kKill) {
      export_.terminate();
    } else {
#ifdef _WIN32
      GTEST_SKIP() << "stop signals are POSIX's";
#else
      ::kill(export_.id(), GetParam() == Interruption::kTerminate ? SIGTERM : SIGHUP);
#endif
    }
    export_.waitFor(20000, &ended);
    ASSERT_TRUE(ended);
    const Tree published = visibleFiles(cameraRoll);
    interruptedMidway = !published.empty() && published.size() < photos.size();
    for (const std::string& name : published) {
      const std::string bytes = readFile(joinPath(cameraRoll, name));
      bool whole = false;
      for (const std::string& photo : photos) whole = whole || bytes == photo;
      EXPECT_TRUE(whole) << name << " is not a whole photo (" << bytes.size() << " bytes)";
    }
    if (interruptedMidway && GetParam() != Interruption::kKill) {
      EXPECT_EQ(listTree(cameraRoll).size(), published.size()) << "a temporary file stayed";
      std::string output;
      char buf[4096];
      std::size_t got = 0;
      while (export_.read(buf, sizeof buf, &got) == 0 && got > 0) output.append(buf, got);
      EXPECT_NE(output.find("the recovery was cancelled"), std::string::npos) << output;
      int code = 0;
      ASSERT_EQ(export_.exitCode(&code), 0);
      EXPECT_EQ(code, 1);
    }
  }
  if (!interruptedMidway) GTEST_SKIP() << "every run ended before the interruption could land";
}

std::string interruptionName(const ::testing::TestParamInfo<Interruption>& way) {
  switch (way.param) {
    case Interruption::kKill:
      return "Kill";
    case Interruption::kTerminate:
      return "Terminate";
    case Interruption::kHangUp:
      return "HangUp";
  }
  return "";
}

INSTANTIATE_TEST_SUITE_P(Ways, InterruptedProgram,
                         ::testing::Values(Interruption::kKill, Interruption::kTerminate,
                                           Interruption::kHangUp),
                         interruptionName);

}  // namespace
}  // namespace qv::output::testing
