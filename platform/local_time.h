// Calendar arithmetic in UTC and conversion of instants to the computer's local time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_calls.h"

namespace qv::platform {

// Seconds since 1970-01-01 00:00:00 UTC of a civil UTC time (proleptic Gregorian calendar).
std::int64_t civilToUnix(const CivilTime& utc);
// The civil UTC time of an instant.
CivilTime unixToCivil(std::int64_t seconds);
// "%04d-%02d-%02d %02d:%02d:%02d"
std::string formatCivil(const CivilTime& t);

// Local time of a UTC instant, daylight saving of that date included (through the seam).
int utcToLocal(std::int64_t utcSeconds, CivilTime* out);
// The standard time-zone bias in minutes (UTC = local + bias), through the seam.
int standardBiasMinutes(int* out);

}  // namespace qv::platform
