#include "samples/appdb_phone.h"

#include <functional>
#include <string>

#include "platform/file.h"
#include "platform/folders.h"
#include "samples/appdb_calls.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "samples/appdb_notes.h"
#include "samples/appdb_notestore.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"

namespace qv::samples {

namespace {

// Builds a database in a scratch file beside the backup and stores its bytes as a file of it,
// with the write-ahead log the build left beside it as a file of its own (path + "-wal"), as a
// backup of a phone stores them.
int addBuilt(BackupBuilder* builder, const char* domain, const char* relativePath,
             const std::function<int(const std::string&, SqliteFixture*)>& build) {
  const std::string scratch = platform::joinPath(builder->folder(), "phone-db.scratch");
  platform::removeFile(scratch);
  platform::removeFile(scratch + "-wal");
  SqliteFixture db;
  int rc = build(scratch, &db);
  for (const char* suffix : {"", "-wal"}) {
    const std::string file = scratch + suffix;
    if (rc != 0 || !platform::isFile(file)) continue;
    std::string bytes;
    rc = platform::readWholeFile(file, std::uint64_t{1} << 30, &bytes);
    if (rc == 0) builder->addFile(domain, std::string(relativePath) + suffix, bytes);
    platform::removeFile(file);
  }
  platform::removeFile(scratch);
  return rc;
}

}  // namespace

PhoneDatabases phoneDatabasesOf(PhoneFamily family) {
  PhoneDatabases d;
  switch (family) {
    case PhoneFamily::kIos9:
      d.productVersion = "9.3.5";
      d.sms = SmsLayout::kIos9;
      d.book = AddressBookLayout::kIos8;
      d.calls = CallHistoryLayout::kIos9;
      d.noteStore = false;
      break;
    case PhoneFamily::kIos11:
      d.productVersion = "11.2";
      d.sms = SmsLayout::kIos11;
      d.calls = CallHistoryLayout::kIos11;
      d.noteStoreLayout = NoteStoreLayout::kIos12;
      break;
    case PhoneFamily::kIos14:
      d.productVersion = "14.3";
      d.sms = SmsLayout::kIos14;
      d.calls = CallHistoryLayout::kIos11;
      d.noteStoreLayout = NoteStoreLayout::kIos12;
      d.oldNotes = false;
      break;
    case PhoneFamily::kIos17:
      d.productVersion = "17.2";
      d.smsLog = true;
      d.noteStoreLog = true;
      break;
  }
  return d;
}

const char* phoneFamilyName(PhoneFamily family) {
  switch (family) {
    case PhoneFamily::kIos9:
      return "ios9";
    case PhoneFamily::kIos11:
      return "ios11";
    case PhoneFamily::kIos14:
      return "ios14";
    case PhoneFamily::kIos17:
      return "ios17";
  }
  return "?";
}

int addPhoneDatabases(BackupBuilder* builder, const PhoneDatabases& d) {
  int rc = addBuilt(builder, kSmsDomain, kSmsRelativePath,
                    [&d](const std::string& path, SqliteFixture* db) {
                      return d.smsLog ? buildSmsDatabaseWithLog(path, d.sms, db)
                                      : buildSmsDatabase(path, d.sms, db);
                    });
  if (rc == 0)
    rc = addBuilt(builder, kAddressBookDomain, kAddressBookRelativePath,
                  [&d](const std::string& path, SqliteFixture* db) {
                    return buildAddressBook(path, d.book, db);
                  });
  const bool newer = isCoreDataCallHistory(d.calls);
  if (rc == 0)
    rc = addBuilt(builder, newer ? kCallHistoryDomain : kOldCallHistoryDomain,
                  newer ? kCallHistoryRelativePath : kOldCallHistoryRelativePath,
                  [&d](const std::string& path, SqliteFixture* db) {
                    return buildCallHistory(path, d.calls, db);
                  });
  if (rc == 0 && d.oldNotes)
    rc = addBuilt(builder, kNotesDomain, kNotesRelativePath,
                  [&d](const std::string& path, SqliteFixture* db) {
                    return buildNotesDatabase(path, d.notes, db);
                  });
  if (rc == 0 && d.noteStore)
    rc = addBuilt(builder, kNoteStoreDomain, kNoteStoreRelativePath,
                  [&d](const std::string& path, SqliteFixture* db) {
                    std::vector<ExpectedNote> notes;
                    return buildNoteStore(path, d.noteStoreLayout, db, &notes, d.noteStoreLog);
                  });
  return rc;
}

int addPhoneDatabases(BackupBuilder* builder) {
  return addPhoneDatabases(builder, phoneDatabasesOf(PhoneFamily::kIos17));
}

int writeFamilyBackup(const std::string& folder, PhoneFamily family) {
  const PhoneDatabases d = phoneDatabasesOf(family);
  // Phones before iOS 10 were backed up with Manifest.mbdb.
  BackupBuilder b(folder,
                  family == PhoneFamily::kIos9 ? ManifestLayout::kMbdb : ManifestLayout::kDb);
  DeviceInfo info;
  info.displayName = std::string("Family ") + phoneFamilyName(family);
  info.productVersion = d.productVersion;
  int rc = writeInfoPlist(b.folder(), infoPlistText(info));
  if (rc == 0) rc = addPhoneDatabases(&b, d);
  if (rc == 0) rc = b.finish();
  return rc;
}

}  // namespace qv::samples
