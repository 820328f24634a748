// The phone's own databases for a sample backup: messages, contacts, call history and notes,
// live and deleted rows alike, under the domains and paths a backup of a phone holds them.
#pragma once

namespace qv::samples {

class BackupBuilder;

// Adds, for a phone of current iOS: sms.db (74-column messages) in write-ahead-log mode with
// its -wal (messages only in the log), AddressBook.sqlitedb (26-column content table),
// CallHistory.storedata (the iOS 17-era 30-column table), NoteStore.sqlite with its -wal, and
// the older notes.sqlite an upgraded phone keeps: 7 files. Returns 0 or the first failure.
int addPhoneDatabases(BackupBuilder* builder);

}  // namespace qv::samples
