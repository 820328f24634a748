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

int addPhoneDatabases(BackupBuilder* builder) {
  int rc = addBuilt(builder, kSmsDomain, kSmsRelativePath,
                    [](const std::string& path, SqliteFixture* db) {
                      return buildSmsDatabaseWithLog(path, SmsLayout::kIos14, db);
                    });
  if (rc == 0)
    rc = addBuilt(builder, kAddressBookDomain, kAddressBookRelativePath,
                  [](const std::string& path, SqliteFixture* db) {
                    return buildAddressBook(path, AddressBookLayout::kIos15, db);
                  });
  if (rc == 0)
    rc = addBuilt(builder, kCallHistoryDomain, kCallHistoryRelativePath,
                  [](const std::string& path, SqliteFixture* db) {
                    return buildCallHistory(path, CallHistoryLayout::kIos17, db);
                  });
  if (rc == 0)
    rc = addBuilt(builder, kNotesDomain, kNotesRelativePath,
                  [](const std::string& path, SqliteFixture* db) {
                    return buildNotesDatabase(path, NotesLayout::kIos9, db);
                  });
  if (rc == 0)
    rc = addBuilt(builder, kNoteStoreDomain, kNoteStoreRelativePath,
                  [](const std::string& path, SqliteFixture* db) {
                    std::vector<ExpectedNote> notes;
                    return buildNoteStore(path, NoteStoreLayout::kIos17, db, &notes, true);
                  });
  return rc;
}

}  // namespace qv::samples
