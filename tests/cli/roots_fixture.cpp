// cli_roots_fixture DIR: writes the backup roots that the CLI tests read. DIR/sample is the
// sample root; DIR/broken holds one backup per kind of damage the commands must report;
// DIR/binary one backup with a binary Info.plist; DIR/families a backup of each phone era;
// DIR/wal a message database with its write-ahead log.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/utf8_main.h"
#include "samples/appdb_messages.h"
#include "samples/appdb_phone.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "samples/backup_sample.h"

namespace {

using qv::samples::BackupBuilder;
using qv::samples::ManifestLayout;
namespace platform = qv::platform;

int writeFile(const std::string& path, const std::string& bytes) {
  return platform::writeWholeFile(path, bytes.data(), bytes.size());
}

int writeBroken(const std::string& root) {
  int failures = 0;
  auto check = [&failures](int rc) { failures += rc != 0; };
  const std::string plist = qv::samples::infoPlistText(qv::samples::DeviceInfo());
  auto backup = [&](const std::string& name, ManifestLayout layout) {
    BackupBuilder b(platform::joinPath(root, name), layout);
    check(qv::samples::writeInfoPlist(b.folder(), plist));
    for (int i = 0; i < 5; ++i) b.addFile("HomeDomain", "Library/file" + std::to_string(i), "x");
    check(b.finish());
    return b.folder();
  };

  std::string garbage = backup("garbage-mbdb", ManifestLayout::kMbdb);
  check(writeFile(platform::joinPath(garbage, "Manifest.mbdb"), "this is no manifest\n"));

  std::string cut = backup("cut-mbdb", ManifestLayout::kMbdb);
  std::string bytes;
  check(platform::readWholeFile(platform::joinPath(cut, "Manifest.mbdb"), 1 << 20, &bytes));
  check(writeFile(platform::joinPath(cut, "Manifest.mbdb"), bytes.substr(0, bytes.size() - 20)));

  std::string notSqlite = backup("not-sqlite-db", ManifestLayout::kDb);
  check(writeFile(platform::joinPath(notSqlite, "Manifest.db"),
                  qv::samples::pseudoRandomBytes(4096, 9)));

  // Enciphered: the address book and the manifest database are both unreadable bytes.
  BackupBuilder enc(platform::joinPath(root, "enciphered"), ManifestLayout::kDb);
  check(qv::samples::writeInfoPlist(enc.folder(), plist));
  enc.addFile("HomeDomain", "Library/AddressBook/AddressBook.sqlitedb",
              qv::samples::pseudoRandomBytes(8192, 4));
  check(enc.finish());
  check(writeFile(platform::joinPath(enc.folder(), "Manifest.db"),
                  qv::samples::pseudoRandomBytes(4096, 8)));

  std::string garbled = backup("garbled-plist", ManifestLayout::kMbdb);
  check(writeFile(platform::joinPath(garbled, "Info.plist"),
                  "<key>Serial Number</key>\n<string>\n\x01\x02<key>Display Name</key>"));

  check(platform::createFolders(platform::joinPath(root, "no-plist")));
  check(writeFile(platform::joinPath(root, "stray.txt"), "not a backup"));
  return failures;
}

// DIR/binary: a backup whose Info.plist is a binary property list, as some backup programs
// write it.
int writeBinaryPlistRoot(const std::string& root) {
  qv::samples::DeviceInfo device;
  device.displayName = "Binary iPhone";
  device.lastBackupDate = "2024-02-03T04:05:06Z";
  device.productVersion = "17.2";
  device.serialNumber = "BPL1STS3R1AL";
  BackupBuilder b(platform::joinPath(root, "binary-plist"), ManifestLayout::kDb);
  int failures = qv::samples::writeInfoPlist(b.folder(), qv::samples::infoPlistBinary(device));
  b.addFile("HomeDomain", "Library/file", "x");
  failures += b.finish() != 0;
  return failures;
}

// DIR/families/<era>: a backup of a phone of each era the schema notes cover; DIR/wal: sms.db
// with its -wal, as a phone keeps it.
int writeFamilies(const std::string& dir) {
  int failures = 0;
  for (auto family : {qv::samples::PhoneFamily::kIos9, qv::samples::PhoneFamily::kIos11,
                      qv::samples::PhoneFamily::kIos14, qv::samples::PhoneFamily::kIos17}) {
    const std::string folder = platform::joinPath(platform::joinPath(dir, "families"),
                                                  qv::samples::phoneFamilyName(family));
    failures += qv::samples::writeFamilyBackup(folder, family) != 0;
  }
  const std::string wal = platform::joinPath(dir, "wal");
  failures += platform::createFolders(wal) != 0;
  qv::samples::SqliteFixture db;
  failures += qv::samples::buildSmsDatabaseWithLog(platform::joinPath(wal, "sms.db"),
                                                   qv::samples::SmsLayout::kIos14, &db) != 0;
  return failures;
}

}  // namespace

int run(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: cli_roots_fixture DIR\n");
    return 2;
  }
  const std::string& dir = args[0];
  int failures = qv::samples::writeSampleRoot(platform::joinPath(dir, "sample")) != 0;
  failures += writeBroken(platform::joinPath(dir, "broken"));
  failures += writeBinaryPlistRoot(platform::joinPath(dir, "binary"));
  failures += writeFamilies(dir);
  if (failures != 0) std::fprintf(stderr, "cli_roots_fixture: %d steps failed\n", failures);
  return failures == 0 ? 0 : 1;
}

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
