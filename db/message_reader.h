// Messages: sms.db (SMS and iMessage history), four tables read with the page reader (live
// rows, freelist rows and rows carved from free space) and joined in memory.
//
// message: 38 columns (iOS 6-8), 51 (iOS 9), later versions append more; the first 38 keep
// their places. ROWID (0) is stored as NULL; the columns read:
//   1 guid (36 characters)   2 text   5 handle_id   8 attributedBody (blob)
//   13 account_guid   15 date: seconds since 2001-01-01 UTC (4 bytes) or nanoseconds (8 bytes)
//   16 date_read   19 is_finished   21 is_from_me   26 is_read
// handle: 1 id (the phone number or e-mail address).
// attachment: 4 filename.
// message_attachment_join: 0 message_id, 1 attachment_id (no row-id alias: both are stored).
// Names come from the address book (contact_reader.h): the first person whose phone text
// contains the handle's address.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// Conversations: handle id -> its messages in date order.
using ConversationMap = std::map<std::int32_t, std::vector<MessageRecord>>;

// Where a long read reports how far it got. The callback gets the user value and a progress
// number; any answer but 0 stops the read, which then returns that answer.
struct ReadProgress {
  int (*callback)(void* user, std::uint32_t progress) = nullptr;  // null: no reports
  void* user = nullptr;
  std::uint32_t base = 0;
  std::uint32_t step = 0;
};

// Reads the messages with a text, joins each with its handle's address, the name of the
// address's first contact and the file name of its first attachment, sorts them by date
// (equal dates in reading order) and appends them to their handle's conversation. Deleted
// messages carry the marker 1; leftover copies of live rows are not listed. *maxMessageRowId
// is set to the highest message row id of a cell read. Returns 0, the reader's open code for
// either file (then no conversation is added), or the callback's stop answer.
int ReadMessages(const DatabaseFile& sms, const DatabaseFile& addressBook,
                 ConversationMap* conversations, const ReadProgress& progress,
                 std::uint64_t* maxMessageRowId);

}  // namespace qv::db
