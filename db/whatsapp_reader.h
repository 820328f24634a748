// The WhatsApp chat database (ChatStorage.sqlite): messages joined with their conversations,
// group members and media items, live and deleted alike.
#pragma once

#include <string>

#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// Reads the database (with its write-ahead log when one is named) and appends each
// conversation's messages, in date order, to chats[conversation id]. 0; 1006 when the file has
// no message table; or a page-reader code (the map is then left as it was).
// Reads keep all their state to themselves: several may run at once on different threads.
int ReadWhatsApp(const DatabaseFile& file, WhatsAppChatMap* chats);

// The column count of the message table as its statement declares it (23 when the statement
// cannot be read): 0, 1006 when the file has no message table, or the page reader's code.
int whatsAppMessageWidth(const DatabaseFile& file, int* width);

}  // namespace qv::db
