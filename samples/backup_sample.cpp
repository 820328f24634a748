#include "samples/backup_sample.h"

#include "platform/file.h"
#include "platform/folders.h"
#include "samples/appdb_phone.h"
#include "samples/appdb_whatsapp.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "samples/media_samples.h"

namespace qv::samples {
namespace {

// A small but well-formed JPEG (start of image, JFIF header, end of image).
std::string tinyJpeg(std::uint32_t seed) {
  std::string jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
  jpeg += pseudoRandomBytes(512, seed);
  jpeg += std::string("\xFF\xD9", 2);
  return jpeg;
}

const char kAddressBookSchema[] =
    "CREATE TABLE ABPerson (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, First TEXT, Last TEXT);"
    "INSERT INTO ABPerson (First, Last) VALUES ('Zoë', 'Brontë'), ('太郎', '山田');";

// Records the phone backup holds besides its media: two directories, the phone databases and
// their logs (7 files), a text file in WhatsApp's domain, a symbolic link and the three
// chat-app databases.
constexpr std::size_t kPhoneOtherRecords = 14;
constexpr std::size_t kPhoneOtherStoredFiles = 11;

int writeNewerBackup(const std::string& root, const SampleBackup& s) {
  BackupBuilder b(platform::joinPath(root, s.folderName), ManifestLayout::kDb);
  DeviceInfo info;
  info.displayName = s.displayName;
  info.lastBackupDate = s.localDateUtc;
  info.phoneNumber = "+44 7700 900123";
  info.productType = "iPhone15,2";
  info.productVersion = "17.2";
  info.serialNumber = "C39XK1ZPHG7F";
  info.uniqueIdentifier = s.folderName;
  int rc = writeInfoPlist(b.folder(), infoPlistText(info));
  if (rc != 0) return rc;
  b.addDirectory("HomeDomain", "Library/SMS");
  rc = addPhoneDatabases(&b);  // messages, address book, call history, notes: 7 files
  if (rc != 0) return rc;
  b.addDirectory("CameraRollDomain", "Media/DCIM/100APPLE");
  addSampleMedia(&b);
  b.addFile("AppDomain-net.whatsapp.WhatsApp", "Documents/Notes on the trip — Ørsted.txt",
            "Bring the charger.\n");
  b.addSymlink("HomeDomain", "Library/Preferences/current", "com.apple.springboard.plist");
  rc = addChatAppDatabases(&b);  // WhatsApp, WeChat and QQ: 3 files
  if (rc != 0) return rc;
  return b.finish();
}

int writeOlderBackup(const std::string& root, const SampleBackup& s) {
  BackupBuilder b(platform::joinPath(root, s.folderName), ManifestLayout::kMbdb);
  DeviceInfo info;
  info.displayName = s.displayName;
  info.lastBackupDate = s.localDateUtc;
  info.phoneNumber.reset();
  info.productType = "iPad5,3";
  info.productVersion = "9.3.5";
  info.serialNumber = "DMPQH2ABFK10";
  info.uniqueIdentifier = s.folderName;
  int rc = writeInfoPlist(b.folder(), infoPlistText(info));
  if (rc != 0) return rc;
  b.addDirectory("HomeDomain", "Library/Notes");
  b.addDatabase("HomeDomain", "Library/Notes/notes.sqlite",
                "CREATE TABLE ZNOTE (Z_PK INTEGER PRIMARY KEY, ZTITLE VARCHAR);"
                "INSERT INTO ZNOTE VALUES (1, 'Crème brûlée recipe');");
  b.addDatabase("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb", kAddressBookSchema);
  b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0101.JPG", tinyJpeg(3));
  b.addSymlink("MediaDomain", "Media/Recordings/latest.m4a", "Recording 1.m4a");
  MbdbRecord absentPath;
  absentPath.domain = "KeychainDomain";
  b.addRecord(absentPath);  // a domain record without a path: no entry
  return b.finish();
}

}  // namespace

const std::vector<SampleBackup>& sampleBackups() {
  static const std::vector<SampleBackup> backups = [] {
    std::size_t media = 0;
    std::size_t storedMedia = 0;
    for (const SampleMediaFile& f : sampleMediaFiles()) {
      ++media;
      storedMedia += f.stored ? 1 : 0;
    }
    return std::vector<SampleBackup>{
        {"7e1d0c4b9a8f7e6d5c4b3a291807f6e5d4c3b2a1", "Café iPad 山田", "2016-05-01T23:30:00Z",
         false, 4, 3},
        {"f3a9c2e17b6d4058a1c2e3f40516273849a0b1c2", "Zoë's iPhone", "2021-03-14T09:26:53Z", true,
         kPhoneOtherRecords + media, kPhoneOtherStoredFiles + storedMedia},
    };
  }();
  return backups;
}

int writeSampleBackup(const std::string& root, const SampleBackup& backup) {
  int rc = platform::createFolders(root);
  if (rc != 0) return rc;
  return backup.manifestDb ? writeNewerBackup(root, backup) : writeOlderBackup(root, backup);
}

int writeSampleRoot(const std::string& root) {
  int rc = 0;
  for (const SampleBackup& b : sampleBackups()) {
    if (rc == 0) rc = writeSampleBackup(root, b);
  }
  return rc;
}

}  // namespace qv::samples
