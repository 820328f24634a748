#include "db/timestamp.h"

#include <gtest/gtest.h>

#include "platform/local_time.h"
#include "platform/os_calls.h"
#include "platform/result.h"

namespace qv::db {
namespace {

int utcAsLocal(std::int64_t utc, platform::CivilTime* out) {
  *out = platform::unixToCivil(utc);
  return 0;
}
int twoHoursAhead(std::int64_t utc, platform::CivilTime* out) {
  *out = platform::unixToCivil(utc + 7200);
  return 0;
}
int rejects(std::int64_t, platform::CivilTime*) {
  return kInvalid;
}

platform::OsCalls withLocalTime(int (*fn)(std::int64_t, platform::CivilTime*)) {
  platform::OsCalls calls = platform::osCalls();
  calls.utcToLocal = fn;
  return calls;
}

TEST(Timestamp, AppleSecondsNanosecondsAndUnixTimeInLocalTime) {
  platform::ScopedOsCalls seam(withLocalTime(utcAsLocal));
  EXPECT_EQ(formatAppleTime(0), L"2001-01-01 00:00:00");
  EXPECT_EQ(formatAppleTime(500000000), L"2016-11-05 00:53:20");
  EXPECT_EQ(formatAppleNanoseconds(500000000LL * 1000000000LL + 999999999), L"2016-11-05 00:53:20");
  EXPECT_EQ(formatUnixTime(0), L"1970-01-01 00:00:00");
  EXPECT_EQ(formatAppleTime(-1), L"2000-12-31 23:59:59");
  platform::ScopedOsCalls ahead(withLocalTime(twoHoursAhead));
  EXPECT_EQ(formatAppleTime(0), L"2001-01-01 02:00:00");
}

TEST(Timestamp, ValuesNoCalendarHoldsGiveNoText) {
  platform::ScopedOsCalls seam(withLocalTime(utcAsLocal));
  EXPECT_EQ(formatAppleTime(INT64_MAX), L"");
  EXPECT_EQ(formatAppleTime(INT64_MIN), L"");
  EXPECT_EQ(formatUnixTime(253402300800LL), L"");  // year 10000
  EXPECT_EQ(formatUnixTime(-11644473601LL), L"");  // before 1601
  platform::ScopedOsCalls refusing(withLocalTime(rejects));
  EXPECT_EQ(formatAppleTime(0), L"");
}

}  // namespace
}  // namespace qv::db
