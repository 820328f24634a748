#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::platform {
namespace {

using qv::fixtures::TempFolder;

TEST(FileTest, WritesAndReadsBackAtOffsets) {
  TempFolder tmp;
  const std::string path = tmp.file("data.bin");
  const std::string content = "0123456789abcdef";
  ASSERT_EQ(writeWholeFile(path, content.data(), content.size()), kOk);

  File f;
  ASSERT_EQ(f.openRead(path), kOk);
  std::uint64_t size = 0;
  ASSERT_EQ(f.size(&size), kOk);
  EXPECT_EQ(size, content.size());
  char buf[8] = {};
  ASSERT_EQ(f.readExactAt(10, buf, 6), kOk);
  EXPECT_EQ(std::string(buf, 6), "abcdef");
  std::size_t got = 99;
  ASSERT_EQ(f.readAt(12, buf, 8, &got), kOk);
  EXPECT_EQ(got, 4u);  // stops at the end of the file
  EXPECT_EQ(f.readExactAt(12, buf, 8), kShortRead);
  ASSERT_EQ(f.readAt(100, buf, 8, &got), kOk);
  EXPECT_EQ(got, 0u);
}

TEST(FileTest, MissingFilesAndFoldersGiveWindowsCodes) {
  TempFolder tmp;
  File f;
  EXPECT_EQ(f.openRead(tmp.file("absent")), kErrFileNotFound);
  EXPECT_FALSE(f.isOpen());
  const int rc = f.openRead(joinPath(tmp.file("no-folder"), "x"));
  EXPECT_TRUE(rc == kErrPathNotFound || rc == kErrFileNotFound) << rc;
  std::uint64_t size = 7;
  EXPECT_EQ(fileSize(tmp.file("absent"), &size), kErrFileNotFound);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(f.openRead(tmp.path()), kErrAccessDenied);  // a folder is not a file
}

TEST(FileTest, WriteNewRefusesAnExistingName) {
  TempFolder tmp;
  const std::string path = tmp.file("taken");
  ASSERT_EQ(writeWholeFile(path, "x", 1), kOk);
  File f;
  EXPECT_EQ(f.openWriteNew(path), kErrFileExists);
  std::string back;
  ASSERT_EQ(readWholeFile(path, 10, &back), kOk);
  EXPECT_EQ(back, "x");
}

TEST(FileTest, ReadWholeFileRefusesFilesOverTheCap) {
  TempFolder tmp;
  const std::string path = tmp.file("big");
  const std::string content(100, 'z');
  ASSERT_EQ(writeWholeFile(path, content.data(), content.size()), kOk);
  std::string out = "stale";
  EXPECT_EQ(readWholeFile(path, 99, &out), kInvalid);
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(readWholeFile(path, 100, &out), kOk);
  EXPECT_EQ(out, content);
}

TEST(FileTest, CreatesNestedFoldersWithNonAsciiNames) {
  TempFolder tmp;
  const std::string deep = joinPath(joinPath(tmp.path(),
                                             "Ren\xC3\xA9"
                                             "e"),
                                    joinPath("\xE5\xBC\xA0\xE4\xB8\x89", "backup"));
  ASSERT_EQ(createFolders(deep), kOk);
  EXPECT_TRUE(isFolder(deep));
  EXPECT_EQ(createFolders(deep + kSep), kOk);  // already there, trailing separator
  const std::string file = joinPath(deep, "\xC3\xA9t\xC3\xA9.txt");
  ASSERT_EQ(writeWholeFile(file, "ok", 2), kOk);
  EXPECT_TRUE(isFile(file));
  std::vector<std::string> names;
  ASSERT_EQ(listFolder(deep, &names), kOk);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "\xC3\xA9t\xC3\xA9.txt");
  // A file in the way of a folder to create.
  EXPECT_NE(createFolders(joinPath(file, "sub")), kOk);
}

TEST(FileTest, ListFolderLeavesOutDotEntriesAndFailsOnMissingFolder) {
  TempFolder tmp;
  ASSERT_EQ(writeWholeFile(tmp.file(".hidden"), "", 0), kOk);
  ASSERT_EQ(createFolders(tmp.file("sub")), kOk);
  std::vector<std::string> names = {"stale"};
  ASSERT_EQ(listFolder(tmp.path(), &names), kOk);
  EXPECT_EQ(names.size(), 2u);  // ".hidden" and "sub"; "." and ".." are not listed
  for (const std::string& n : names) EXPECT_TRUE(n == ".hidden" || n == "sub") << n;
  EXPECT_NE(listFolder(tmp.file("absent"), &names), kOk);
}

TEST(FileTest, RenameReplacesAndRemoveDeletes) {
  TempFolder tmp;
  ASSERT_EQ(writeWholeFile(tmp.file("a"), "new", 3), kOk);
  ASSERT_EQ(writeWholeFile(tmp.file("b"), "old", 3), kOk);
  ASSERT_EQ(renameFile(tmp.file("a"), tmp.file("b")), kOk);
  std::string back;
  ASSERT_EQ(readWholeFile(tmp.file("b"), 10, &back), kOk);
  EXPECT_EQ(back, "new");
  EXPECT_FALSE(pathExists(tmp.file("a")));
  EXPECT_EQ(removeFile(tmp.file("b")), kOk);
  EXPECT_EQ(removeFile(tmp.file("b")), kErrFileNotFound);
}

TEST(FoldersTest, JoinPathAddsOneSeparator) {
  const std::string sep(1, kSep);
  EXPECT_EQ(joinPath("a", "b"), "a" + sep + "b");
  EXPECT_EQ(joinPath("a" + sep, "b"), "a" + sep + "b");
  EXPECT_EQ(joinPath("", "b"), "b");
}

TEST(FoldersTest, ProgramAndAppDataFoldersResolve) {
  std::string program;
  ASSERT_EQ(programFolder(&program), kOk);
  EXPECT_TRUE(isFolder(program)) << program;
  std::string appData;
  if (appDataFolder(&appData) == kOk) {
    EXPECT_FALSE(appData.empty());
    EXPECT_NE(appData.back(), kSep);
  }
}

// Backups are looked for where each edition of the backup program keeps them: on Windows the
// roaming application data first, then the profile folder; Linux has no default.
TEST(FoldersTest, DefaultBackupRootsNameEveryEditionsFolder) {
  const std::vector<std::string> roots = defaultBackupRoots();
#ifdef _WIN32
  std::string appData;
  ASSERT_EQ(appDataFolder(&appData), kOk);
  ASSERT_EQ(roots.size(), 2u);
  EXPECT_EQ(roots[0], appData + "\\Apple Computer\\MobileSync\\backup");
  const std::string second = "\\Apple\\MobileSync\\Backup";
  ASSERT_GT(roots[1].size(), second.size());
  EXPECT_EQ(roots[1].substr(roots[1].size() - second.size()), second);
  EXPECT_EQ(roots[1].find("\\\\"), std::string::npos);  // no doubled separator
#elif defined(__APPLE__)
  ASSERT_EQ(roots.size(), 1u);
#else
  EXPECT_TRUE(roots.empty());
#endif
}

}  // namespace
}  // namespace qv::platform
