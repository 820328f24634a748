// The date columns of the phone's tables, in every form a table may hold them:
//
//   Core Data tables (CallHistory.storedata, notes, NoteStore, WhatsApp): seconds since
//     2001-01-01 UTC declared TIMESTAMP, stored as a floating value with fractions of a second,
//     or as an integer when the value is whole (SQLite keeps whole numbers of a NUMERIC column
//     as integers);
//   sms.db `message`: seconds since 2001-01-01 in up to four bytes (iOS 6 to 10), nanoseconds
//     since 2001-01-01 in eight bytes (iOS 11 on; older rows of an upgraded phone keep their
//     seconds, so both forms meet in one table);
//   call_history.db `call`, WeChat and QQ: seconds since 1970-01-01 (Unix time).
//
// Integers of one to four bytes are read unsigned (the four-byte dates of the phone run past
// 2038 as seconds since 2001). The constants 0 and 1 are no date: they are what an unset
// column of these tables holds.
#pragma once

#include <cstdint>
#include <string>

#include "db/local_dates.h"
#include "db/row_columns.h"

namespace qv::db {

enum class DateForm {
  kAppleSeconds,               // seconds since 2001, integer or floating
  kAppleSecondsOrNanoseconds,  // sms.db: seconds, or nanoseconds when the value is that large
  kUnixSeconds,                // seconds since 1970
};

// The seconds a date column holds in that form (nanoseconds divided down); false when the
// column holds no date (absent, NULL, a constant, a text, a floating value that is not finite
// or too large to be a date).
bool columnSeconds(const RowColumns& row, int column, DateForm form, std::int64_t* seconds);

// The date as local time "YYYY-MM-DD hh:mm:ss"; empty when there is none.
std::wstring columnDate(const RowColumns& row, int column, DateForm form, LocalDates& dates);

}  // namespace qv::db
