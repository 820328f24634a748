// Notes databases (notes.sqlite) written by the real SQLite library with the phone's ZNOTE
// (19 columns on iOS 6, 20 on iOS 9 to 11) and ZNOTEBODY tables (verbatim): notes whose bodies hold
// HTML with entities, division and break tags; a body that spills to overflow pages; a note without
// a body; a body without a note; dates as Core Data's floating values and as whole seconds; a title
// with U+FFFD (that note row is dropped). Single notes deleted (freeblocks), a run of notes deleted
// (freelist pages), and leftover copies of live rows moved by an update that grew their summary.
#pragma once

#include <string>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

extern const char* const kNotesDomain;        // "HomeDomain"
extern const char* const kNotesRelativePath;  // "Library/Notes/notes.sqlite"

enum class NotesLayout {
  kIos6,  // ZNOTE of 19 columns
  kIos9,  // ZNOTE of 20 columns (iOS 9 to 11)
};
const char* notesLayoutName(NotesLayout layout);
const char* notesNoteSql(NotesLayout layout);

// 0 or the SQLite code; `db` keeps what was written and deleted (closed on return).
int buildNotesDatabase(const std::string& path, NotesLayout layout, SqliteFixture* db);
// The iOS 9 layout.
int buildNotesDatabase(const std::string& path, SqliteFixture* db);

}  // namespace qv::samples
