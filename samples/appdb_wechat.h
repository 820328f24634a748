// WeChat account databases (MM.sqlite) written by the real SQLite library: the Friend table
// and one Chat_<md5 of the user name> table per friend, in the app's own layouts.
//
//   - friends: two people, a group chat, a friend without a chat table, a deleted friend;
//   - messages: sent and received, a text that spills to overflow pages, texts the reader must
//     drop (U+FFFD, an embedded zero, an empty text);
//   - deletions: single rows (freeblocks in the friend's table), a long run (whole leaf pages
//     to the freelist), and a whole chat table dropped (all its pages to the freelist);
//   - stale copies: live rows moved by an update that grew them.
#pragma once

#include <string>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

extern const char* const kWeChatDomain;  // "AppDomain-com.tencent.xin"
// The account's folder under Documents is the MD5 of the owner's user name.
std::string weChatRelativePath();

// User names of the fixture's friends.
extern const char* const kWeChatAlice;    // a person with live and deleted messages
extern const char* const kWeChatBob;      // a person whose older messages were deleted as a run
extern const char* const kWeChatGroup;    // a group chat
extern const char* const kWeChatNoTable;  // a friend without a chat table
extern const char* const kWeChatGone;     // a deleted friend whose chat table was dropped

// Writes the database at path; `db` keeps what was written and deleted, tables by their
// Chat_ names. The dropped table's rows stay in live() of its name, though the table is gone:
// every one of them is deleted. 0 or the SQLite code.
int buildWeChatDatabase(const std::string& path, SqliteFixture* db);

}  // namespace qv::samples
