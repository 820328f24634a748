// Column names of a CREATE TABLE statement, so that a reader can find a column by name in a
// table whose layout differs between app versions (the stored record holds the columns in
// declaration order, so a column's position is its place in this list).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::db {

// The names of the column definitions of "CREATE [TEMP] TABLE name (col type ..., ...)", in
// order, unquoted ("x", [x], `x`). Table constraints after the columns are not columns.
// Empty for anything else: virtual tables, CREATE TABLE ... AS SELECT, text that does not parse.
std::vector<std::string> createTableColumnNames(std::string_view sql);

// The position of a column by name (compared without regard to ASCII case); -1 when absent.
int columnPosition(const std::vector<std::string>& names, std::string_view name);

}  // namespace qv::db
