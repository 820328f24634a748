// Tables the schema no longer lists. DROP TABLE deletes the table's row from the schema table
// (its cell on page 1, or a page of the schema's tree, becomes free space) and puts every page
// of the table on the freelist with its cells in place. The CREATE statement is carved from
// the schema table's free space; a scan under the recovered name then finds no root and reads
// the freelist pages whose rows have the statement's width.
#pragma once

#include <vector>

#include "db/sqlite_page_reader.h"

namespace qv::db {

// The schema rows of dropped tables carved from the schema table, one per name, in the order
// found: type "table", a name no live table has, a CREATE TABLE statement that can be read.
std::vector<SchemaEntry> droppedTables(SqlitePageReader& reader,
                                       const std::vector<SchemaEntry>& schema);

}  // namespace qv::db
