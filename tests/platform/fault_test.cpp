// Failures produced on demand through the operating-system seam.
#include <gtest/gtest.h>

#include <string>

#include "platform/file.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::platform {
namespace {

using qv::fixtures::TempFolder;

OsCalls withReal() {
  return realOsCalls();
}

TEST(FaultTest, ShortReadsAreRetriedUntilTheEnd) {
  TempFolder tmp;
  const std::string content = "abcdefghijklmnopqrstuvwxyz";
  ASSERT_EQ(writeWholeFile(tmp.file("f"), content.data(), content.size()), kOk);
  OsCalls calls = withReal();
  calls.readAt = [](NativeHandle h, std::uint64_t off, void* buf, std::size_t n, std::size_t* got) {
    return realOsCalls().readAt(h, off, buf, n < 3 ? n : 3, got);  // three bytes at a time
  };
  ScopedOsCalls scope(calls);
  std::string out;
  ASSERT_EQ(readWholeFile(tmp.file("f"), 1000, &out), kOk);
  EXPECT_EQ(out, content);
}

TEST(FaultTest, AccessDeniedReachesTheCaller) {
  TempFolder tmp;
  ASSERT_EQ(writeWholeFile(tmp.file("f"), "x", 1), kOk);
  OsCalls calls = withReal();
  calls.openFile = [](const std::string&, OpenMode, NativeHandle* out) {
    *out = kNoHandle;
    return kErrAccessDenied;
  };
  ScopedOsCalls scope(calls);
  std::string out;
  EXPECT_EQ(readWholeFile(tmp.file("f"), 10, &out), kErrAccessDenied);
}

TEST(FaultTest, ReadErrorInTheMiddleIsReported) {
  TempFolder tmp;
  const std::string content(64, 'q');
  ASSERT_EQ(writeWholeFile(tmp.file("f"), content.data(), content.size()), kOk);
  OsCalls calls = withReal();
  calls.readAt = [](NativeHandle h, std::uint64_t off, void* buf, std::size_t n, std::size_t* got) {
    if (off >= 32) {
      *got = 0;
      return kErrReadFault;
    }
    return realOsCalls().readAt(h, off, buf, n < 32 ? n : 32, got);
  };
  ScopedOsCalls scope(calls);
  File f;
  ASSERT_EQ(f.openRead(tmp.file("f")), kOk);
  char buf[64];
  EXPECT_EQ(f.readExactAt(0, buf, 64), kErrReadFault);
}

TEST(FaultTest, FullDiskLeavesNoFileUnderTheFinalName) {
  TempFolder tmp;
  ASSERT_EQ(writeWholeFile(tmp.file("out"), "previous", 8), kOk);
  OsCalls calls = withReal();
  calls.write = [](NativeHandle, const void*, std::size_t, std::size_t* put) {
    *put = 0;
    return kErrDiskFull;
  };
  {
    ScopedOsCalls scope(calls);
    EXPECT_EQ(writeWholeFile(tmp.file("out"), "replacement", 11), kErrDiskFull);
  }
  std::string back;
  ASSERT_EQ(readWholeFile(tmp.file("out"), 100, &back), kOk);
  EXPECT_EQ(back, "previous");  // the old content is untouched
  EXPECT_FALSE(pathExists(tmp.file("out.part")));
}

TEST(FaultTest, WriteThatMakesNoProgressEnds) {
  TempFolder tmp;
  OsCalls calls = withReal();
  calls.write = [](NativeHandle, const void*, std::size_t, std::size_t* put) {
    *put = 0;
    return kOk;
  };
  ScopedOsCalls scope(calls);
  File f;
  ASSERT_EQ(f.openWrite(tmp.file("stuck")), kOk);
  EXPECT_EQ(f.write("abc", 3), kErrWriteFault);
}

TEST(FaultTest, FileThatVanishesBetweenSizeAndReadGivesWhatIsThere) {
  TempFolder tmp;
  const std::string content(100, 'v');
  ASSERT_EQ(writeWholeFile(tmp.file("f"), content.data(), content.size()), kOk);
  OsCalls calls = withReal();
  calls.readAt = [](NativeHandle, std::uint64_t, void*, std::size_t, std::size_t* got) {
    *got = 0;  // truncated to nothing after its size was taken
    return kOk;
  };
  ScopedOsCalls scope(calls);
  std::string out = "stale";
  EXPECT_EQ(readWholeFile(tmp.file("f"), 1000, &out), kOk);
  EXPECT_TRUE(out.empty());
}

TEST(FaultTest, TableIsRestoredAfterTheScope) {
  {
    OsCalls calls = withReal();
    calls.stat = [](const std::string&, PathInfo* info) {
      *info = PathInfo{};
      return kErrAccessDenied;
    };
    ScopedOsCalls scope(calls);
    EXPECT_FALSE(pathExists("."));
  }
  EXPECT_TRUE(pathExists("."));
}

}  // namespace
}  // namespace qv::platform
