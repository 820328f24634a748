// QQ account databases (QQ.db) written by the real SQLite library: tb_c2cTables listing one
// tb_c2cMsg_<QQ number> table per friend. No statement of the app's own tables is known, so
// the tables are built to the reader's positions: the listing has one text column; a message
// table has 50 columns with the friend's number at 1, the date (Unix seconds) at 2, the
// direction at 4 (0 sent, 1 received) and the text at 6.
//
//   - friends: two with chats, one whose table was dropped and listing row deleted, one whose
//     table was dropped but is still listed;
//   - messages: sent and received, a spilled text, texts the reader must drop;
//   - deletions: single rows (freeblocks), a long run (freelist pages that every other
//     friend's table scan also meets), a dropped table;
//   - stale copies: rows moved by an update that grew them.
#pragma once

#include <string>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

extern const char* const kQqDomain;  // "AppDomain-com.tencent.mqq"
extern const char* const kQqOwner;   // the account's QQ number
std::string qqRelativePath();        // "Documents/contents/<owner>/QQ.db"

extern const char* const kQqFriendA;        // live and scattered deleted messages
extern const char* const kQqFriendB;        // a long run of deleted messages
extern const char* const kQqFriendGone;     // table dropped, listing row deleted
extern const char* const kQqFriendDropped;  // table dropped, listing row kept

// The message table of a QQ number.
std::string qqTableName(const std::string& number);

// Writes the database at path; `db` keeps what was written and deleted. The dropped table's
// rows stay in live() of its name, though the table is gone. 0 or the SQLite code.
int buildQqDatabase(const std::string& path, SqliteFixture* db);

}  // namespace qv::samples
