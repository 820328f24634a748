// Sibling programs: where they are looked for, the runnable copy of a shipped one, and the
// folders and ids the temporary files of every test build on.
#include <gtest/gtest.h>

#include <string>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/result.h"
#include "platform/shipped_program.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::platform {
namespace {

constexpr bool kWindows = kSep == '\\';

std::string contentsOf(const std::string& path) {
  std::string bytes;
  EXPECT_EQ(readWholeFile(path, 1 << 20, &bytes), kOk) << path;
  return bytes;
}

TEST(ShippedProgram, TheRunnableCopyHasItsHeaderBackOnlyWhereTheSystemNeedsOne) {
  fixtures::TempFolder tmp;
  const std::string shipped = tmp.file("shipped");
  const std::string work = tmp.file("work");
  ASSERT_EQ(createFolders(work), kOk);
  std::string program = "stale";
  EXPECT_EQ(runnableSibling(shipped, work, "tool", &program), kInvalid);
  EXPECT_TRUE(program.empty());

  ASSERT_EQ(writeWholeFile(shipped, "XYrest of the program", 21), kOk);
  ASSERT_EQ(runnableSibling(shipped, work, "tool", &program), kOk);
  if (kWindows) {
    EXPECT_EQ(program, joinPath(work, "tool.exe"));
    EXPECT_EQ(contentsOf(program), "MZrest of the program");
    EXPECT_EQ(contentsOf(shipped), "XYrest of the program");  // the shipped copy stays as it was
  } else {
    EXPECT_EQ(program, shipped);
    EXPECT_FALSE(isFile(joinPath(work, "tool.exe")));
  }

  // A file of one byte cannot hold the header it would get back.
  ASSERT_EQ(writeWholeFile(shipped, "X", 1), kOk);
  EXPECT_EQ(runnableSibling(shipped, work, "tool", &program), kWindows ? kInvalid : kOk);
}

TEST(ShippedProgram, NamesAndTemporaryPlaces) {
  EXPECT_STREQ(siblingProgramName("tool", "quenvale-decrypt"),
               kWindows ? "tool" : "quenvale-decrypt");
  EXPECT_TRUE(isFolder(systemTemporaryFolder())) << systemTemporaryFolder();
  EXPECT_GT(currentProcessId(), 0);
  EXPECT_EQ(currentProcessId(), currentProcessId());
}

}  // namespace
}  // namespace qv::platform
