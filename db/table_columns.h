// The columns a table's CREATE statement declares: their names, so that a reader can find a
// column by name in a table whose layout differs between app versions, and their count, the
// width a carved row of the table is rebuilt with. The stored record holds the columns in
// declaration order, so a column's position is its place in this list.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite_page_reader.h"

namespace qv::db {

// The column definitions of "CREATE [TEMP] TABLE name (col type ..., ...)", in order, each by
// its first token unquoted ("x", [x], `x`; empty when the definition starts with no name).
// Table constraints after the columns (CONSTRAINT, PRIMARY KEY, UNIQUE, CHECK, FOREIGN KEY)
// are not columns. Empty for anything else: virtual tables, CREATE TABLE ... AS SELECT, text
// that does not parse.
std::vector<std::string> createTableColumnNames(std::string_view sql);

// The position of a column by name (compared without regard to ASCII case); -1 when absent.
int columnPosition(const std::vector<std::string>& names, std::string_view name);

// The column names of a table from the schema rows (the name compared without regard to ASCII
// case); empty when the table or a statement that can be read is not there.
std::vector<std::string> columnsOfTable(const std::vector<SchemaEntry>& schema,
                                        std::string_view table);

// The number of columns the table's statement declares; 0 when there is none to count.
int declaredColumnCount(const std::vector<SchemaEntry>& schema, std::string_view table);

// A column's position by the first of its known names; -1 when the table's statement was
// read and names none of them; `fallback` when there was no statement to read.
int positionOf(const std::vector<std::string>& columns,
               std::initializer_list<std::string_view> names, int fallback);

// The schema of the open database (what could be read of it when it is damaged).
std::vector<SchemaEntry> readSchemaOf(SqlitePageReader& reader);

}  // namespace qv::db
