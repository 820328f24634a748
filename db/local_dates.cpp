#include "db/local_dates.h"

#include "db/timestamp.h"
#include "platform/local_time.h"
#include "platform/text.h"

namespace qv::db {

namespace {

// The range db/timestamp.h formats: years 1601 to 9999.
constexpr std::int64_t kEarliest = -11644473600LL;
constexpr std::int64_t kLatest = 253402300800LL;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

std::wstring LocalDates::unixTime(std::int64_t seconds) {
  if (seconds < kEarliest || seconds >= kLatest) return {};
  const std::int64_t bucket = floorDiv(seconds, kBucket);
  auto it = offsets_.find(bucket);
  if (it == offsets_.end()) {
    platform::CivilTime local;
    const std::int64_t start = bucket * kBucket;
    std::int64_t offset = kNoOffset;
    if (platform::utcToLocal(start, &local) == 0) offset = platform::civilToUnix(local) - start;
    it = offsets_.emplace(bucket, offset).first;
  }
  if (it->second == kNoOffset) return {};
  const platform::CivilTime local = platform::unixToCivil(seconds + it->second);
  if (local.year < 1 || local.year > 9999) return {};
  return platform::toWide(platform::formatCivil(local));
}

std::wstring LocalDates::appleTime(std::int64_t seconds) {
  if (seconds > kLatest || seconds < kEarliest - kAppleEpochOffset) return {};
  return unixTime(seconds + kAppleEpochOffset);
}

std::wstring LocalDates::appleNanoseconds(std::int64_t nanoseconds) {
  return appleTime(nanoseconds / 1000000000);
}

}  // namespace qv::db
