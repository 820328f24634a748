// Date texts of a whole table at once. The local-time conversion asks the system for the time
// zone on every call; the rows of a table hold tens of thousands of dates, so the offset from
// UTC is asked once per quarter of an hour (every time zone changes its offset on a quarter
// hour of UTC) and the texts are made from it. The texts equal those of db/timestamp.h.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace qv::db {

class LocalDates {
 public:
  std::wstring unixTime(std::int64_t seconds);   // since 1970-01-01 UTC
  std::wstring appleTime(std::int64_t seconds);  // since 2001-01-01 UTC
  std::wstring appleNanoseconds(std::int64_t nanoseconds);

 private:
  static constexpr std::int64_t kBucket = 900;
  static constexpr std::int64_t kNoOffset = INT64_MIN;
  std::unordered_map<std::int64_t, std::int64_t> offsets_;  // quarter hour -> local - UTC
};

}  // namespace qv::db
