// Date texts made once per quarter hour of offset equal the texts made one by one, across
// daylight-saving changes, in zones whose offsets are not whole hours, and at the ends of the
// range the pattern can hold.
#include <gtest/gtest.h>

#include "db/local_dates.h"
#include "db/timestamp.h"
#include "platform/local_time.h"
#include "tests/backup/fixed_zone.h"

namespace qv::db {
namespace {

using backup::testing::FixedZone;

void expectSameTexts(std::int64_t from, std::int64_t to, std::int64_t step) {
  LocalDates dates;
  for (std::int64_t t = from; t <= to; t += step) {
    ASSERT_EQ(dates.unixTime(t), formatUnixTime(t)) << t;
    ASSERT_EQ(dates.appleTime(t - kAppleEpochOffset), formatAppleTime(t - kAppleEpochOffset)) << t;
  }
}

TEST(LocalDates, EqualTheOneByOneTexts) {
  // 2021-03-14 and 2021-11-07: the US changes, 02:00 local.
  const std::int64_t spring = platform::civilToUnix({2021, 3, 14, 0, 0, 0});
  const std::int64_t autumn = platform::civilToUnix({2021, 11, 7, 0, 0, 0});
  {
    FixedZone zone(300, true);
    expectSameTexts(spring, spring + 86400, 61);
    expectSameTexts(autumn, autumn + 86400, 59);
  }
  {
    FixedZone zone(-570, true);  // UTC+09:30 with the same rule
    expectSameTexts(spring - 86400, spring + 86400, 97);
  }
  {
    FixedZone zone(-345, false);  // UTC+05:45
    expectSameTexts(-86400 * 3, 86400 * 3, 7919);
  }
  LocalDates dates;
  EXPECT_EQ(dates.unixTime(253402300800LL), L"");  // year 10000
  EXPECT_EQ(dates.unixTime(-11644473601LL), L"");  // before 1601
  EXPECT_EQ(dates.appleTime(INT64_MAX), L"");
  EXPECT_EQ(dates.appleTime(INT64_MIN), L"");
  EXPECT_EQ(dates.appleNanoseconds(500000000LL * 1000000000LL + 999999999),
            formatAppleTime(500000000));
}

}  // namespace
}  // namespace qv::db
