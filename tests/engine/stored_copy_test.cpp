// Preview copies and export copies: which preview file a type goes to, what the callbacks are
// told, and what failures (short source, failing write, stop) leave behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "samples/backup_builder.h"
#include "samples/media_samples.h"
#include "tests/engine/scan_test_support.h"
#include "tests/fixtures/failing_write.h"
#include "tests/fixtures/special_files.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::engine {
namespace {

using samples::mediaBytes;
using samples::MediaSample;
using testing::U;
using testing::W;

struct PreviewRecorder {
  std::vector<int> percents;
  int stopAtCall = 0;
  static int QV_CALLBACK call(void* user, int percent) {
    auto* self = static_cast<PreviewRecorder*>(user);
    self->percents.push_back(percent);
    return self->stopAtCall > 0 && static_cast<int>(self->percents.size()) >= self->stopAtCall ? 2
                                                                                               : 0;
  }
};

struct CopyRecorder {
  struct Call {
    int percent;
    int code;
    std::wstring destination;
    bool operator==(const Call& o) const {
      return percent == o.percent && code == o.code && destination == o.destination;
    }
  };
  std::vector<Call> calls;
  int stopAtCall = 0;
  static int QV_CALLBACK call(void* user, int percent, int code, const wchar_t* destination) {
    auto* self = static_cast<CopyRecorder*>(user);
    self->calls.push_back({percent, code, destination});
    return self->stopAtCall > 0 && static_cast<int>(self->calls.size()) >= self->stopAtCall ? 2 : 0;
  }
};

std::string asfBytes(std::size_t size) {
  const unsigned char guid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                  0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  std::string s(reinterpret_cast<const char*>(guid), sizeof guid);
  s += samples::pseudoRandomBytes(size - s.size(), 7);
  return s;
}

class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override { engine_ = testing::engineIn(temp_.file("work")); }
  std::wstring stored(const std::string& name, const std::string& bytes) {
    const std::string path = temp_.file(name);
    EXPECT_EQ(platform::writeWholeFile(path, bytes.data(), bytes.size()), 0);
    return W(path);
  }
  std::string contentOf(const std::wstring& path) {
    std::string bytes;
    EXPECT_EQ(platform::readWholeFile(U(path), std::uint64_t{1} << 30, &bytes), 0);
    return bytes;
  }
  std::wstring preview(const char* name) { return W(platform::joinPath(temp_.file("work"), name)); }

  fixtures::TempFolder temp_;
  std::unique_ptr<RecoveryEngine> engine_;
};

TEST_F(CopyTest, EachTypeGoesToThePreviewFileOfItsKind) {
  struct Case {
    std::string bytes;
    const char* preview;
  };
  const Case cases[] = {
      {mediaBytes(MediaSample::kGif, 900, 1), "tmp.jpg"},
      {mediaBytes(MediaSample::kHeic, 900, 2), "tmp.jpg"},
      {mediaBytes(MediaSample::kJpegExif, 900, 3), "tmp.jpg"},
      {mediaBytes(MediaSample::kWav, 900, 4), "tmp.wav"},
      {mediaBytes(MediaSample::kMidi, 900, 5), "tmp.wav"},
      {mediaBytes(MediaSample::kMp3, 900, 6), "tmp.wav"},
      {asfBytes(900), "tmp.avi"},  // Windows Media audio or video: always "wmv"
      {mediaBytes(MediaSample::kMov, 900, 7), "tmp.avi"},
      {mediaBytes(MediaSample::k3gp, 900, 8), "tmp.avi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preview);
    const std::wstring source = stored("stored", c.bytes);
    PreviewRecorder recorder;
    std::wstring path;
    EXPECT_EQ(engine_->makePreviewFile(source, &path, &PreviewRecorder::call, &recorder), 0);
    EXPECT_EQ(path, preview(c.preview));
    EXPECT_EQ(contentOf(path), c.bytes);
    EXPECT_EQ(recorder.percents, (std::vector<int>{100, 100}));
  }
}

TEST_F(CopyTest, UnrecognisedShortAndMissingFilesHaveNoPreview) {
  for (const std::string& bytes : {mediaBytes(MediaSample::kText, 900, 1),
                                   mediaBytes(MediaSample::kJpegJfif, 300, 2).substr(0, 300),
                                   mediaBytes(MediaSample::kNearMp4, 900, 3)}) {
    PreviewRecorder recorder;
    std::wstring path = L"left over";
    EXPECT_EQ(
        engine_->makePreviewFile(stored("x", bytes), &path, &PreviewRecorder::call, &recorder),
        kInvalid);
    EXPECT_TRUE(path.empty());
    EXPECT_EQ(recorder.percents, std::vector<int>{100});
  }
  std::wstring path;
  EXPECT_EQ(engine_->makePreviewFile(W(temp_.file("none")), &path, nullptr, nullptr), kInvalid);
  EXPECT_TRUE(path.empty());
}

TEST_F(CopyTest, ASmallerPreviewReplacesALargerOneWhole) {
  const std::string large = mediaBytes(MediaSample::kMp4, 300000, 1);
  const std::string small = mediaBytes(MediaSample::kMov, 200000, 2);
  std::wstring path;
  ASSERT_EQ(engine_->makePreviewFile(stored("large", large), &path, nullptr, nullptr), 0);
  PreviewRecorder recorder;
  ASSERT_EQ(
      engine_->makePreviewFile(stored("small", small), &path, &PreviewRecorder::call, &recorder),
      0);
  EXPECT_EQ(contentOf(path), small);
  // 65536, 131072, 196608 and 200000 bytes of 200000, then the closing 100.
  EXPECT_EQ(recorder.percents, (std::vector<int>{32, 65, 98, 100, 100}));

  PreviewRecorder stopper;
  stopper.stopAtCall = 1;
  EXPECT_EQ(
      engine_->makePreviewFile(stored("large", large), &path, &PreviewRecorder::call, &stopper),
      kCancelled);
  EXPECT_EQ(stopper.percents, (std::vector<int>{21, 100}));
}

TEST_F(CopyTest, AnEmptySourceGivesAnEmptyFileReportedOnce) {
  CopyRecorder recorder;
  const std::wstring destination = W(temp_.file("out/new folder/empty.jpg"));
  EXPECT_EQ(
      engine_->copyStoredFile(stored("empty", ""), destination, &CopyRecorder::call, &recorder), 0);
  EXPECT_TRUE(platform::isFile(U(destination)));
  EXPECT_EQ(contentOf(destination), "");
  EXPECT_EQ(recorder.calls, (std::vector<CopyRecorder::Call>{{100, 0, destination}}));
}

// Pieces report at most 99; the one report of 100 comes once the file is in place.
TEST_F(CopyTest, ACopyReportsEachPieceThenItsPublishedName) {
  const std::string bytes = samples::pseudoRandomBytes(150000, 3);
  const std::wstring destination = W(temp_.file("out/Camera Roll/IMG_0001.JPG"));
  CopyRecorder recorder;
  EXPECT_EQ(
      engine_->copyStoredFile(stored("src", bytes), destination, &CopyRecorder::call, &recorder),
      0);
  EXPECT_EQ(contentOf(destination), bytes);
  EXPECT_EQ(recorder.calls, (std::vector<CopyRecorder::Call>{{43, 0, destination},
                                                             {87, 0, destination},
                                                             {99, 0, destination},
                                                             {100, 0, destination}}));

  // The name was taken meanwhile (another job, the user): the next number, nothing replaced.
  CopyRecorder second;
  EXPECT_EQ(
      engine_->copyStoredFile(stored("src2", "other"), destination, &CopyRecorder::call, &second),
      0);
  const std::wstring numbered = W(temp_.file("out/Camera Roll/IMG_0001(1).JPG"));
  EXPECT_EQ(second.calls,
            (std::vector<CopyRecorder::Call>{{99, 0, destination}, {100, 0, numbered}}));
  EXPECT_EQ(contentOf(destination), bytes);
  EXPECT_EQ(contentOf(numbered), "other");
}

// A stored file is read where it lies, never through a link or a linked folder: a backup can
// hold anything, and the link's target is some other file of the computer.
TEST_F(CopyTest, StoredFilesBehindLinksAreNotRead) {
  const std::string secret = temp_.file("secret");
  ASSERT_EQ(platform::writeWholeFile(secret, "private key", 11), 0);
  const std::string linked = temp_.file("linked");
  if (!fixtures::makeLink(secret, linked)) GTEST_SKIP() << "no links here";
  CopyRecorder recorder;
  const std::wstring destination = W(temp_.file("out/x.jpg"));
  EXPECT_EQ(engine_->copyStoredFile(W(linked), destination, &CopyRecorder::call, &recorder),
            kInvalid);
  EXPECT_FALSE(platform::pathExists(U(destination)));
  std::wstring preview;
  EXPECT_EQ(engine_->makePreviewFile(W(linked), &preview, nullptr, nullptr), kInvalid);
}

// A copy that cannot finish reports once what went wrong, in the system's words (a destination
// under a file gives "already exists", not a code that tells the user nothing), and leaves
// nothing behind. A write that fails half way ends the copy with its code even though the
// callback answers "go on": going on would report a file with a hole in it as copied.
struct UnfinishedCopy {
  const char* name;
  std::size_t sourceBytes;  // 0: there is no stored file
  bool underAFile;          // the destination's folder is a file
  int failingWrite;         // 0: none fails
  int stopAtCall;           // 0: the callback never stops it
  int result;
  std::vector<std::pair<int, int>> reports;  // percent, code
};

TEST_F(CopyTest, ACopyThatCannotFinishSaysWhyOnceAndLeavesNothing) {
  const UnfinishedCopy cases[] = {
      {"MissingSource", 0, false, 0, 0, kInvalid, {{100, kInvalid}}},
      {"DestinationUnderAFile", 3, true, 0, 0, kErrAlreadyExists, {{100, kErrAlreadyExists}}},
      {"FailingWrite",
       150000,
       false,
       2,
       0,
       kErrDiskFull,
       {{43, 0}, {43, kErrDiskFull}, {100, kErrDiskFull}}},
      {"Stopped", 150000, false, 0, 1, kCancelled, {{43, 0}, {100, kCancelled}}},
  };
  for (const UnfinishedCopy& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring source = c.sourceBytes == 0
                                    ? W(temp_.file("missing"))
                                    : stored("src", samples::pseudoRandomBytes(c.sourceBytes, 4));
    const std::string folder = c.underAFile ? U(stored("plain", "x")) : temp_.file("out");
    const std::wstring destination = W(platform::joinPath(folder, "a.jpg"));
    CopyRecorder recorder;
    recorder.stopAtCall = c.stopAtCall;
    platform::OsCalls calls = c.failingWrite > 0
                                  ? fixtures::failingWrite(c.failingWrite, kErrDiskFull)
                                  : platform::realOsCalls();
    {
      platform::ScopedOsCalls seam(calls);
      EXPECT_EQ(engine_->copyStoredFile(source, destination, &CopyRecorder::call, &recorder),
                c.result);
    }
    std::vector<CopyRecorder::Call> expected;
    for (const auto& [percent, code] : c.reports) expected.push_back({percent, code, destination});
    EXPECT_EQ(recorder.calls, expected);
    EXPECT_FALSE(platform::pathExists(U(destination)));
    std::vector<std::string> left;
    platform::listFolder(temp_.file("out"), &left);
    EXPECT_TRUE(left.empty());
  }
}

TEST_F(CopyTest, RemovingTemporaryFilesDeletesThePreviews) {
  std::wstring path;
  ASSERT_EQ(engine_->makePreviewFile(stored("gif", mediaBytes(MediaSample::kGif, 900, 1)), &path,
                                     nullptr, nullptr),
            0);
  ASSERT_TRUE(platform::isFile(U(path)));
  EXPECT_EQ(engine_->removeTemporaryFiles(), 0);
  EXPECT_FALSE(platform::pathExists(U(path)));
}

}  // namespace
}  // namespace qv::engine
