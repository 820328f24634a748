// The message value lines: every row of sms.db's `message` table (38-column layout, see
// message_reader.h) as one line of SQL literal values, for the export of the message table.
//
// A line is the row id, then the value of each of the 38 columns, ended by CR LF:
//   NULL in column 0 (the row-id alias)  ","  (the row id's own separator)
//   other NULL, empty text               "NULL,"
//   1- to 4-byte integer                 "-12,"  (decimal)
//   6- and 8-byte integer, float         ","     (left empty)
//   constant 0 or 1                      "0," "1,"  ("0" "1" in the last column)
//   text or blob                         "\"it''s\","  (quotes and apostrophes doubled)
//   column 8 (attributedBody)            "0a0b...,"  (lower-case hex, unquoted)
// Deleted rows (freelist and carved) become new messages: a new row id when they have none
// (the preset plus one, then on), guid "27B99F78-F6F0-475F-8BA1-" + the row id in 12 hex digits,
// is_finished 1, date now, and for messages not from the owner date_read now and is_read 1
// (0 and 0 for the owner's own). Rows whose text is bad, and deleted rows without a 36-character
// account guid, are not written; neither are leftover copies of live rows.
#pragma once

#include <cstdint>
#include <string>

#include "db/sqlite_page_reader.h"

namespace qv::db {

// Appends the lines to the output file. New row ids start at startRowId + 1. Returns 0, the
// reader's open code, or the code of writing the output file.
int WriteMessageLines(const DatabaseFile& sms, const std::string& outputPath,
                      std::uint64_t startRowId);

// The same with the time that deleted rows get as their date, in seconds since 2001-01-01.
int WriteMessageLinesAt(const DatabaseFile& sms, const std::string& outputPath,
                        std::uint64_t startRowId, std::int64_t nowAppleSeconds);

}  // namespace qv::db
