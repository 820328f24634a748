// Replaces the clock's zone for a test: local time is UTC minus a fixed bias (minutes), with an
// optional daylight-saving rule of the US kind (second Sunday of March 02:00 local to first
// Sunday of November 02:00 local, one hour ahead). The standard bias the seam reports is the
// same fixed bias, so code that used it instead of the instant's own offset gets summer dates
// an hour off.
#pragma once

#include <cstdint>

#include "platform/local_time.h"
#include "platform/os_calls.h"
#include "platform/result.h"

namespace qv::backup::testing {

class FixedZone {
 public:
  FixedZone(int biasMinutes, bool usDaylightSaving)
      : scope_(makeCalls(biasMinutes, usDaylightSaving)) {}

 private:
  static int& bias() {
    static int b = 0;
    return b;
  }
  static bool& dst() {
    static bool d = false;
    return d;
  }
  // Day of month of the n-th Sunday of a month.
  static int nthSunday(int year, int month, int n) {
    platform::CivilTime first{year, month, 1, 0, 0, 0};
    std::int64_t days = platform::civilToUnix(first) / 86400;
    int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    return 1 + (7 - weekday) % 7 + 7 * (n - 1);
  }
  static int toLocal(std::int64_t utc, platform::CivilTime* out) {
    std::int64_t local = utc - bias() * 60;
    if (dst()) {
      platform::CivilTime t = platform::unixToCivil(local);
      platform::CivilTime start{t.year, 3, nthSunday(t.year, 3, 2), 2, 0, 0};
      platform::CivilTime end{t.year, 11, nthSunday(t.year, 11, 1), 1, 0, 0};
      if (local >= platform::civilToUnix(start) && local < platform::civilToUnix(end))
        local += 3600;
    }
    *out = platform::unixToCivil(local);
    return kOk;
  }
  static int standard(int* minutes) {
    *minutes = bias();
    return kOk;
  }
  static platform::OsCalls makeCalls(int biasMinutes, bool usDaylightSaving) {
    bias() = biasMinutes;
    dst() = usDaylightSaving;
    platform::OsCalls calls = platform::osCalls();
    calls.utcToLocal = &toLocal;
    calls.standardBias = &standard;
    return calls;
  }

  platform::ScopedOsCalls scope_;
};

}  // namespace qv::backup::testing
