// The file primitives that keep untrusted names from doing harm: reads that open regular files
// only and never wait, exclusive creates and renames that never write through a planted link,
// files that appear under their final name only when complete, folders below a root that are
// never links, removal that never follows a link, and the lock that tells dead runs from
// living ones.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/folders.h"
#include "platform/pending_file.h"
#include "platform/result.h"
#include "platform/text.h"
#include "tests/fixtures/special_files.h"
#include "tests/fixtures/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: the security headers need its types.
#include <aclapi.h>
#include <sddl.h>
#else
#include <sys/stat.h>
#endif

namespace qv::platform {
namespace {

using fixtures::TempFolder;

std::string contentOf(const std::string& path) {
  std::string bytes;
  readWholeFile(path, 1 << 20, &bytes);
  return bytes;
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  listFolder(folder, &names);
  std::sort(names.begin(), names.end());
  return names;
}

// A FIFO or a link to a device in place of a file: opening it for reading must neither wait for
// a writer nor read endless zeros; it is refused, and the file tests say it is no file.
TEST(SafeFilesTest, OnlyRegularFilesAreOpenedForReading) {
  TempFolder tmp;
  const std::string fifo = tmp.file("Manifest.db");
  if (!fixtures::makeFifo(fifo)) GTEST_SKIP() << "no FIFOs here";
  const std::string zero = tmp.file("Info.plist");
  ASSERT_TRUE(fixtures::makeLink("/dev/zero", zero));
  for (const std::string& path : {fifo, zero}) {
    SCOPED_TRACE(path);
    File f;
    EXPECT_EQ(f.openRead(path), kInvalid);
    EXPECT_FALSE(f.isOpen());
    EXPECT_TRUE(pathExists(path));
    EXPECT_FALSE(isFile(path));
    std::uint64_t size = 1;
    EXPECT_EQ(fileSize(path, &size), kInvalid);
    std::string bytes;
    EXPECT_EQ(readWholeFile(path, 100, &bytes), kInvalid);
  }
}

TEST(SafeFilesTest, NoFollowReadsRefuseALinkButNotAFile) {
  TempFolder tmp;
  ASSERT_EQ(writeWholeFile(tmp.file("real"), "data", 4), kOk);
  if (!fixtures::makeLink(tmp.file("real"), tmp.file("link"))) GTEST_SKIP() << "no links here";
  File f;
  EXPECT_EQ(f.openReadNoFollow(tmp.file("link")), kErrCantResolve);
  EXPECT_EQ(f.openRead(tmp.file("link")), kOk);  // the ordinary read looks through it
  EXPECT_EQ(f.openReadNoFollow(tmp.file("real")), kOk);
  EXPECT_TRUE(isLink(tmp.file("link")));
  EXPECT_FALSE(isLink(tmp.file("real")));
}

// Whatever holds a name, an exclusive create or rename leaves it and what it leads to alone.
TEST(SafeFilesTest, ExclusiveCreatesAndRenamesNeverReplaceOrFollow) {
  TempFolder tmp;
  const std::string outside = tmp.file("outside");
  ASSERT_EQ(createFolders(outside), kOk);
  const std::string victim = joinPath(outside, "victim");
  ASSERT_EQ(writeWholeFile(victim, "keep", 4), kOk);
  struct Taken {
    const char* name;
    bool link;
    std::string target;  // of a link
  };
  const Taken takens[] = {
      {"file", false, {}},
      {"folder", false, {}},
      {"link-to-file", true, victim},
      {"dangling-link", true, joinPath(outside, "not-yet")},
  };
  for (const Taken& t : takens) {
    SCOPED_TRACE(t.name);
    const std::string name = tmp.file(t.name);
    if (t.link) {
      if (!fixtures::makeLink(t.target, name)) continue;
    } else if (std::string(t.name) == "folder") {
      ASSERT_EQ(createFolders(name), kOk);
    } else {
      ASSERT_EQ(writeWholeFile(name, "old", 3), kOk);
    }
    File f;
    EXPECT_EQ(f.openWriteNew(name), kErrFileExists);
    ASSERT_EQ(writeWholeFile(tmp.file("new"), "new", 3), kOk);
    EXPECT_EQ(renameNoReplace(tmp.file("new"), name), kErrFileExists);
    EXPECT_EQ(contentOf(tmp.file("new")), "new");  // still where it was
  }
  EXPECT_EQ(contentOf(victim), "keep");
  EXPECT_FALSE(pathExists(joinPath(outside, "not-yet")));
  EXPECT_EQ(contentOf(tmp.file("file")), "old");
  ASSERT_EQ(renameNoReplace(tmp.file("new"), tmp.file("free")), kOk);
  EXPECT_EQ(contentOf(tmp.file("free")), "new");
  EXPECT_FALSE(pathExists(tmp.file("new")));
}

TEST(SafeFilesTest, NumberedNames) {
  const struct {
    const char* path;
    const char* first;
    const char* next;
  } cases[] = {
      {"a/IMG.JPG", "a/IMG(1).JPG", "a/IMG(1).JPG"},
      {"a/IMG(1).JPG", "a/IMG(1)(1).JPG", "a/IMG(2).JPG"},
      {"a/IMG(41).JPG", "a/IMG(41)(1).JPG", "a/IMG(42).JPG"},
      {"a/IMG(0).JPG", "a/IMG(0)(1).JPG", "a/IMG(0)(1).JPG"},
      {"a/IMG(x).JPG", "a/IMG(x)(1).JPG", "a/IMG(x)(1).JPG"},
      {"a/.profile", "a/(1).profile", "a/(1).profile"},
      {"a.b/name", "a.b/name(1)", "a.b/name(1)"},
      {"sms.tar.gz", "sms.tar(1).gz", "sms.tar(1).gz"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(numberedPath(c.path, 1), c.first) << c.path;
    EXPECT_EQ(nextNumberedPath(c.path), c.next) << c.path;
  }
}

// Nothing under the final name until publish; a taken name gives the next free number; a
// discarded or abandoned file leaves nothing; temporary names are hidden and unguessable.
TEST(SafeFilesTest, PendingFilesAppearWholeUnderAFreeName) {
  TempFolder tmp;
  const std::string final = tmp.file("IMG.JPG");
  std::string published;
  {
    PendingFile a;
    ASSERT_EQ(a.create(final), kOk);
    PendingFile b;
    ASSERT_EQ(b.create(final), kOk);
    EXPECT_NE(a.temporaryPath(), b.temporaryPath());
    for (const PendingFile* p : {&a, &b}) {
      const std::string name = p->temporaryPath().substr(tmp.path().size() + 1);
      EXPECT_EQ(name.front(), '.');
      EXPECT_EQ(name.size(), 1u + 16u + 5u);
    }
    const std::string big(200000, 'x');  // past the gathering piece
    ASSERT_EQ(a.write("head"), kOk);
    ASSERT_EQ(a.write(big), kOk);
    ASSERT_EQ(b.write("second"), kOk);
    EXPECT_FALSE(pathExists(final));
    ASSERT_EQ(a.publish(&published), kOk);
    EXPECT_EQ(published, final);
    ASSERT_EQ(writeWholeFile(tmp.file("IMG(1).JPG"), "taken", 5), kOk);
    ASSERT_EQ(b.publish(&published), kOk);
    EXPECT_EQ(published, tmp.file("IMG(2).JPG"));
    EXPECT_EQ(contentOf(final), "head" + big);
    EXPECT_EQ(contentOf(tmp.file("IMG(1).JPG")), "taken");
    EXPECT_EQ(contentOf(tmp.file("IMG(2).JPG")), "second");

    PendingFile discarded;
    ASSERT_EQ(discarded.create(tmp.file("gone.txt")), kOk);
    ASSERT_EQ(discarded.write("x"), kOk);
    discarded.discard();
    EXPECT_EQ(discarded.publish(&published), kErrInvalidHandle);
    PendingFile abandoned;
    ASSERT_EQ(abandoned.create(tmp.file("abandoned.txt")), kOk);
    ASSERT_EQ(abandoned.write("x"), kOk);
  }
  EXPECT_EQ(entries(tmp.path()), (std::vector<std::string>{"IMG(1).JPG", "IMG(2).JPG", "IMG.JPG"}));

  // Replacing: the program's own files are rewritten in place.
  PendingFile again;
  ASSERT_EQ(again.create(final), kOk);
  ASSERT_EQ(again.write("new"), kOk);
  ASSERT_EQ(again.publishReplacing(), kOk);
  EXPECT_EQ(contentOf(final), "new");
  EXPECT_EQ(entries(tmp.path()).size(), 3u);
}

TEST(SafeFilesTest, FoldersBelowARootAreNeverLinks) {
  TempFolder tmp;
  const std::string root = tmp.file("out");
  const std::string elsewhere = tmp.file("elsewhere");
  ASSERT_EQ(createFolders(root), kOk);
  ASSERT_EQ(createFolders(elsewhere), kOk);
  EXPECT_EQ(createFoldersBelow(root, "Message/Ann-1"), kOk);
  EXPECT_TRUE(isFolder(joinPath(joinPath(root, "Message"), "Ann-1")));
  EXPECT_EQ(createFoldersBelow(root, "Message/Ann-1"), kOk);  // already there
  ASSERT_EQ(writeWholeFile(joinPath(root, "Notes"), "x", 1), kOk);
  EXPECT_EQ(createFoldersBelow(root, "Notes/deeper"), kErrAlreadyExists);
  if (!fixtures::makeLink(elsewhere, joinPath(root, "Camera Roll"))) GTEST_SKIP() << "no links";
  EXPECT_EQ(createFoldersBelow(root, "Camera Roll"), kErrCantResolve);
  EXPECT_EQ(createFoldersBelow(root, "Camera Roll/sub"), kErrCantResolve);
  EXPECT_TRUE(entries(elsewhere).empty());
}

TEST(SafeFilesTest, RemovingATreeRemovesLinksNotWhatTheyLeadTo) {
  TempFolder tmp;
  const std::string keep = tmp.file("keep");
  ASSERT_EQ(createFolders(joinPath(keep, "inner")), kOk);
  ASSERT_EQ(writeWholeFile(joinPath(keep, "file"), "k", 1), kOk);
  const std::string tree = tmp.file("tree");
  ASSERT_EQ(createFolders(joinPath(tree, "a")), kOk);
  ASSERT_EQ(writeWholeFile(joinPath(joinPath(tree, "a"), "b"), "b", 1), kOk);
  if (!fixtures::makeLink(keep, joinPath(tree, "to-folder")) ||
      !fixtures::makeLink(joinPath(keep, "file"), joinPath(tree, "to-file")))
    GTEST_SKIP() << "no links here";
  EXPECT_EQ(removeTree(tree), kOk);
  EXPECT_FALSE(pathExists(tree));
  EXPECT_EQ(entries(keep), (std::vector<std::string>{"file", "inner"}));
  EXPECT_EQ(removeTree(tree), kOk);  // nothing there: nothing to do
}

#ifndef _WIN32
TEST(SafeFilesTest, PrivateFoldersAreTheUsersAlone) {
  TempFolder tmp;
  ASSERT_EQ(createPrivateFolder(tmp.file("private")), kOk);
  struct stat st {};
  ASSERT_EQ(::stat(tmp.file("private").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(createPrivateFolder(tmp.file("private")), kErrAlreadyExists);
}
#else
// The folder's access list is protected (nothing inherited from the temporary folder, which
// other accounts may read) and grants the user who made it, and nobody else. Wine keeps no
// access list on files (it makes one up from the Unix mode), so there the folder is only made.
TEST(SafeFilesTest, PrivateFoldersAreTheUsersAlone) {
  TempFolder tmp;
  ASSERT_EQ(createPrivateFolder(tmp.file("private")), kOk);
  EXPECT_EQ(createPrivateFolder(tmp.file("private")), kErrAlreadyExists);
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr)
    GTEST_SKIP() << "wine keeps no access lists on files";

  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  alignas(TOKEN_USER) unsigned char userBytes[256];
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, userBytes, sizeof userBytes, &size));
  CloseHandle(token);
  const PSID user = reinterpret_cast<TOKEN_USER*>(userBytes)->User.Sid;

  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring path = toWide(tmp.file("private"));
  ASSERT_EQ(GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  ASSERT_NE(dacl, nullptr);
  ASSERT_EQ(dacl->AceCount, 1);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(dacl, 0, &ace));
  const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
  EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
  EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&allowed->SidStart), user));
  LocalFree(descriptor);
}
#endif

// A lock held by a living holder cannot be taken; once let go (as a dead process's lock is) it
// can. Two holders in one process conflict just as two processes do.
TEST(SafeFilesTest, ALockTellsALivingHolderFromNone) {
  TempFolder tmp;
  const std::string path = tmp.file("lock");
  FileLock living;
  ASSERT_EQ(living.create(path), kOk);
  EXPECT_TRUE(living.held());
  FileLock other;
  EXPECT_EQ(other.create(path), kErrFileExists);
  EXPECT_EQ(other.takeOver(path), kErrSharingViolation);
  EXPECT_FALSE(other.held());
  living.release();
  EXPECT_EQ(other.takeOver(path), kOk);
  EXPECT_EQ(living.takeOver(path), kErrSharingViolation);
  other.release();
  EXPECT_EQ(living.takeOver(tmp.file("no-lock")), kErrFileNotFound);
}

}  // namespace
}  // namespace qv::platform
