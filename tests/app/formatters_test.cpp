#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "app/formatters.h"

namespace qv::app {
namespace {

TEST(FormatDurationTest, Boundaries) {
  EXPECT_EQ(formatDuration(0), L"0 Sec");
  EXPECT_EQ(formatDuration(59), L"59 Sec");
  EXPECT_EQ(formatDuration(60), L"1 Min 0 Sec");
  EXPECT_EQ(formatDuration(3599), L"59 Min 59 Sec");
  EXPECT_EQ(formatDuration(3600), L"1 Hour 0 Min");
  EXPECT_EQ(formatDuration(3600 * 25 + 61), L"25 Hour 1 Min");
  EXPECT_EQ(formatDuration(-1), L"-1 Sec");
  // Far beyond a 32-bit count of hours, as a damaged database can give.
  EXPECT_EQ(formatDuration(std::numeric_limits<std::int64_t>::max()),
            L"2562047788015215 Hour 30 Min");
  EXPECT_EQ(formatDuration(std::numeric_limits<std::int64_t>::min()), L"-9223372036854775808 Sec");
}

TEST(FormatSizeTest, Boundaries) {
  EXPECT_EQ(formatSize(0), L"0 Bytes");
  EXPECT_EQ(formatSize(1023), L"1023 Bytes");
  EXPECT_EQ(formatSize(1024), L"1.00 KB");
  EXPECT_EQ(formatSize(1536), L"1.50 KB");
  EXPECT_EQ(formatSize(1048575), L"1024.00 KB");  // rounds up, stays in KB
  EXPECT_EQ(formatSize(1048576), L"1.00 MB");
  EXPECT_EQ(formatSize((std::int64_t{1} << 30) - 1), L"1024.00 MB");
  EXPECT_EQ(formatSize(std::int64_t{1} << 30), L"1.00 GB");
  EXPECT_EQ(formatSize(std::int64_t{5} << 40), L"5.00 TB");
  EXPECT_EQ(formatSize(std::numeric_limits<std::int64_t>::max()), L"8388608.00 TB");
  EXPECT_EQ(formatSize(-5), L"-5 Bytes");
  EXPECT_EQ(formatSize(std::numeric_limits<std::int64_t>::min()), L"-9223372036854775808 Bytes");
}

TEST(FormatSizeTest, HalfwayValuesRoundUpTheSameEverywhere) {
  EXPECT_EQ(formatSize(1152), L"1.13 KB");  // 1.125 exactly
  EXPECT_EQ(formatSize(1034), L"1.01 KB");  // 1.0097...
  EXPECT_EQ(formatSize(1029), L"1.00 KB");  // 1.0048...
}

}  // namespace
}  // namespace qv::app
