// Which manifest entries hold the chat apps' databases.
//
// An entry names a chat database when its path ends in the database's file name: the WhatsApp
// chat store "ChatStorage.sqlite" (at the top of its domain or in a folder), a QQ account's
// ".../<account>/QQ.db", a WeChat account's ".../<md5>/DB/MM.sqlite". A key that merely contains
// the name is not one: the journal files beside a database ("ChatStorage.sqlite-wal",
// "QQ.db-journal") and copies ("MM.sqlite.bak") would otherwise be read in its place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "backup/manifest_entry.h"

namespace qv::engine {

enum class ChatDatabase { kWhatsApp, kQq, kWechat };

bool namesChatDatabase(std::string_view key, ChatDatabase kind);

// The first entry of the index that names the database; none when there is none.
std::optional<backup::ManifestEntry> findChatDatabase(const backup::ManifestIndex& index,
                                                      ChatDatabase kind);

// The account of a QQ database: the path component just before "/QQ.db" (UTF-8).
std::string qqAccountOfKey(std::string_view key);

}  // namespace qv::engine
