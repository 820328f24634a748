// WhatsApp chat databases (ChatStorage.sqlite) written by the real SQLite library with the
// app's own table layouts, then thinned so that every kind of deleted row is there:
//
//   - conversations: a one-to-one chat, a group chat of three members (one without a name), a
//     status chat whose identifier has no at sign, and a chat deleted with all its messages;
//   - messages: sent and received, group messages from each member and from the owner, media
//     messages without text (a title, no title, an empty text), texts that must be dropped
//     (U+FFFD, an embedded zero), a text that spills to overflow pages, dates stored as
//     integers and as doubles, and a message of a conversation that does not exist;
//   - deletions: single rows (their cells become freeblocks), a long run of rows (whole leaf
//     pages go to the freelist), a spilled row, a member and a media item;
//   - stale copies: live rows moved by an update that grew them (the old cell stays in free
//     space with the same fields) and by the page merges of the run deletion.
//
// The fixture records every row written and deleted (SqliteFixture::live and ::deleted).
#pragma once

#include <string>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

class BackupBuilder;

enum class WhatsAppLayout {
  kNewer,  // the 34-column message table of current app versions
  kOlder,  // a 23-column message table without the media item reference
};

// Where the sample backup and the engine find the database.
extern const char* const kWhatsAppDomain;  // "AppDomainGroup-group.net.whatsapp.WhatsApp.shared"
extern const char* const kWhatsAppRelativePath;  // "ChatStorage.sqlite"

// Texts the reader must drop (they never appear in a delivered message).
extern const char* const kWhatsAppReplacementText;  // holds U+FFFD
extern const char* const kWhatsAppZeroText;         // holds an embedded zero (as a 7-byte text)

// Writes the database at path (UTF-8); `db` keeps what was written and deleted (closed on
// return). 0 or the SQLite code.
int buildWhatsAppDatabase(const std::string& path, WhatsAppLayout layout, SqliteFixture* db);

// Adds the chat-app databases (WhatsApp ChatStorage.sqlite, a WeChat MM.sqlite and a QQ.db)
// under their real domains and paths. Returns 0 or the first failure.
int addChatAppDatabases(BackupBuilder* builder);

}  // namespace qv::samples
