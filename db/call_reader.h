// The call history, in one of two databases:
//
// CallHistory.storedata (iOS 8 on), table ZCALLRECORD; positions of iOS 10 and 11 (21 columns,
// Z_PK at 0 stored as NULL):
//   10 ZORIGINATED  0 (a constant) for an incoming call, 1 for an outgoing one
//   12 ZDATE        seconds since 2001-01-01 UTC, an integer or an 8-byte floating value
//   13 ZDURATION    seconds, an integer or an 8-byte floating value
//   20 ZADDRESS     the number (21 with the version flag set), text or a blob of UTF-8 bytes
// call_history.db (older phones), table `call`, read at the same positions, with the date as
// seconds since 1970-01-01 (Unix time) and the number a text without control characters.
//
// The SQLite library is asked once whether ZCALLRECORD exists; everything else is read with
// the page reader, so deleted calls come back from freelist pages and free space too.
#pragma once

#include <string>
#include <vector>

#include "db/records.h"

namespace qv::db {

// Appends the calls that have a number and a date (live ones and deleted ones, without the
// leftover copies of live rows), names each from the first contact of the address book whose
// phone text contains its number (numbers of more than 4 characters only), and sorts the
// caller's list by date. Returns 0, the SQLite library's open result, or the page reader's
// code for either file; when the address book cannot be opened the calls stay in the list
// unnamed and unsorted.
int ReadCalls(const std::string& callHistoryPath, const std::string& addressBookPath,
              int versionFlag, std::vector<CallRecord>* calls);

// Whether the SQLite library can query ZCALLRECORD in the file: 0 and *present set (false
// when the query fails: no such table, or not a database), or the library's open result.
int ProbeCallRecordTable(const std::string& path, bool* present);

}  // namespace qv::db
