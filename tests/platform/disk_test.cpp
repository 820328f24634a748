#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/disk.h"
#include "platform/result.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::platform {
namespace {

TEST(DiskTest, FreeSpaceAndDrivesAreReported) {
  qv::fixtures::TempFolder tmp;
  std::uint64_t free = 0;
  ASSERT_EQ(freeDiskBytes(tmp.path(), &free), kOk);
  EXPECT_GT(free, 0u);
  std::vector<std::string> roots;
  ASSERT_EQ(logicalDriveRoots(&roots), kOk);
  ASSERT_FALSE(roots.empty());
  EXPECT_EQ(setHiddenAttribute(tmp.path()), kOk);
  EXPECT_NE(setHiddenAttribute(tmp.file("absent")), kOk);
  EXPECT_NE(freeDiskBytes(tmp.file("absent/deeper"), &free), kOk);
}

}  // namespace
}  // namespace qv::platform
