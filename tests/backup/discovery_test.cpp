#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup/discovery.h"
#include "backup/encryption_probe.h"
#include "backup/file_id.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "tests/backup/fixed_zone.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::backup {
namespace {

using samples::BackupBuilder;
using samples::DeviceInfo;
using samples::ManifestLayout;
using samples::StoredAs;
using testing::FixedZone;

std::wstring W(const std::string& s) {
  return platform::toWide(s);
}

// A backup folder with an Info.plist and an empty manifest of the given layout.
void writeBackup(const std::string& folder, const DeviceInfo& device,
                 ManifestLayout layout = ManifestLayout::kDb) {
  BackupBuilder b(folder, layout);
  ASSERT_EQ(samples::writeInfoPlist(folder, samples::infoPlistText(device)), 0);
  ASSERT_EQ(b.finish(), 0);
}

const char kAddressBookKey[] = "Library/AddressBook/AddressBook.sqlitedb";

// A root under a user folder named outside any single code page, holding what real roots
// hold besides backups: dot entries, a stray file, a folder without Info.plist.
class BackupRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        platform::joinPath(platform::joinPath(temp_.path(), "Usuário Zoë"), "山田のバックアップ");
    ASSERT_EQ(platform::createFolders(root_), 0);
  }
  std::string at(const std::string& name) const { return platform::joinPath(root_, name); }

  fixtures::TempFolder temp_;
  std::string root_;
};

TEST_F(BackupRootTest, OnlyBackupFoldersYieldRecordsNewestFirst) {
  FixedZone zone(0, false);
  DeviceInfo phone;
  phone.displayName = "Zoë's iPhone";
  phone.lastBackupDate = "2016-05-01T23:30:00Z";
  writeBackup(at("aaaa0001"), phone);
  DeviceInfo tablet;
  tablet.displayName = "山田 iPad";
  tablet.phoneNumber.reset();
  tablet.lastBackupDate = "2017-01-02T03:04:05Z";
  writeBackup(at("aaaa0002"), tablet, ManifestLayout::kMbdb);
  writeBackup(at(".hidden"), phone);  // a dot folder is never a backup
  ASSERT_EQ(platform::writeWholeFile(at(".DS_Store"), "x", 1), 0);
  ASSERT_EQ(platform::writeWholeFile(at("notes.txt"), "stray", 5), 0);
  ASSERT_EQ(platform::createFolders(at("empty")), 0);

  std::vector<std::string> entries;
  ASSERT_TRUE(enumerateFolder(root_, &entries));
  EXPECT_EQ(entries.size(), 4u);  // two backups, the stray file, the empty folder
  const std::string prefix = root_ + platform::kSep;
  for (const std::string& e : entries) {
    ASSERT_EQ(e.rfind(prefix, 0), 0u);
    EXPECT_NE(e.at(prefix.size()), '.');
  }

  std::vector<BackupInfo> backups(3);  // stale contents are replaced
  listBackups(entries, &backups);
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_EQ(backups[0].displayName, W("山田 iPad"));
  EXPECT_EQ(backups[0].lastBackupDate, "2017-01-02 03:04:05");
  EXPECT_EQ(backups[0].phoneNumber, "");
  EXPECT_EQ(backups[0].folder, W(at("aaaa0002")));
  EXPECT_EQ(backups[1].displayName, W("Zoë's iPhone"));
  EXPECT_EQ(backups[1].phoneNumber, "+1 (555) 010-4477");
  EXPECT_EQ(backups[1].folder, W(at("aaaa0001")));
}

// A backup whose Info.plist is a binary property list is listed with its name, date and
// version like any other; a damaged one is still listed, without them.
TEST_F(BackupRootTest, BinaryInfoPlistsAreReadToo) {
  FixedZone zone(0, false);
  DeviceInfo phone;
  phone.displayName = "Zoë's iPhone";
  phone.lastBackupDate = "2024-02-03T04:05:06Z";
  phone.productVersion = "17.2";
  BackupBuilder b(at("binary"), ManifestLayout::kDb);
  ASSERT_EQ(samples::writeInfoPlist(b.folder(), samples::infoPlistBinary(phone)), 0);
  ASSERT_EQ(b.finish(), 0);
  BackupBuilder d(at("damaged"), ManifestLayout::kDb);
  ASSERT_EQ(samples::writeInfoPlist(d.folder(), samples::infoPlistBinary(phone).substr(0, 60)), 0);
  ASSERT_EQ(d.finish(), 0);

  std::vector<BackupInfo> backups;
  listBackups({at("damaged"), at("binary")}, &backups);
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_EQ(backups[0].displayName, W("Zoë's iPhone"));
  EXPECT_EQ(backups[0].lastBackupDate, "2024-02-03 04:05:06");
  EXPECT_EQ(backups[0].phoneNumber, "+1 (555) 010-4477");
  EXPECT_EQ(backups[0].serialNumber, "F2LQX0ABGRY9");
  EXPECT_TRUE(backups[0].versionAbove11);
  EXPECT_TRUE(backups[1].displayName.empty());
  EXPECT_TRUE(backups[1].serialNumber.empty());
  EXPECT_EQ(backups[1].folder, W(at("damaged")));
}

TEST_F(BackupRootTest, EnumerationAppendsAndLeavesOutputAloneOnFailure) {
  ASSERT_EQ(platform::writeWholeFile(at("one"), "1", 1), 0);
  std::vector<std::string> out = {"earlier"};
  EXPECT_TRUE(enumerateFolder(root_ + platform::kSep, &out));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], "earlier");
  EXPECT_EQ(out[1], at("one"));  // no doubled separator
  EXPECT_FALSE(enumerateFolder(at("missing"), &out));
  EXPECT_EQ(out.size(), 2u);
}

// Two roots (the roaming folder and the profile folder of another edition of the backup
// program) merge into one list, newest first across both; a root that is missing is no failure
// as long as one can be listed.
TEST_F(BackupRootTest, RootsMergeNewestFirstAcrossThem) {
  FixedZone zone(0, false);
  const std::string second = platform::joinPath(temp_.path(), "profile");
  ASSERT_EQ(platform::createFolders(second), 0);
  const struct {
    std::string folder;
    const char* date;
  } backups[] = {{at("r1-old"), "2019-01-01T00:00:00Z"},
                 {platform::joinPath(second, "r2-new"), "2024-06-30T12:00:00Z"},
                 {at("r1-mid"), "2021-03-14T09:26:53Z"},
                 {platform::joinPath(second, "r2-oldest"), "2015-07-04T08:00:00Z"}};
  for (const auto& b : backups) {
    DeviceInfo device;
    device.lastBackupDate = b.date;
    writeBackup(b.folder, device);
  }
  std::vector<std::string> entries;
  ASSERT_TRUE(enumerateRoots({root_, at("missing"), second}, &entries));
  EXPECT_EQ(entries.size(), 4u);
  std::vector<BackupInfo> list;
  listBackups(entries, &list);
  ASSERT_EQ(list.size(), 4u);
  const char* expected[] = {"r2-new", "r1-mid", "r1-old", "r2-oldest"};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::wstring& folder = list[i].folder;
    EXPECT_EQ(folder.substr(folder.size() - std::string(expected[i]).size()), W(expected[i]));
  }

  std::vector<std::string> none;
  EXPECT_FALSE(enumerateRoots({at("missing"), platform::joinPath(second, "gone")}, &none));
  EXPECT_TRUE(none.empty());
}

TEST_F(BackupRootTest, SortIsStableAndIgnoresCase) {
  DeviceInfo device;
  device.lastBackupDate = "same day";  // does not parse: kept raw, and equal for both
  writeBackup(at("first"), device);
  writeBackup(at("second"), device);
  device.lastBackupDate = "SAME DAY";
  writeBackup(at("third"), device);
  device.lastBackupDate = "Same dax";
  writeBackup(at("fourth"), device);
  std::vector<BackupInfo> backups;
  // Compared with case, "SAME DAY" would sort last; without, it ties with "same day" and keeps
  // its place in the entry order.
  listBackups({at("third"), at("second"), at("fourth"), at("first")}, &backups);
  ASSERT_EQ(backups.size(), 4u);
  EXPECT_EQ(backups[0].folder, W(at("third")));
  EXPECT_EQ(backups[1].folder, W(at("second")));
  EXPECT_EQ(backups[2].folder, W(at("first")));
  EXPECT_EQ(backups[3].folder, W(at("fourth")));  // "dax" < "day"
}

TEST_F(BackupRootTest, ReadingOneFolderStartsAFreshRecord) {
  DeviceInfo phone;
  writeBackup(at("phone"), phone);
  DeviceInfo tablet;
  tablet.phoneNumber.reset();
  tablet.displayName = "iPad";
  writeBackup(at("tablet"), tablet);

  BackupInfo info;
  ASSERT_EQ(readBackupFolder(&info, at("phone")), kOk);
  ASSERT_EQ(info.phoneNumber, "+1 (555) 010-4477");
  info.encrypted = true;
  ASSERT_EQ(readBackupFolder(&info, at("tablet") + platform::kSep), kOk);
  EXPECT_EQ(info.phoneNumber, "");
  EXPECT_FALSE(info.encrypted);
  EXPECT_EQ(info.displayName, L"iPad");
  EXPECT_EQ(info.folder, W(at("tablet")));  // the trailing separator is dropped

  BackupInfo untouched;
  untouched.serialNumber = "before";
  EXPECT_EQ(readBackupFolder(&untouched, at("missing")), kInvalid);
  ASSERT_EQ(platform::createFolders(at("plist-is-a-folder/Info.plist")), 0);
  EXPECT_EQ(readBackupFolder(&untouched, at("plist-is-a-folder")), kInvalid);
  EXPECT_EQ(untouched.serialNumber, "before");
}

// Faults from the operating system: a root that cannot be listed, an Info.plist that cannot
// be opened, a read that fails half-way.
TEST_F(BackupRootTest, SystemFailuresAreSkippedNotFatal) {
  DeviceInfo device;
  writeBackup(at("b1"), device);
  std::vector<std::string> entries;
  ASSERT_TRUE(enumerateFolder(root_, &entries));

  platform::OsCalls calls = platform::osCalls();
  calls.listFolder = [](const std::string&, std::vector<std::string>*) { return kErrAccessDenied; };
  calls.openFile = [](const std::string&, platform::OpenMode, platform::NativeHandle*) {
    return kErrAccessDenied;
  };
  {
    platform::ScopedOsCalls scope(calls);
    std::vector<std::string> none;
    EXPECT_FALSE(enumerateFolder(root_, &none));
    std::vector<BackupInfo> backups;
    listBackups(entries, &backups);
    EXPECT_TRUE(backups.empty());
    BackupInfo info;
    EXPECT_EQ(readBackupFolder(&info, entries[0]), kInvalid);
  }
  calls = platform::osCalls();
  calls.readAt = [](platform::NativeHandle, std::uint64_t, void*, std::size_t, std::size_t* got) {
    *got = 0;
    return kErrReadFault;
  };
  platform::ScopedOsCalls scope(calls);
  BackupInfo info;
  EXPECT_EQ(readBackupFolder(&info, entries[0]), kOk);  // nothing could be read: empty fields
  EXPECT_EQ(info.serialNumber, "");
  EXPECT_EQ(info.folder, W(entries[0]));
}

TEST_F(BackupRootTest, EncryptionProbeFollowsTheLayout) {
  const std::string sqliteHead = "SQLite format 3" + std::string(1, '\0') + std::string(200, 'x');
  const std::string lowerHead = "sqlite format 3" + std::string(100, '\0');
  const std::string enciphered = samples::pseudoRandomBytes(4096, 3);
  struct Case {
    const char* name;
    ManifestLayout layout;
    std::string bytes;
    StoredAs stored;
    bool expected;
  } cases[] = {
      {"db-plain", ManifestLayout::kDb, sqliteHead, StoredAs::kPlain, false},
      {"db-enciphered", ManifestLayout::kDb, enciphered, StoredAs::kPlain, true},
      {"mbdb-plain", ManifestLayout::kMbdb, sqliteHead, StoredAs::kPlain, false},
      {"mbdb-enciphered", ManifestLayout::kMbdb, enciphered, StoredAs::kPlain, true},
      {"mbdb-lower-case-header", ManifestLayout::kMbdb, lowerHead, StoredAs::kPlain, false},
      {"db-mddata-enciphered", ManifestLayout::kDb, enciphered, StoredAs::kMddata, true},
      {"mbdb-mddata-plain", ManifestLayout::kMbdb, sqliteHead, StoredAs::kMddata, false},
      {"no-address-book", ManifestLayout::kDb, enciphered, StoredAs::kNone, false},
      {"empty-file", ManifestLayout::kMbdb, "", StoredAs::kPlain, false},
      {"three-bytes", ManifestLayout::kMbdb, "SQL", StoredAs::kPlain, true},
  };
  for (const Case& c : cases) {
    BackupBuilder b(at(c.name), c.layout);
    b.addFile("HomeDomain", kAddressBookKey, c.bytes, c.stored);
    ASSERT_EQ(b.finish(), 0);
    EXPECT_EQ(probeEncrypted(b.folder()), c.expected) << c.name;
  }

  // The real database, made by SQLite, is plain.
  BackupBuilder real(at("real-sqlite"), ManifestLayout::kDb);
  real.addDatabase("HomeDomain", kAddressBookKey,
                   "CREATE TABLE ABPerson (ROWID INTEGER PRIMARY KEY);");
  ASSERT_EQ(real.finish(), 0);
  EXPECT_FALSE(probeEncrypted(real.folder()));

  // Without Manifest.db the flat name is looked for, so a file in a subfolder is not found.
  BackupBuilder misplaced(at("misplaced"), ManifestLayout::kMbdb);
  ASSERT_EQ(misplaced.finish(), 0);
  std::string sub = platform::joinPath(misplaced.folder(), "31");
  ASSERT_EQ(platform::createFolders(sub), 0);
  ASSERT_EQ(platform::writeWholeFile(platform::joinPath(sub, std::string(kAddressBookFileId)),
                                     enciphered.data(), enciphered.size()),
            0);
  EXPECT_FALSE(probeEncrypted(misplaced.folder()));

  // The record of a whole folder carries the probe's answer.
  BackupInfo info;
  ASSERT_EQ(samples::writeInfoPlist(at("db-enciphered"), samples::infoPlistText(DeviceInfo())), 0);
  ASSERT_EQ(readBackupFolder(&info, at("db-enciphered")), kOk);
  EXPECT_TRUE(info.encrypted);
}

}  // namespace
}  // namespace qv::backup
