// Notes of iOS 9 and later: NoteStore.sqlite (AppDomainGroup-group.com.apple.notes), a Core
// Data store that keeps notes, folders, accounts and attachments in one wide table.
//
//   Z_PRIMARYKEY           Z_ENT, Z_NAME: which entity number is "ICNote", which "ICFolder"
//   ZICCLOUDSYNCINGOBJECT  one row per object, Z_PK the row-id alias; read by name:
//     Z_ENT                 the entity (note, folder, ...)
//     ZTITLE1               a note's title          ZTITLE2       a folder's title
//     ZNOTEDATA             -> ZICNOTEDATA.Z_PK      ZFOLDER       -> the note's folder
//     ZFOLDERTYPE           1 for "Recently Deleted" (the trash)
//     ZISPASSWORDPROTECTED  1 for a locked note     ZMARKEDFORDELETION  1 for a note on its way out
//     ZMODIFICATIONDATE1    seconds since 2001-01-01 (ZCREATIONDATE3, ZCREATIONDATE1 when absent)
//   ZICNOTEDATA            ZNOTE (-> the note's Z_PK), ZDATA: the body, a gzip stream of a
//                          protocol buffer whose text is field 2 of field 3 of field 2
//                          (document, note, text); a locked note's body is enciphered.
//
// Both tables are read with the page reader (live rows, freelist rows, carved rows and the
// write-ahead log's older page versions). The columns move between iOS versions (the object
// table grew from about 100 columns to more than 180): only names are trusted, and a table whose
// statement cannot be read gives no notes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// What a locked note shows instead of its text.
extern const wchar_t kLockedNoteText[];

// Appends the notes of the store: title (the note's own, else the first line of its text),
// date, plain text. Deleted notes carry the marker 1: rows of free space and freelist pages,
// and notes in "Recently Deleted" or marked for deletion. A locked note has its title and
// kLockedNoteText. Bodies found without their note (deleted together) are listed by their
// text. Returns 0, the open result, or 1006 when the file has no object table.
int ReadNoteStore(const DatabaseFile& file, std::vector<NoteRecord>* notes);

// The plain text of a note body: inflated, its text field taken out of the protocol buffer,
// attachment marks (U+FFFC) dropped. False when the body is no such thing (a locked note's
// enciphered body, damaged bytes).
bool noteBodyText(std::string_view blob, std::wstring* text);

}  // namespace qv::db
