// The QQ account database (QQ.db): the list of per-friend message tables and those tables.
#pragma once

#include <string>

#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// Reads the database at path (UTF-8): each friend's messages, in date order, go under the
// friend's QQ number. 0, or the reader's code (tables already read are kept).
int ReadQQ(const DatabaseFile& file, ChatRowMap* chats);

}  // namespace qv::db
