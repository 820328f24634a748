#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "backup/file_id.h"
#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "samples/backup_sample.h"
#include "tests/fixtures/special_files.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::engine {
namespace {

std::wstring W(const std::string& s) {
  return platform::toWide(s);
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = platform::joinPath(temp_.path(), "Ünïcødé 用户");
    ASSERT_EQ(samples::writeSampleRoot(root_), 0);
    setup_.workFolder = platform::joinPath(temp_.path(), "app data/QuenvaleTarnwick");
    setup_.backupRoot = root_;
  }
  fixtures::TempFolder temp_;
  std::string root_;
  EngineSetup setup_;
};

TEST_F(EngineTest, StartUpCreatesTheWorkFolderAndListsTheRoot) {
  RecoveryEngine engine(setup_);
  EXPECT_EQ(engine.startResult(), 0);
  EXPECT_TRUE(platform::isFolder(setup_.workFolder));
  EXPECT_EQ(engine.backupFolder(), root_);
  EXPECT_EQ(engine.backupEntries().size(), samples::sampleBackups().size());

  std::vector<backup::BackupInfo> backups;
  ASSERT_EQ(engine.listBackups(&backups), 0);
  ASSERT_EQ(backups.size(), 2u);
  // Newest first: the sample lists its backups oldest first.
  EXPECT_EQ(backups[0].displayName, W(samples::sampleBackups()[1].displayName));
  EXPECT_EQ(backups[1].displayName, W(samples::sampleBackups()[0].displayName));
  EXPECT_TRUE(backups[0].versionAbove11);
  EXPECT_FALSE(backups[1].versionAbove11);
  EXPECT_EQ(backups[1].phoneNumber, "");
}

TEST_F(EngineTest, MissingRootIsAnEmptyListNotAFailure) {
  setup_.backupRoot = platform::joinPath(temp_.path(), "no such root");
  RecoveryEngine engine(setup_);
  EXPECT_EQ(engine.startResult(), 0);
  EXPECT_TRUE(engine.backupEntries().empty());
  std::vector<backup::BackupInfo> backups(1);
  EXPECT_EQ(engine.listBackups(&backups), 0);
  EXPECT_TRUE(backups.empty());

  // A work folder that cannot be made is reported, and the engine still works.
  const std::string blocker = platform::joinPath(temp_.path(), "file");
  ASSERT_EQ(platform::writeWholeFile(blocker, "x", 1), 0);
  setup_.workFolder = platform::joinPath(blocker, "work");
  setup_.backupRoot = root_;
  RecoveryEngine blocked(setup_);
  EXPECT_NE(blocked.startResult(), 0);
  EXPECT_EQ(blocked.backupEntries().size(), 2u);
}

// Every file entry of both sample backups leads to its stored file, in each layout.
TEST_F(EngineTest, OpenedBackupsResolveEveryStoredFile) {
  RecoveryEngine engine(setup_);
  std::vector<backup::BackupInfo> backups;
  engine.listBackups(&backups);
  ASSERT_EQ(backups.size(), 2u);
  for (const backup::BackupInfo& b : backups) {
    ASSERT_EQ(engine.setCurrentBackup(b), 0);
    EXPECT_EQ(W(engine.backupFolder()), b.folder);
    EXPECT_EQ(engine.currentBackup().serialNumber, b.serialNumber);
    ASSERT_EQ(engine.loadManifest(), 0);
    bool db = engine.hasManifestDb();
    EXPECT_EQ(engine.manifestKind(), db ? backup::ManifestKind::kDb : backup::ManifestKind::kMbdb);
    std::size_t expected = 0;
    std::size_t expectedStored = 0;
    for (const auto& s : samples::sampleBackups()) {
      if (W(platform::joinPath(root_, s.folderName)) == b.folder) {
        expected = s.manifestEntries;
        expectedStored = s.storedFiles;
      }
    }
    EXPECT_EQ(engine.index().size(), expected);
    std::size_t found = 0;
    for (const backup::ManifestEntry& e : engine.index()) {
      const std::string path = engine.storedFilePath(e.fileId);
      if (db) {
        EXPECT_NE(path.find(std::string(e.fileId.substr(0, 2)) + platform::kSep),
                  std::string::npos);
      }
      found += platform::isFile(path) ? 1 : 0;
    }
    // Directory rows and symbolic links have no stored file; every regular file has one.
    EXPECT_EQ(found, expectedStored) << platform::toUtf8(b.folder);
  }

  // An enciphered backup is always flat, whatever its manifest.
  backup::BackupInfo enciphered = backups[0];
  enciphered.encrypted = true;
  engine.setCurrentBackup(enciphered);
  engine.loadManifest();  // its Manifest.db is plain here; the layout rule is what counts
  ASSERT_TRUE(engine.hasManifestDb());
  EXPECT_EQ(engine.storedFilePath("3d0d7e5fb2ce288813306e4d4636395e047a3d28"),
            platform::toUtf8(enciphered.folder) + platform::kSep +
                "3d0d7e5fb2ce288813306e4d4636395e047a3d28");
}

// The databases are found by fixed file ids, each the digest of its key; a database's log is
// the stored file of its key with "-wal" appended, and comes with it only when the backup has it.
TEST_F(EngineTest, DatabasesByKeyComeWithTheLogTheBackupStored) {
  const struct {
    const char* key;
    const char* id;
  } databases[] = {{kSmsKey, kSmsFileId},
                   {kAddressBookKey, kAddressBookFileId},
                   {kCallHistoryKey, kCallHistoryFileId},
                   {kOldCallHistoryKey, kOldCallHistoryFileId},
                   {kNotesKey, kNotesFileId}};
  for (const auto& d : databases) EXPECT_EQ(backup::fileIdOf(d.key), d.id) << d.key;
  RecoveryEngine engine(setup_);
  std::vector<backup::BackupInfo> backups;
  engine.listBackups(&backups);
  const auto phone = std::find_if(backups.begin(), backups.end(),
                                  [](const backup::BackupInfo& b) { return b.versionAbove11; });
  ASSERT_NE(phone, backups.end());
  engine.setCurrentBackup(*phone);
  ASSERT_EQ(engine.loadManifest(), 0);
  const db::DatabaseFile sms = engine.storedDatabase(kSmsKey);
  EXPECT_EQ(sms.path, engine.storedFilePath(kSmsFileId));
  EXPECT_EQ(sms.wal, engine.storedFilePath(backup::fileIdOf(std::string(kSmsKey) + "-wal")));
  EXPECT_TRUE(platform::isFile(sms.wal));
  // The address book was stored without a log.
  EXPECT_TRUE(engine.storedDatabase(kAddressBookKey).wal.empty());

  // A log or a database that is a link leads elsewhere on the computer: neither is read.
  const std::string elsewhere = platform::joinPath(temp_.path(), "elsewhere");
  const std::string bytes = "not the phone's";
  ASSERT_EQ(platform::writeWholeFile(elsewhere, bytes.data(), bytes.size()), 0);
  for (const std::string& stored : {sms.wal, sms.path}) {
    ASSERT_EQ(platform::removeFile(stored), 0);
    if (!fixtures::makeLink(elsewhere, stored)) GTEST_SKIP() << "no links on this system";
  }
  const db::DatabaseFile linked = engine.storedDatabase(kSmsKey);
  EXPECT_TRUE(linked.wal.empty());
  EXPECT_TRUE(linked.path.empty());
}

#ifndef _WIN32
// Without a home or data folder there is no work folder and no default root, and the engine
// still starts: the code says why, the list is empty.
TEST(EngineStartTest, NoApplicationDataFolderIsNotFatal) {
  struct EnvScope {
    std::string home, data;
    bool hadHome, hadData;
    EnvScope() {
      const char* h = std::getenv("HOME");
      const char* d = std::getenv("XDG_DATA_HOME");
      hadHome = h != nullptr;
      hadData = d != nullptr;
      if (hadHome) home = h;
      if (hadData) data = d;
      unsetenv("HOME");
      unsetenv("XDG_DATA_HOME");
    }
    ~EnvScope() {
      if (hadHome) setenv("HOME", home.c_str(), 1);
      if (hadData) setenv("XDG_DATA_HOME", data.c_str(), 1);
    }
  } env;
  RecoveryEngine engine;
  EXPECT_NE(engine.startResult(), 0);
  EXPECT_TRUE(engine.workFolder().empty());
  EXPECT_TRUE(engine.backupEntries().empty());
  std::vector<backup::BackupInfo> backups;
  EXPECT_EQ(engine.listBackups(&backups), 0);
  EXPECT_TRUE(backups.empty());
}
#endif

TEST_F(EngineTest, ReadingAFolderByHand) {
  RecoveryEngine engine(setup_);
  const auto& sample = samples::sampleBackups()[0];
  backup::BackupInfo info;
  ASSERT_EQ(engine.readBackupFolder(&info, platform::joinPath(root_, sample.folderName)), 0);
  EXPECT_EQ(info.displayName, W(sample.displayName));
  EXPECT_EQ(info.folder, W(platform::joinPath(root_, sample.folderName)));
  EXPECT_FALSE(engine.probeEncrypted(platform::toUtf8(info.folder)));
  EXPECT_EQ(engine.readBackupFolder(&info, root_), kInvalid);
  std::vector<std::string> out;
  EXPECT_TRUE(engine.enumerateFolder(root_, &out));
  EXPECT_EQ(out.size(), 2u);
  EXPECT_EQ(engine.localBackupDate("not a date"), "");
}

}  // namespace
}  // namespace qv::engine
