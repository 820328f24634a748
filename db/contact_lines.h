// The contact value lines: every row of the address book's content table (contact_reader.h)
// as one line of SQL literal values covering its first 24 columns, ended by CR LF:
//   NULL in column 0 (the row-id alias)  ","
//   other NULL, empty text               "NULL,"
//   1- to 4-byte integer                 "-12,"
//   6- and 8-byte integer, float         ","
//   constant 0 or 1                      "0," "1,"
//   text or blob                         "\"O''Brien\","  (quotes and apostrophes doubled)
// The last value has no comma after it. A row is not written when a text of it is malformed,
// holds an embedded zero or U+FFFD; leftover copies of live rows are not written either.
#pragma once

#include <cstdint>
#include <string>

#include "db/sqlite_page_reader.h"

namespace qv::db {

// Appends the lines to the output file. Rows without a row id (carved ones) get startRowId + 1,
// then on; a row with a row id keeps it. Returns 0, the reader's open code, or the code of
// writing the output file.
int WriteContactLines(const DatabaseFile& addressBook, const std::string& outputPath,
                      std::uint64_t startRowId);

}  // namespace qv::db
