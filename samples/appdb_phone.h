// The phone's own databases for a sample backup: messages, contacts, call history and notes,
// live and deleted rows alike, under the domains and paths a backup of a phone holds them.
#pragma once

#include <string>

#include "samples/appdb_calls.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "samples/appdb_notes.h"
#include "samples/appdb_notestore.h"

namespace qv::samples {

class BackupBuilder;

// Which table family each phone database has, and whether it keeps a write-ahead log.
struct PhoneDatabases {
  std::string productVersion = "17.2";
  SmsLayout sms = SmsLayout::kIos14;
  bool smsLog = false;
  AddressBookLayout book = AddressBookLayout::kIos15;
  CallHistoryLayout calls = CallHistoryLayout::kIos17;
  bool oldNotes = true;  // notes.sqlite (an upgraded phone keeps it beside NoteStore)
  NotesLayout notes = NotesLayout::kIos9;
  bool noteStore = true;
  NoteStoreLayout noteStoreLayout = NoteStoreLayout::kIos17;
  bool noteStoreLog = false;
};

// A phone of each era whose tables the schema notes hold: iOS 9 (51-column messages, the
// 25-column address book, the 18-column call table, notes.sqlite), iOS 11 (64 columns,
// nanosecond dates, the 26-column address book, 21-column calls, NoteStore), iOS 14.3
// (74 columns; its call table is the iOS 11 one, no statement of its own being known), and a
// current phone of iOS 17 (the 30-column calls; sms.db and NoteStore with their -wal).
enum class PhoneFamily { kIos9, kIos11, kIos14, kIos17 };
PhoneDatabases phoneDatabasesOf(PhoneFamily family);
const char* phoneFamilyName(PhoneFamily family);

// Adds the phone's own databases (and their logs) under the domains and paths a backup of a
// phone holds them. Returns 0 or the first failure.
int addPhoneDatabases(BackupBuilder* builder, const PhoneDatabases& databases);
// The current phone: sms.db in write-ahead-log mode with its -wal (messages only in the log),
// AddressBook.sqlitedb (26 columns), CallHistory.storedata (the iOS 17-era 30-column table),
// NoteStore.sqlite with its -wal, and the older notes.sqlite an upgraded phone keeps: 7 files.
int addPhoneDatabases(BackupBuilder* builder);

// A whole backup of a phone of that family in folder: Info.plist, the manifest of its era
// (Manifest.mbdb before iOS 10) and the phone's databases. 0 or the first failure.
int writeFamilyBackup(const std::string& folder, PhoneFamily family);

}  // namespace qv::samples
