// The WhatsApp chat database (ChatStorage.sqlite): messages joined with their conversations,
// group members and media items, live and deleted alike.
#pragma once

#include <string>

#include "db/records.h"

namespace qv::db {

// Reads the database at path (UTF-8) and appends each conversation's messages, in date order,
// to chats[conversation id]. 0; 1006 when the message table cannot be queried; the SQLite
// library's open result; or a page-reader code (the map is then left as it was).
// Reads keep all their state to themselves: several may run at once on different threads.
int ReadWhatsApp(const std::string& path, WhatsAppChatMap* chats);

// The column count of the message table as the SQLite library reports it: 0, 1006 when the
// table cannot be queried, or the library's open result.
int whatsAppMessageWidth(const std::string& path, int* width);

}  // namespace qv::db
