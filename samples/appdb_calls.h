// Call histories written by the real SQLite library:
//
//   - CallHistory.storedata with the ZCALLRECORD table of iOS 10 and 11 (verbatim): incoming
//     and outgoing calls, answered and missed, dates as Core Data's floating values and as
//     whole seconds, numbers stored as blobs (as the phone does) and as texts, a number of 4
//     characters, and the rows the reader must drop or leave out (U+FFFD in the number, no
//     number, no date);
//   - call_history.db with a `call` table laid out at the positions the reader reads
//     (originated 10, date 12 in Unix time, duration 13, address 20); real tables of that
//     name differ, see the schema notes; a number with a control character is dropped.
// Both: single rows deleted (freeblocks), a long run deleted (freelist pages), and leftover
// copies of live rows moved by an update that grew a column the reader does not read.
#pragma once

#include <string>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

extern const char* const kCallHistoryDomain;        // "HomeDomain"
extern const char* const kCallHistoryRelativePath;  // "Library/CallHistoryDB/CallHistory.storedata"
extern const char* const kOldCallHistoryDomain;     // "WirelessDomain"
extern const char* const kOldCallHistoryRelativePath;  // "Library/CallHistory/call_history.db"

// The CREATE statement of the `call` table at the reader's positions.
extern const char* const kOlderCallTableSql;

// Seconds since 2001-01-01 of the first call.
constexpr long long kFirstCallDate = 600000000;

// 0 or the SQLite code; `db` keeps what was written and deleted (closed on return).
int buildCallHistoryStoredata(const std::string& path, SqliteFixture* db);
int buildOldCallHistory(const std::string& path, SqliteFixture* db);

}  // namespace qv::samples
