#include "db/column_dates.h"

#include <cmath>

#include "db/record.h"

namespace qv::db {

namespace {

// Seconds since 2001 reach this only after the year 5000; nanoseconds since 2001 pass it 100
// seconds into 2001. A larger value in sms.db is a date in nanoseconds.
constexpr std::int64_t kNanosecondDates = 100000000000LL;

}  // namespace

bool columnSeconds(const RowColumns& row, int column, DateForm form, std::int64_t* seconds) {
  const RecordColumn* c = row.column(column);
  if (c == nullptr) return false;
  const std::uint8_t* content = row.data() + c->offset;
  std::int64_t v = 0;
  switch (c->serialType) {
    case 1:
    case 2:
    case 3:
    case 4:
      v = unsignedValue(content, c->serialType);
      break;
    case 5:
    case 6:
      v = integerValue(content, c->serialType);
      break;
    case 7: {
      const double d = std::trunc(realValue(content));
      // Outside this range a floating value is no date of any form (and would not convert).
      if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) return false;
      v = static_cast<std::int64_t>(d);
      break;
    }
    default:
      return false;
  }
  if (form == DateForm::kAppleSecondsOrNanoseconds &&
      (v >= kNanosecondDates || v <= -kNanosecondDates))
    v /= 1000000000;
  *seconds = v;
  return true;
}

std::wstring columnDate(const RowColumns& row, int column, DateForm form, LocalDates& dates) {
  std::int64_t seconds = 0;
  if (!columnSeconds(row, column, form, &seconds)) return {};
  return form == DateForm::kUnixSeconds ? dates.unixTime(seconds) : dates.appleTime(seconds);
}

}  // namespace qv::db
