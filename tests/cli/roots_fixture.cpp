// cli_roots_fixture DIR: writes the backup roots that the CLI tests read. DIR/sample is the
// sample root; DIR/broken holds one backup per kind of damage the commands must report;
// DIR/hostile holds backups made to harm whoever reads them (escape sequences and bidi marks
// in their texts, FIFOs and a link to /dev/zero where files belong) and a database of such
// texts; DIR/blocked-out is an output folder whose "Camera Roll" is a file;
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
#include "samples/media_samples.h"
#include "samples/sqlite_fixture.h"
#include "tests/fixtures/special_files.h"

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

int writeHostile(const std::string& root) {
  platform::removeTree(root);  // FIFOs and links of an earlier run are not rewritten
  int failures = 0;
  auto check = [&failures](int rc) { failures += rc != 0; };
  auto plain = [&](const std::string& name, const qv::samples::DeviceInfo& info) {
    BackupBuilder b(platform::joinPath(root, name), ManifestLayout::kDb);
    check(qv::samples::writeInfoPlist(b.folder(), qv::samples::infoPlistText(info)));
    b.addFile("HomeDomain", "Library/file", "x");
    check(b.finish());
    return b.folder();
  };
  // Texts that clear the screen, retitle the window, recolour, and show "exe.png" reversed.
  qv::samples::DeviceInfo evil;
  evil.displayName = "Evil\x1b]0;pwned\x07\x1b[2J\xE2\x80\xAEgnp.exe";
  evil.serialNumber = "SER\x1b[31mRED\xC2\x9B";
  plain("escapes", evil);

  // What no reader may wait on or read for ever; made only where the system has them.
  const std::string fifoManifest = plain("fifo-manifest", qv::samples::DeviceInfo());
  const std::string manifest = platform::joinPath(fifoManifest, "Manifest.db");
  check(platform::removeFile(manifest));
  if (qv::fixtures::makeFifo(manifest)) {
    const std::string fifoPlist = plain("fifo-plist", qv::samples::DeviceInfo());
    check(platform::removeFile(platform::joinPath(fifoPlist, "Info.plist")));
    check(!qv::fixtures::makeFifo(platform::joinPath(fifoPlist, "Info.plist")));
    const std::string zeroPlist = plain("zero-plist", qv::samples::DeviceInfo());
    check(platform::removeFile(platform::joinPath(zeroPlist, "Info.plist")));
    check(!qv::fixtures::makeLink("/dev/zero", platform::joinPath(zeroPlist, "Info.plist")));
    // The phone's sample with its message database and a photo as FIFOs.
    BackupBuilder b(platform::joinPath(root, "fifo-files"), ManifestLayout::kDb);
    check(qv::samples::writeInfoPlist(b.folder(), qv::samples::infoPlistText({})));
    const std::string sms =
        b.addFile("HomeDomain", "Library/SMS/sms.db", "", qv::samples::StoredAs::kNone);
    const std::string photo = b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", "",
                                        qv::samples::StoredAs::kNone);
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0002.JPG",
              qv::samples::mediaBytes(qv::samples::MediaSample::kJpegJfif, 900, 1));
    check(b.finish());
    for (const std::string& id : {sms, photo}) {
      check(platform::createFolders(platform::joinPath(b.folder(), id.substr(0, 2))));
      check(!qv::fixtures::makeFifo(b.storedPath(id)));
    }
  } else {
    check(platform::removeTree(fifoManifest));
  }

  // A database whose texts hold escape sequences, for `quenvale sqlite`.
  qv::samples::SqliteFixture db;
  check(db.create(platform::joinPath(root, "escapes.db"), qv::samples::SqliteOptions()));
  check(
      db.exec("CREATE TABLE t(a TEXT);"
              // Texts long enough to be checked eight bytes at a time, for the JSON listing.
              "INSERT INTO t VALUES ('a long text with \"quotes\" inside'), "
              "('Gr\xC3\xBC\xC3\x9F"
              "e \xF0\x9F\x98\x80 then a stray ' || X'FF' || ' byte'), "
              "('Gr\xC3\xBC\xC3\x9F"
              "e \xF0\x9F\x98\x80 all well-formed here');"
              "INSERT INTO t VALUES "
              "('x\x1b[2Jy'), ('\xE2\x80\xAEtxt.exe'), ('tab\tnew\nline');"));
  check(db.close());
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
// with its -wal, as a phone keeps it, and keyed.db, a table WITHOUT ROWID and an indexed table.
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
  // A table WITHOUT ROWID whose key is declared last (its records hold it first), one of its
  // rows deleted: a record long enough to be carved.
  const std::string keyedPath = platform::joinPath(wal, "keyed.db");
  std::remove(keyedPath.c_str());  // a fixture written before
  qv::samples::SqliteFixture keyed;
  failures += keyed.create(keyedPath, qv::samples::SqliteOptions()) != 0;
  failures += keyed.exec(
                  "CREATE TABLE tags (note INTEGER, label TEXT, tag TEXT NOT NULL, "
                  "PRIMARY KEY (tag, note)) WITHOUT ROWID;"
                  "INSERT INTO tags VALUES (1, 'first label', 'tag a'), (2, '" +
                  std::string(150, 'L') +
                  "', 'tag b'), (3, 'third', 'tag c');"
                  "DELETE FROM tags WHERE note = 2;") != 0;
  // A table with row ids and an index on two of its columns: the deleted row's index entry is
  // long enough to be carved, and is listed with the row's id.
  failures += keyed.exec(
                  "CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT, city TEXT);"
                  "CREATE INDEX people_city ON people(city COLLATE NOCASE DESC, name);"
                  "INSERT INTO people VALUES (1, 'Ann', 'Lyon'), (2, '" +
                  std::string(140, 'N') +
                  "', 'Oslo'), (3, 'Cy', 'Rome');"
                  "DELETE FROM people WHERE id = 2;") != 0;
  // A table WITHOUT ROWID with an index on two of its columns (whose entries end with the
  // primary key's other column): every sixth row deleted, and the label of every sixth row
  // from the first made short, which leaves its old entry behind.
  std::string marks =
      "CREATE TABLE marks (note INTEGER, label TEXT, tag TEXT NOT NULL, "
      "PRIMARY KEY (tag, note)) WITHOUT ROWID;"
      "CREATE INDEX marks_note ON marks(note, label);";
  for (int i = 1; i <= 60; ++i) {
    std::string label;
    for (int k = 0; k < 12; ++k) label += "label " + std::to_string(i) + " ";
    marks += "INSERT INTO marks VALUES (" + std::to_string(i) + ", '" + label + "', 'tag " +
             std::to_string(i) + "');";
  }
  for (int i = 1; i <= 60; i += 6)
    marks += "UPDATE marks SET label = 'short' WHERE note = " + std::to_string(i) + ";";
  for (int i = 4; i <= 60; i += 6)
    marks += "DELETE FROM marks WHERE note = " + std::to_string(i) + ";";
  failures += keyed.exec(marks) != 0;
  // A table whose name is longer than a line's fixed fields.
  failures += keyed.exec("CREATE TABLE " + std::string(170, 'w') + " (a TEXT); INSERT INTO " +
                         std::string(170, 'w') + " VALUES ('long-named row');") != 0;
  failures += keyed.close() != 0;
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
  failures += writeHostile(platform::joinPath(dir, "hostile"));
  const std::string blocked = platform::joinPath(dir, "blocked-out");
  failures += platform::createFolders(blocked) != 0;
  failures += writeFile(platform::joinPath(blocked, "Camera Roll"), "a file, not a folder") != 0;
  failures += writeBinaryPlistRoot(platform::joinPath(dir, "binary"));
  failures += writeFamilies(dir);
  if (failures != 0) std::fprintf(stderr, "cli_roots_fixture: %d steps failed\n", failures);
  return failures == 0 ? 0 : 1;
}

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
