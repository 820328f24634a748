// Message databases (sms.db) written by the real SQLite library with the phone's own table
// layouts, then thinned so that every kind of deleted row is there:
//
//   - handles: phone numbers and an e-mail address; handle 1 is referenced through the
//     constant 1 the database stores for it; one number is known only to a deleted contact;
//     one handle is deleted together with all its messages;
//   - messages: sent and received, dates in seconds and one in nanoseconds, twenty messages
//     with the same date, texts with quotes, accents, CJK and emoji, a text that spills to overflow
//     pages, and the texts that must be dropped (NULL, empty, malformed UTF-8, U+FFFD, an
//     embedded zero);
//   - attachments: one per message for some, two for one message, one deleted with its join;
//   - deletions: single rows (their cells become freeblocks), a long run of rows (whole leaf
//     pages go to the freelist), the spilled row, the deleted handle's messages;
//   - leftover copies: live rows moved by an update that grew a column no reader decodes (the
//     old cell stays in free space with the same decoded fields).
//
// The fixture records every row written and deleted (SqliteFixture::live and ::deleted).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

enum class SmsLayout {
  kIos6,   // 38-column message table, 9-column attachment table
  kIos9,   // 51-column message table, 12-column attachment table
  kIos10,  // 60-column message table, 16-column attachment table
  kIos11,  // 64-column message table, 20-column attachment table, dates in nanoseconds
  kIos14,  // 74-column message table, 6-column handle table, 20-column attachment table
};
const char* smsLayoutName(SmsLayout layout);
int smsMessageColumns(SmsLayout layout);

// The phone's CREATE statements of the four tables and their indexes, for the layout.
std::string smsSchemaSql(SmsLayout layout);

// Where a backup keeps the database.
extern const char* const kSmsDomain;        // "HomeDomain"
extern const char* const kSmsRelativePath;  // "Library/SMS/sms.db"

// The texts of messages that must never be listed.
std::vector<std::string> smsDroppedTexts();

struct SmsFixtureFacts {
  std::vector<std::int64_t> movedMessages;  // live rows whose old cell stays as a leftover copy
  std::int64_t twoAttachmentMessage = 0;    // the message joined to two attachments
  std::string firstAttachmentName;          // the name of the one of them read first
  std::int64_t nanosecondMessage = 0;       // the message whose date is in nanoseconds
  std::string deletedContactAddress;        // a handle known only to a deleted contact
  std::int64_t deletedHandle = 0;           // the handle deleted with all its messages
  std::vector<std::int64_t> logMessages;    // messages written only to the log
  std::vector<std::int64_t> logDeletedMessages;  // messages the log deleted
};

// Writes the database at path (UTF-8) with pages of pageSize bytes; `db` keeps what was
// written and deleted (closed on return). 0 or the SQLite code.
int buildSmsDatabase(const std::string& path, SmsLayout layout, SqliteFixture* db,
                     SmsFixtureFacts* facts = nullptr, int pageSize = 4096);

// The same database as a phone keeps it in write-ahead-log mode: path holds what the last
// checkpoint wrote, path + "-wal" what came after (15 messages in three transactions, one of
// them changed by a later commit, three messages of the file and one of the log deleted).
int buildSmsDatabaseWithLog(const std::string& path, SmsLayout layout, SqliteFixture* db,
                            SmsFixtureFacts* facts = nullptr);

// A small message database for byte-exact value-line tests (38 columns, a handful of rows,
// one deleted row kept whole in a freeblock). `db` as above.
int buildSmallSmsDatabase(const std::string& path, SqliteFixture* db);

}  // namespace qv::samples
