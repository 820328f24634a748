// The phone's own databases for a sample backup: messages, contacts, call history and notes,
// live and deleted rows alike, under the domains and paths a backup of a phone holds them.
#pragma once

namespace qv::samples {

class BackupBuilder;

// Adds, for a phone of iOS 12 or later: sms.db (74-column messages), AddressBook.sqlitedb
// (26-column content table), CallHistory.storedata (the iOS 17-era 30-column table) and
// notes.sqlite. Returns 0 or the first failure.
int addPhoneDatabases(BackupBuilder* builder);

}  // namespace qv::samples
