#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/local_time.h"
#include "platform/result.h"

namespace qv::platform {
namespace {

TEST(LocalTimeTest, CivilTimeRoundTripsAcrossLeapDaysAndEpochs) {
  const CivilTime samples[] = {
      {1970, 1, 1, 0, 0, 0},   {2001, 1, 1, 0, 0, 0},      {2000, 2, 29, 12, 0, 0},
      {2016, 5, 1, 23, 30, 0}, {1969, 12, 31, 23, 59, 59}, {2100, 3, 1, 1, 2, 3},
  };
  for (const CivilTime& t : samples) {
    const CivilTime back = unixToCivil(civilToUnix(t));
    EXPECT_EQ(formatCivil(back), formatCivil(t));
  }
  EXPECT_EQ(civilToUnix({1970, 1, 1, 0, 0, 0}), 0);
  EXPECT_EQ(civilToUnix({2001, 1, 1, 0, 0, 0}), 978307200);
  EXPECT_EQ(civilToUnix({1969, 12, 31, 23, 59, 59}), -1);
  EXPECT_EQ(formatCivil(unixToCivil(1462145400)), "2016-05-01 23:30:00");
}

TEST(LocalTimeTest, ConversionGoesThroughTheSeam) {
  OsCalls calls = realOsCalls();
  calls.utcToLocal = [](std::int64_t utc, CivilTime* out) {
    *out = unixToCivil(utc + 8 * 3600);
    return kOk;
  };
  calls.standardBias = [](int* minutes) {
    *minutes = -480;
    return kOk;
  };
  ScopedOsCalls scope(calls);
  CivilTime local;
  ASSERT_EQ(utcToLocal(1462145400, &local), kOk);
  EXPECT_EQ(formatCivil(local), "2016-05-02 07:30:00");
  int bias = 0;
  ASSERT_EQ(standardBiasMinutes(&bias), kOk);
  EXPECT_EQ(bias, -480);
}

#ifndef _WIN32
// The real conversion follows the rules of the date converted, daylight saving included.
class TzScope {
 public:
  explicit TzScope(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TzScope() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST(LocalTimeTest, RealConversionAppliesDaylightSavingOfThatDate) {
  TzScope tz("EST5EDT,M3.2.0,M11.1.0");
  CivilTime local;
  ASSERT_EQ(utcToLocal(civilToUnix({2016, 5, 1, 23, 30, 0}), &local), kOk);
  EXPECT_EQ(formatCivil(local), "2016-05-01 19:30:00");  // summer: four hours behind
  ASSERT_EQ(utcToLocal(civilToUnix({2016, 1, 1, 23, 30, 0}), &local), kOk);
  EXPECT_EQ(formatCivil(local), "2016-01-01 18:30:00");  // winter: five hours behind
  int bias = 0;
  ASSERT_EQ(standardBiasMinutes(&bias), kOk);
  EXPECT_EQ(bias, 300);
}

TEST(LocalTimeTest, RealConversionInZoneWithoutDaylightSaving) {
  TzScope tz("CST-8");
  CivilTime local;
  ASSERT_EQ(utcToLocal(civilToUnix({2016, 5, 1, 23, 30, 0}), &local), kOk);
  EXPECT_EQ(formatCivil(local), "2016-05-02 07:30:00");
  int bias = 0;
  ASSERT_EQ(standardBiasMinutes(&bias), kOk);
  EXPECT_EQ(bias, -480);
}
#endif

}  // namespace
}  // namespace qv::platform
