// The WeChat account database (MM.sqlite): the friends and one message table per friend.
#pragma once

#include <string>
#include <string_view>

#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// Reads the database at path (UTF-8): each friend's messages, in date order, go under the
// friend's user name; deleted messages found on freelist pages, whose friend is not known,
// under "Unknown". 0, or the reader's code (friends already read are kept).
int ReadWeChat(const DatabaseFile& file, ChatRowMap* chats);

// The message table of a friend: "Chat_" and the lower-case hex MD5 of the user name.
std::string weChatTableName(std::string_view userName);

}  // namespace qv::db
