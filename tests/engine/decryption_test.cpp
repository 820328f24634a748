// The decryption driver: the progress it makes of the tool's output, the temporary folder it
// chooses, the arguments the tool receives, and whole password-protected backups deciphered by
// the real tool and scanned like their plain twins.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/decryption.h"
#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "samples/backup_sample.h"
#include "samples/encrypt_backup.h"
#include "samples/encrypt_twin.h"
#include "tests/engine/scan_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::engine {
namespace {

using testing::engineIn;
using testing::RecordingCallback;
using testing::scanCounts;
using testing::U;
using testing::W;

std::string readOrEmpty(const std::string& path) {
  std::string bytes;
  platform::readWholeFile(path, 1 << 20, &bytes);
  return bytes;
}

// An engine whose decryption tool is the scripted child, over a backup folder of n files.
class ScriptedDecryption : public ::testing::Test {
 protected:
  void makeBackup(int files) {
    backup_ = platform::joinPath(temp_.path(), "backup");
    ASSERT_EQ(platform::createFolders(backup_), 0);
    for (int i = 0; i < files; ++i)
      ASSERT_EQ(platform::writeWholeFile(platform::joinPath(backup_, std::to_string(i)), "x", 1),
                0);
  }
  void script(const std::string& text) {
    ASSERT_EQ(platform::writeWholeFile(backup_ + ".script", text.data(), text.size()), 0);
  }
  int open(const std::wstring& password, const std::string& workName = "work") {
    engine_ = engineIn(platform::joinPath(temp_.path(), workName), QV_SCRIPT_CHILD);
    backup::BackupInfo info;
    info.folder = W(backup_);
    info.encrypted = true;
    engine_->setCurrentBackup(info);
    engine_->setCallback(RecordingCallback::call, &recorder_);
    return engine_->open(password);
  }

  fixtures::TempFolder temp_;
  std::string backup_;
  RecordingCallback recorder_;
  std::unique_ptr<RecoveryEngine> engine_;
};

TEST_F(ScriptedDecryption, AHalfwayCountOfAThousandFilesReportsOneThenSix) {
  makeBackup(1000);
  script("print Count: 500\\n\nsleep 300\nfile aa\n");
  open(L"pw");
  ASSERT_GE(recorder_.values.size(), 4u);
  // open's 0, the first count's 1, 1 + 10 x 500 / 1000, the tool's end at progress + step.
  EXPECT_EQ(std::vector<int>(recorder_.values.begin(), recorder_.values.begin() + 4),
            (std::vector<int>{0, 1, 6, 11}));
  EXPECT_EQ(engine_->step(), 10);
  // After decryption the engine's files are those of the output folder.
  ASSERT_EQ(engine_->backupFiles().size(), 1u);
  EXPECT_EQ(engine_->backupFolder(), engine_->decryptionOutputFolder());
}

TEST_F(ScriptedDecryption, CountsBeyondTheFilesOrWithoutDigitsStayWithinTheStep) {
  makeBackup(4);
  script("print Count: 99999999999999999999999\\n\nsleep 200\nprint Count: none\\n\n");
  open(L"pw");
  ASSERT_GE(recorder_.values.size(), 4u);
  EXPECT_EQ(recorder_.values[1], 1);
  EXPECT_EQ(recorder_.values[2], 11);  // never past progress + step
  EXPECT_EQ(recorder_.values[3], 1);   // no number: n is 0
}

TEST_F(ScriptedDecryption, WrongPasswordInTheChunkOfACountGivesMinus110WithoutTheCount) {
  makeBackup(10);
  script("print Count: 5\\nWrong password\\n\n");
  EXPECT_EQ(open(L"pw"), kWrongPassword);
  // Only open's 0: no 1, no count, and no closing progress + step for a backup that did not open.
  EXPECT_EQ(recorder_.values, (std::vector<int>{0}));
}

TEST_F(ScriptedDecryption, WrongPasswordSplitBetweenTwoReadsIsStillSeen) {
  makeBackup(10);
  script("print Wrong pass\nsleep 300\nprint word\\n\n");
  EXPECT_EQ(open(L"pw"), kWrongPassword);
  for (int v : recorder_.values) EXPECT_EQ(v, 0);  // no progress shows
}

TEST_F(ScriptedDecryption, AStopAnswerEndsDecryptionWithThatAnswer) {
  makeBackup(10);
  script("print Count: 1\\n\nsleep 200\nprint Count: 2\\n\n");
  recorder_.stopAtCall = 2;  // the first count's report of 1
  recorder_.answer = 7;
  EXPECT_EQ(open(L"pw"), 7);
}

TEST_F(ScriptedDecryption, AToolThatCannotBeFoundGives87) {
  makeBackup(1);
  auto engine = engineIn(platform::joinPath(temp_.path(), "work"),
                         platform::joinPath(temp_.path(), "no-such-tool"));
  backup::BackupInfo info;
  info.folder = W(backup_);
  info.encrypted = true;
  engine->setCurrentBackup(info);
  EXPECT_EQ(engine->open(L"pw"), kInvalid);
}

// The folders arrive as two exact arguments and the password as the first line of the tool's
// standard input: never on its command line, which every local user can read.
TEST_F(ScriptedDecryption, TheToolGetsTheFoldersAsArgumentsAndThePasswordOnItsInput) {
  makeBackup(1);
  script("print Count: 1\\n\n");
  for (const std::string& password :
       {std::string("correct horse  battery"), std::string("say \"hi\" \"\""),
        std::string("tricky \\\" \\\\\" end\\"), std::string("pässwörd ñ 密码"), std::string("-x"),
        std::string("")}) {
    SCOPED_TRACE(password);
    // A work folder with spaces, as on many Windows machines.
    open(W(password), "work folder ünï");
    const std::string expected =
        backup_ + "\n" + engine_->decryptionOutputFolder() + "\nstdin: " + password + "\n";
    EXPECT_EQ(readOrEmpty(backup_ + ".args"), expected);
    engine_.reset();
  }
}

// A password the tool could not take whole (a NUL would end it early, one past the limit is
// refused) gives 87 before the tool starts.
TEST_F(ScriptedDecryption, APasswordTheToolCannotTakeWholeIsNotHandedOver) {
  makeBackup(1);
  script("print Count: 1\\n\n");
  for (const std::wstring& password :
       {std::wstring(L"ab\0cd", 5), std::wstring(kMaxPasswordBytes + 1, L'p')}) {
    platform::removeFile(backup_ + ".args");
    EXPECT_EQ(open(password), kInvalid);
    EXPECT_FALSE(platform::pathExists(backup_ + ".args"));
  }
  open(std::wstring(kMaxPasswordBytes, L'p'));  // the longest one goes through whole
  EXPECT_NE(
      readOrEmpty(backup_ + ".args").find("stdin: " + std::string(kMaxPasswordBytes, 'p') + "\n"),
      std::string::npos);
}

TEST_F(ScriptedDecryption, LeftoverOutputIsRemovedWhenTheEngineStartsAndEnds) {
  makeBackup(2);
  script("file one\nfile two\nprint Count: 2\\n\n");
  open(L"pw");
  const std::string output = engine_->decryptionOutputFolder();
  EXPECT_TRUE(platform::isFile(platform::joinPath(output, "one")));
  engine_.reset();
  EXPECT_FALSE(platform::isFile(platform::joinPath(output, "one")));
  EXPECT_FALSE(platform::isFile(platform::joinPath(output, "two")));
}

// The temporary folder through the platform seam: free space per path.
std::map<std::string, std::uint64_t>* g_free = nullptr;
std::vector<std::string>* g_drives = nullptr;

int fakeFreeSpace(const std::string& path, std::uint64_t* bytes) {
  auto it = g_free->find(path);
  if (it == g_free->end()) return kErrPathNotFound;
  *bytes = it->second;
  return kOk;
}
int fakeDrives(std::vector<std::string>* roots) {
  *roots = *g_drives;
  return kOk;
}

class TemporaryFolderChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = platform::joinPath(temp_.path(), "work");
    for (const char* d : {"a", "b", "c", "d"}) {
      drives_.push_back(platform::joinPath(temp_.path(), d));
      ASSERT_EQ(platform::createFolders(drives_.back()), 0);
    }
    g_free = &free_;
    g_drives = &drives_;
    platform::OsCalls calls = platform::osCalls();
    calls.freeSpace = fakeFreeSpace;
    calls.logicalDrives = fakeDrives;
    seam_ = std::make_unique<platform::ScopedOsCalls>(calls);
  }
  void TearDown() override {
    seam_.reset();
    g_free = nullptr;
    g_drives = nullptr;
  }
  std::string chosen() { return engineIn(work_)->temporaryFolder(); }

  fixtures::TempFolder temp_;
  std::string work_;
  std::vector<std::string> drives_;
  std::map<std::string, std::uint64_t> free_;
  std::unique_ptr<platform::ScopedOsCalls> seam_;
};

// More than 15 GiB free on the work volume keeps the deciphered copy there; otherwise, or when
// the work volume gives no answer, it goes to the roomiest drive, the first of equals.
struct Choice {
  const char* name;
  std::optional<std::uint64_t> workFree;                 // none: the volume gives no answer
  std::vector<std::pair<int, std::uint64_t>> driveFree;  // the drives not named give none
  int chosenDrive;                                       // -1: the work folder
};

TEST_F(TemporaryFolderChoice, TheWorkVolumeWhenRoomyElseTheRoomiestDrive) {
  const Choice cases[] = {
      {"MoreThan15GiBOnTheWorkVolume",
       kTemporaryFolderMinFree + 1,
       {{1, kTemporaryFolderMinFree * 4}},
       -1},
      {"Exactly15GiBOnTheWorkVolume", kTemporaryFolderMinFree, {{0, 100}, {1, 5000}, {3, 5000}}, 1},
      {"NoAnswerForTheWorkVolume", std::nullopt, {{2, 1}}, 2},
  };
  for (const Choice& c : cases) {
    SCOPED_TRACE(c.name);
    free_.clear();
    if (c.workFree) free_[work_] = *c.workFree;
    for (const auto& [drive, bytes] : c.driveFree) free_[drives_[drive]] = bytes;
    const std::string folder = chosen();
    EXPECT_EQ(folder, platform::joinPath(c.chosenDrive < 0 ? work_ : drives_[c.chosenDrive],
                                         kTemporaryFolderName));
    EXPECT_TRUE(c.chosenDrive < 0 || platform::isFolder(folder));
  }
}

TEST_F(TemporaryFolderChoice, ADriveWhereNothingCanBeCreatedFallsBackToTheWorkFolder) {
  const std::string blocked = platform::joinPath(temp_.path(), "blocked");
  ASSERT_EQ(platform::writeWholeFile(blocked, "x", 1), 0);  // a file where a folder must go
  drives_ = {blocked};
  free_[blocked] = 1ull << 50;
  EXPECT_EQ(chosen(), platform::joinPath(work_, kTemporaryFolderName));
}

TEST_F(TemporaryFolderChoice, ASecondDecryptionKeepsTheFolderWhenFreeSpaceChanges) {
  free_[work_] = kTemporaryFolderMinFree * 2;
  auto engine = engineIn(work_);
  const std::string first = engine->temporaryFolder();
  free_[work_] = 0;
  free_[drives_[0]] = kTemporaryFolderMinFree * 8;
  EXPECT_EQ(engine->temporaryFolder(), first);
  EXPECT_EQ(engine->decryptionOutputFolder(), "");  // no run folder before a decryption
}

// On POSIX systems the only "drive" is the root of the whole file system, which every user can
// write to: the deciphered copy stays in the work folder however little room is there.
TEST_F(TemporaryFolderChoice, NeverTheRootOfTheWholeFileSystem) {
  free_[work_] = 1;
  drives_ = {"/"};
  free_["/"] = 1ull << 50;
  EXPECT_EQ(chosen(), platform::joinPath(work_, kTemporaryFolderName));
}

// Whole backups through the real tool.
class RealToolDecryption : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string root = platform::joinPath(temp_.path(), "plain");
    ASSERT_EQ(samples::writeSampleRoot(root), 0);
    plain_ = platform::joinPath(root, samples::sampleBackups()[1].folderName);
    ASSERT_TRUE(platform::isFile(platform::joinPath(plain_, "Manifest.db")));
  }
  std::unique_ptr<RecoveryEngine> makeEngine() {
    return engineIn(platform::joinPath(temp_.path(), "work area"), QV_DECRYPT_TOOL);
  }
  std::string twin(const std::string& name, const std::string& password,
                   samples::EncryptedPlistForm form = samples::EncryptedPlistForm::kBinary) {
    samples::EncryptOptions options;
    options.password = password;
    options.iterations = 10;
    options.dpIterations = 10;
    options.plistForm = form;
    const std::string folder = platform::joinPath(temp_.path(), name);
    EXPECT_EQ(samples::writeEncryptedTwin(plain_, folder, options), 0);
    return folder;
  }

  fixtures::TempFolder temp_;
  std::string plain_;
};

TEST_F(RealToolDecryption, APasswordProtectedTwinScansLikeThePlainBackup) {
  auto engine = makeEngine();
  int plainOpen = -1;
  const std::vector<std::size_t> plain = scanCounts(engine.get(), plain_, L"", &plainOpen);
  ASSERT_EQ(plainOpen, 0);
  std::size_t total = 0;
  for (std::size_t n : plain) total += n;
  ASSERT_GT(total, 10u);

  // Passwords that break an unquoted command line, and one that needs UTF-8 to derive the key.
  int i = 0;
  for (const std::string& password :
       {std::string("two  words \"quoted\" \\\\"), std::string("pässwörd ñ 密码 🔑 end\\")}) {
    SCOPED_TRACE(password);
    const auto form =
        i == 0 ? samples::EncryptedPlistForm::kBinary : samples::EncryptedPlistForm::kXml;
    const std::string folder = twin("twin" + std::to_string(i), password, form);
    ++i;
    int openResult = -1;
    auto second = makeEngine();
    EXPECT_EQ(scanCounts(second.get(), folder, W(password), &openResult), plain);
    EXPECT_EQ(openResult, 0);
    EXPECT_TRUE(second->currentBackup().encrypted);
    EXPECT_EQ(second->backupFolder(), second->decryptionOutputFolder());
    EXPECT_FALSE(second->backupFiles().empty());
  }
}

TEST_F(RealToolDecryption, AWrongPasswordOpensNothingAndSaysSo) {
  const std::string folder = twin("twin", "right one");
  auto engine = makeEngine();
  int openResult = 0;
  const std::vector<std::size_t> counts =
      scanCounts(engine.get(), folder, L"right on", &openResult);
  EXPECT_EQ(openResult, kWrongPassword);
  for (std::size_t n : counts) EXPECT_EQ(n, 0u);
  // The same engine opens it with the right password afterwards, into the same folder.
  const std::string output = engine->decryptionOutputFolder();
  scanCounts(engine.get(), folder, L"right one", &openResult);
  EXPECT_EQ(openResult, 0);
  EXPECT_EQ(engine->decryptionOutputFolder(), output);
}

}  // namespace
}  // namespace qv::engine
