#include "db/timestamp.h"

#include "platform/local_time.h"
#include "platform/text.h"

namespace qv::db {

namespace {

// 1601-01-01 and 10000-01-01 in Unix seconds: what the local-time conversion and the
// four-digit year of the pattern can hold.
constexpr std::int64_t kEarliest = -11644473600LL;
constexpr std::int64_t kLatest = 253402300800LL;

}  // namespace

std::wstring formatUnixTime(std::int64_t seconds) {
  if (seconds < kEarliest || seconds >= kLatest) return std::wstring();
  platform::CivilTime local;
  if (platform::utcToLocal(seconds, &local) != 0) return std::wstring();
  if (local.year < 1 || local.year > 9999) return std::wstring();
  return platform::toWide(platform::formatCivil(local));
}

std::wstring formatAppleTime(std::int64_t seconds) {
  // Keep the sum from overflowing: such values are outside the range anyway.
  if (seconds > kLatest || seconds < kEarliest - kAppleEpochOffset) return std::wstring();
  return formatUnixTime(seconds + kAppleEpochOffset);
}

std::wstring formatAppleNanoseconds(std::int64_t nanoseconds) {
  return formatAppleTime(nanoseconds / 1000000000);
}

}  // namespace qv::db
