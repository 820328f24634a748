#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "backup/backup_date.h"
#include "backup/info_plist.h"
#include "samples/backup_info_plist.h"
#include "tests/backup/fixed_zone.h"

namespace qv::backup {
namespace {

using testing::FixedZone;

TEST(LocalBackupDateTest, ZonesWithoutDaylightSavingGiveTheFixedOffset) {
  {
    FixedZone zone(-480, false);  // eight hours ahead of UTC
    EXPECT_EQ(localBackupDate("2016-05-01 23:30:00"), "2016-05-02 07:30:00");
  }
  {
    FixedZone zone(300, false);
    EXPECT_EQ(localBackupDate("2016-05-01 23:30:00"), "2016-05-01 18:30:00");
  }
}

TEST(LocalBackupDateTest, SummerDatesIncludeDaylightSaving) {
  FixedZone zone(300, true);
  // Summer: four hours behind UTC, not the five of the standard bias.
  EXPECT_EQ(localBackupDate("2016-07-01 12:00:00"), "2016-07-01 08:00:00");
  // Winter in the same zone: the standard offset.
  EXPECT_EQ(localBackupDate("2016-01-15 12:00:00"), "2016-01-15 07:00:00");
  // Across midnight and the change itself: 2016-03-13 07:00 UTC is 03:00 daylight time.
  EXPECT_EQ(localBackupDate("2016-03-13 07:00:00"), "2016-03-13 03:00:00");
  EXPECT_EQ(localBackupDate("2016-03-13 06:59:59"), "2016-03-13 01:59:59");
}

TEST(LocalBackupDateTest, TextThatDoesNotParseGivesNothing) {
  FixedZone zone(0, false);
  const char* bad[] = {
      "",                     // nothing
      "2016-05-01",           // no time
      "2016-05-01T23:30:00",  // no space before the hour
      "2016/05/01 23:30:00",  // wrong separators
      "2016-05-01 23.30.00",  //
      "2016-13-01 10:00:00",  // month 13
      "2016-02-30 10:00:00",  // no such day
      "2015-02-29 10:00:00",  // not a leap year
      "2016-05-01 24:00:00",  // hour 24
      "2016-05-01 23:60:00",  //
      "2016-05-01 23:30:61",  //
      "0-05-01 23:30:00",     // year 0
      "x016-05-01 23:30:00",  // no digits
      "2016-05- 23:30:00",    //
      "99999999999-05-01 23:30:00",
  };
  for (const char* text : bad) EXPECT_EQ(localBackupDate(text), "") << text;
  EXPECT_EQ(localBackupDate("2016-02-29 00:00:00"), "2016-02-29 00:00:00");
  EXPECT_EQ(localBackupDate("9999-12-31 23:59:59"), "9999-12-31 23:59:59");
}

TEST(LocalBackupDateTest, InfoPlistDatesAreConvertedOrKeptRaw) {
  FixedZone zone(-480, false);
  struct Case {
    const char* stored;
    const char* expected;
  } cases[] = {
      {"2016-05-01T23:30:00Z", "2016-05-02 07:30:00"},
      {"2016-05-01Tlate", "2016-05-01 late"},  // does not parse: raw, with T and Z handled
      {"yesterday", "yesterday"},
  };
  for (const Case& c : cases) {
    samples::DeviceInfo device;
    device.lastBackupDate = c.stored;
    std::string text = samples::infoPlistText(device);
    MemorySource source(text.data(), text.size());
    LineReader lines(&source);
    BackupInfo info;
    applyInfoPlistKeys(&lines, &info);
    EXPECT_EQ(info.lastBackupDate, c.expected) << c.stored;
  }
}

#ifndef _WIN32
// The real clock follows the rules of the zone for the date converted.
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

TEST(LocalBackupDateTest, RealZonesWithFixedTz) {
  {
    TzScope tz("CST-8");
    EXPECT_EQ(localBackupDate("2016-05-01 23:30:00"), "2016-05-02 07:30:00");
  }
  {
    TzScope tz("EST5");
    EXPECT_EQ(localBackupDate("2016-05-01 23:30:00"), "2016-05-01 18:30:00");
  }
  {
    TzScope tz("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(localBackupDate("2016-05-01 23:30:00"), "2016-05-01 19:30:00");
    EXPECT_EQ(localBackupDate("2016-12-01 23:30:00"), "2016-12-01 18:30:00");
  }
}
#endif

}  // namespace
}  // namespace qv::backup
