#include "samples/appdb_phone.h"

#include <functional>
#include <string>

#include "platform/file.h"
#include "platform/folders.h"
#include "samples/appdb_calls.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "samples/appdb_notes.h"
#include "samples/backup_builder.h"

namespace qv::samples {

namespace {

// Builds a database in a scratch file beside the backup and stores its bytes as a file of it.
int addBuilt(BackupBuilder* builder, const char* domain, const char* relativePath,
             const std::function<int(const std::string&, SqliteFixture*)>& build) {
  const std::string scratch = platform::joinPath(builder->folder(), "phone-db.scratch");
  platform::removeFile(scratch);
  SqliteFixture db;
  int rc = build(scratch, &db);
  std::string bytes;
  if (rc == 0) rc = platform::readWholeFile(scratch, std::uint64_t{1} << 30, &bytes);
  platform::removeFile(scratch);
  if (rc == 0) builder->addFile(domain, relativePath, bytes);
  return rc;
}

}  // namespace

int addPhoneDatabases(BackupBuilder* builder) {
  int rc = addBuilt(builder, kSmsDomain, kSmsRelativePath,
                    [](const std::string& path, SqliteFixture* db) {
                      return buildSmsDatabase(path, SmsLayout::kIos14, db);
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
  return rc;
}

}  // namespace qv::samples
