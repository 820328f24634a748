// The call history, in one of two databases:
//
// CallHistory.storedata (iOS 8 on), table ZCALLRECORD, a Core Data table whose columns stand in
// alphabetical order within their types, so every attribute Apple adds moves the others (18
// columns on iOS 9, 21 on iOS 10 and 11, 30 on iOS 17). The columns read, by name:
//   ZORIGINATED  0 (a constant) for an incoming call, 1 for an outgoing one
//   ZDATE        seconds since 2001-01-01 UTC, an integer or an 8-byte floating value
//   ZDURATION    seconds, an integer or an 8-byte floating value
//   ZADDRESS     the number: a blob of UTF-8 bytes up to iOS 11, a text since
// call_history.db (iOS 7 and earlier), table `call`: address (the number, a text without
// control characters), date (seconds since 1970-01-01, Unix time), duration, flags (bit 0 set
// for an outgoing call: 4 incoming, 5 outgoing).
// Without a statement to read, the columns are taken at the places iOS 10 and 11 kept them
// (ZCALLRECORD 10, 12, 13, 20) and at the older table's only known layout (`call` 1 to 4).
//
// The file's schema, read by the page reader through the write-ahead log beside the file, says
// which table it holds; everything is read with the page reader, so deleted calls come back
// from freelist pages, free space and the log's older page versions too.
#pragma once

#include <string>
#include <vector>

#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// Appends the calls that have a number and a date (live ones and deleted ones, without the
// leftover copies of live rows), names each from the first contact of the address book whose
// phone text contains its number (numbers of more than 4 characters only), and sorts the
// caller's list by date. The version flag picks the address book's layout when its statement
// cannot be read. Returns 0 or the page reader's code for either file; when the address book cannot
// be opened the calls stay in the list unnamed and unsorted.
int ReadCalls(const DatabaseFile& callHistory, const DatabaseFile& addressBook, int versionFlag,
              std::vector<CallRecord>* calls);

}  // namespace qv::db
