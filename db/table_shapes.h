// What the scans know of the tables the database readers read, by name: the column count a
// carved row of each has when the database does not say (the width table), and the test of
// its own that a carved record of the table must pass. The readers take a table's width from
// its CREATE statement first; `quenvale sqlite` does the same for every table it lists.
#pragma once

#include <string_view>
#include <vector>

#include "db/carving.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"

namespace qv::db {

// Widths of the tables a reader may learn another width for, before it has learnt one.
constexpr int kMessageWidth = 38;   // `message`: 38 (iOS 6-8) or 51 (iOS 9)
constexpr int kContactsWidth = 24;  // the address book's content table: 24 or 25
constexpr int kWhatsAppMessageWidth = 28;

// The width of a table by name (case-insensitive, except the "Chat_" and "tb_c2cMsg" prefixes
// which are case-sensitive); 0 for a table the readers do not know.
int knownTableWidth(std::string_view table);

// Whether a carved record of sms.db's `message` table carries its guid: a text of 36 non-zero
// characters in column 1, the first content of the row. Free space of that table holds much
// that parses as a header; a record without the guid is none of its rows.
bool messageGuidLeads(const CarvedRecordView& record);

// The shape of a table by its name alone: the width table's width; records of `message` need
// their guid.
TableShape knownTableShape(std::string_view table);

// The shape a table is scanned with when nothing is learnt from its rows. By its CREATE
// statement: the columns it declares, whether column 0 holds a value (no row-id alias there)
// and the storage classes each column can hold; else the width table's width. Records of
// sms.db's `message` (a `guid` in column 1, or no statement to say) need their guid.
TableShape tableShape(const std::vector<SchemaEntry>& schema, std::string_view table);
TableShape tableShape(const TableLayout& layout, std::string_view table);

// The shape of an index's records (a record per row of the table: the values of its key's
// columns, then what finds the row), for carving the index's tree. `recordColumns` as
// indexRecordColumns gives them.
TableShape indexShape(const TableLayout& table, const std::vector<int>& recordColumns);

// The storage classes SQLite may store in a declared column (a TEXT column keeps numbers as
// text, a NOT NULL column holds no NULL, the row-id alias is always NULL in the record), and
// those its declared type usually holds (an INTEGER column integers, a REAL column numbers).
ColumnClasses columnClassesOf(const DeclaredColumn& column, bool rowIdAlias);

}  // namespace qv::db
