// Notes: notes.sqlite (the notes store of iOS up to 8, which later backups can still hold).
//
// ZNOTEBODY: ZCONTENT, the note's text as HTML; its row id (Z_PK) names the body.
// ZNOTE: ZBODY (the Z_PK of the note's body row), ZMODIFICATIONDATE (seconds since 2001-01-01
// UTC, an integer or an 8-byte float), ZTITLE. Columns are found by name: the 19-column table
// of iOS 6 lacks ZEXTERNALSEQUENCENUMBER and keeps them one place earlier than the 20-column
// one, whose places (body 4; 11, 14, 19) are taken when no statement can be read.
// Both tables are read with the page reader: live rows, freelist rows and carved rows.
#pragma once

#include <string>
#include <vector>

#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// Pairs each body with the first note row that names it (title and date), adds the note rows
// without a body that have a title, drops notes with neither title nor content, and reduces
// the HTML to text. The caller's list is replaced on success. Returns the open result.
int ReadNotes(const DatabaseFile& notesFile, std::vector<NoteRecord>* notes);

// The HTML reduction of a note text: the entities &#39; &quot; &lt; &gt; &nbsp; and, last,
// &amp; become their characters, then <div> becomes a line break, </div> nothing and <br> a
// line break.
std::wstring noteHtmlToText(std::wstring text);

}  // namespace qv::db
