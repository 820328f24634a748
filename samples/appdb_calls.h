// Call histories written by the real SQLite library with the phone's own tables, one fixture
// per CREATE statement family:
//
//   CallHistory.storedata, table ZCALLRECORD (Core Data): iOS 9 (18 columns), iOS 10 and 11
//   (21 columns), the iOS 17-era model 27 (30 columns, ZADDRESS a text since);
//   call_history.db, table `call`: iOS 4/5 (8 columns), iOS 6 (13), iOS 7/8 (14).
//
// Every layout holds incoming and outgoing calls, answered and missed, dates as Core Data's
// floating values and as whole seconds (Unix seconds in `call`), numbers stored as blobs (as
// the phone did up to iOS 11) and as texts, a number of 4 characters, and the rows the reader
// must drop or leave out (U+FFFD in the number, a control character in an older number, no
// number, no date); single rows deleted (freeblocks), a long run deleted (freelist pages), and
// leftover copies of live rows moved by an update that grew a column the reader does not read.
#pragma once

#include <string>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

extern const char* const kCallHistoryDomain;        // "HomeDomain"
extern const char* const kCallHistoryRelativePath;  // "Library/CallHistoryDB/CallHistory.storedata"
extern const char* const kOldCallHistoryDomain;     // "WirelessDomain"
extern const char* const kOldCallHistoryRelativePath;  // "Library/CallHistory/call_history.db"

enum class CallHistoryLayout {
  kIos9,   // ZCALLRECORD, 18 columns
  kIos11,  // ZCALLRECORD, 21 columns (iOS 10 and 11)
  kIos17,  // ZCALLRECORD, 30 columns (Core Data model 27)
  kIos5,   // call, 8 columns
  kIos6,   // call, 13 columns
  kIos7,   // call, 14 columns
};
const char* callHistoryLayoutName(CallHistoryLayout layout);
// Whether the layout is the Core Data table (CallHistory.storedata) or the older `call`.
bool isCoreDataCallHistory(CallHistoryLayout layout);
// The table's name and its CREATE statement, verbatim.
const char* callHistoryTable(CallHistoryLayout layout);
const char* callHistorySql(CallHistoryLayout layout);

// Seconds since 2001-01-01 of the first call.
constexpr long long kFirstCallDate = 600000000;

// 0 or the SQLite code; `db` keeps what was written and deleted (closed on return).
int buildCallHistory(const std::string& path, CallHistoryLayout layout, SqliteFixture* db);

}  // namespace qv::samples
