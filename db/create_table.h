// The column count of a CREATE TABLE statement, for tables the width table does not know.
#pragma once

#include <string_view>

namespace qv::db {

// Counts the column definitions of "CREATE [TEMP] TABLE name (col ..., col ..., constraint)".
// Table constraints (CONSTRAINT, PRIMARY KEY, UNIQUE, CHECK, FOREIGN KEY) are not columns.
// 0 for anything else: virtual tables, CREATE TABLE ... AS SELECT, text that does not parse.
int createTableColumnCount(std::string_view sql);

}  // namespace qv::db
