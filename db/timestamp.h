// Dates of the app databases, shown as local time "YYYY-MM-DD hh:mm:ss".
#pragma once

#include <cstdint>
#include <string>

namespace qv::db {

// Seconds between 1970-01-01 and 2001-01-01 (UTC), the epoch of Apple-reference dates.
constexpr std::int64_t kAppleEpochOffset = 978307200;

// Formats seconds since 2001-01-01 00:00:00 UTC in local time. A value outside years
// 1601..9999, or one the local-time conversion rejects, gives an empty text: no date is
// better than a wrong one.
std::wstring formatAppleTime(std::int64_t seconds);
// The same for seconds since 1970-01-01 00:00:00 UTC.
std::wstring formatUnixTime(std::int64_t seconds);
// Nanoseconds since 2001-01-01, divided down to seconds first (integer division).
std::wstring formatAppleNanoseconds(std::int64_t nanoseconds);

}  // namespace qv::db
