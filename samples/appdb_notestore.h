// NoteStore.sqlite written by the real SQLite library: the notes of iOS 9 and later, in the
// Core Data tables the reader takes them from (Z_PRIMARYKEY, ZICCLOUDSYNCINGOBJECT with notes
// and folders in one table, ZICNOTEDATA with the gzip-compressed protocol-buffer bodies).
//
// No CREATE statement of a real store was at hand: the object table here declares the columns
// the reader names and a dozen others, in Core Data's order (integers, references, dates,
// texts, blobs), about a tenth of the 100 to 180 columns of a phone's table, in two layouts
// whose columns stand at different places (the reader must go by name). The bodies are real
// gzip streams of the note protocol buffer (document 2, note 3, text 2, with a version and an
// attribute run beside the text).
//
// Rows: notes in two folders, CJK and emoji texts, a body that spills to overflow pages, a
// note without a title (its first line is its title), notes in "Recently Deleted", a note
// marked for deletion, a locked note (an enciphered body), a note whose body is damaged;
// deleted notes (object and body rows, single ones and a run) that lie in free space and on
// freelist pages. The facts list every note the reader should give.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

extern const char* const kNoteStoreDomain;        // "AppDomainGroup-group.com.apple.notes"
extern const char* const kNoteStoreRelativePath;  // "NoteStore.sqlite"

enum class NoteStoreLayout {
  kIos12,  // ZCREATIONDATE1, no iOS 15 columns
  kIos17,  // ZCREATIONDATE3 and the columns iOS 15 added, every later column moved
};
const char* noteStoreLayoutName(NoteStoreLayout layout);
const char* noteStoreObjectSql(NoteStoreLayout layout);

// A note as the reader should list it.
struct ExpectedNote {
  std::int64_t id = 0;  // Z_PK of the note's row
  std::string title;
  std::string text;           // plain text of the body (empty when none can be read)
  std::uint32_t deleted = 0;  // in free space, in "Recently Deleted", or marked for deletion
  bool locked = false;
  std::int64_t modified = 0;  // seconds since 2001-01-01
  bool carved = false;        // deleted from the tables: only free space holds it
};

// The gzip-compressed protocol buffer of a note body holding text.
std::string noteBodyBlob(const std::string& text);

// Writes the store at path; *expected receives the notes (in no particular order). With
// `log` the store is left as a phone keeps it: path holds the last checkpoint, path + "-wal"
// the notes written after it. 0 or the SQLite code.
int buildNoteStore(const std::string& path, NoteStoreLayout layout, SqliteFixture* db,
                   std::vector<ExpectedNote>* expected, bool log = false);

}  // namespace qv::samples
