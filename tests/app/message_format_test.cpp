#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/message_format.h"

namespace qv::app {
namespace {

TEST(FormatMessageTest, FillsConversionsInOrder) {
  EXPECT_EQ(formatMessage(L"You select %s in %d item(s) of %s in %d item(s)",
                          {L"1.00 MB", 3, L"2.00 GB", 40}),
            L"You select 1.00 MB in 3 item(s) of 2.00 GB in 40 item(s)");
  EXPECT_EQ(formatMessage(L"%s %d%%", {L"Recovering:", 42}), L"Recovering: 42%");
  EXPECT_EQ(formatMessage(L"%I64d.%S", {std::int64_t{12345678901}, L"jpg"}), L"12345678901.jpg");
  EXPECT_EQ(formatMessage(L"[%5d|%-4d|%04d|%+d|%.3d|%x|%X|%u]", {7, 7, -7, 7, 7, 255, 255, 9}),
            L"[    7|7   |-007|+7|007|ff|FF|9]");
  EXPECT_EQ(formatMessage(L"[%6s|%-6s|%.2s]", {L"ab", L"ab", L"abc"}), L"[    ab|ab    |ab]");
}

TEST(FormatMessageTest, AMismatchedPatternNeverReadsTheWrongType) {
  // A translation that swapped the conversions: each argument still prints as what it is.
  EXPECT_EQ(formatMessage(L"%d of %s", {L"1.00 MB", 3}), L"1.00 MB of 3");
  // More conversions than arguments, and conversions that are not offered, stay as written.
  EXPECT_EQ(formatMessage(L"%d %d %d", {1}), L"1 %d %d");
  EXPECT_EQ(formatMessage(L"%n%p%f%*d %s", {L"x"}), L"%n%p%f%*d x");
  EXPECT_EQ(formatMessage(L"cut %", {1}), L"cut %");
  EXPECT_EQ(formatMessage(L"cut %ll", {1}), L"cut %ll");
  // A width from the file cannot make the text grow without bound.
  EXPECT_EQ(formatMessage(L"%999999999999d", {1}).size(), static_cast<std::size_t>(kMaxFieldWidth));
  EXPECT_EQ(formatMessage(L"%d", {INT64_MIN}), L"-9223372036854775808");
}

TEST(ConversionKindsTest, NamesEachConversion) {
  EXPECT_EQ(conversionKinds(L"You select %s in %d item(s) of %s in %d item(s)"), "sdsd");
  EXPECT_EQ(conversionKinds(L"%d/%d: %ld ok, %I64d failed 100%%"), "dddd");
  EXPECT_EQ(conversionKinds(L"%p %5.2f %S"), "??s");
  EXPECT_EQ(conversionKinds(L"no conversions, 100%%"), "");
}

}  // namespace
}  // namespace qv::app
