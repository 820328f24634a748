#include <gtest/gtest.h>

#include <string>

#include "backup/backup_size.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::backup {
namespace {

void writeBytes(const std::string& path, std::size_t n) {
  const std::string bytes(n, 'x');
  ASSERT_EQ(platform::writeWholeFile(path, bytes.data(), bytes.size()), 0) << path;
}

// The files of the folder and of its subfolders count; anything deeper does not, and a stop
// ends the walk as a failure.
TEST(BackupSizeTest, CountsTheFolderAndOneLevelBelow) {
  fixtures::TempFolder temp;
  const std::string backup = platform::joinPath(temp.path(), "backup");
  const std::string sub = platform::joinPath(backup, "3d");
  const std::string deep = platform::joinPath(sub, "deeper");
  ASSERT_EQ(platform::createFolders(deep), 0);
  writeBytes(platform::joinPath(backup, "Info.plist"), 10);
  writeBytes(platform::joinPath(backup, "Manifest.db"), 100);
  writeBytes(platform::joinPath(sub, "3d0d7e5fb2ce288813306e4d4636395e047a3d28"), 1000);
  writeBytes(platform::joinPath(deep, "never"), 5000);
  ASSERT_EQ(platform::createFolders(platform::joinPath(backup, "empty")), 0);

  std::uint64_t bytes = 1;
  EXPECT_TRUE(backupFolderBytes(backup, nullptr, &bytes));
  EXPECT_EQ(bytes, 1110u);

  std::atomic<int> stop{1};
  EXPECT_FALSE(backupFolderBytes(backup, &stop, &bytes));
  EXPECT_EQ(bytes, 0u);

  EXPECT_FALSE(backupFolderBytes(platform::joinPath(temp.path(), "missing"), nullptr, &bytes));
  EXPECT_EQ(bytes, 0u);
}

}  // namespace
}  // namespace qv::backup
