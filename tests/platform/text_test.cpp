#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace qv::platform {
namespace {

const std::wstring kFffd(1, static_cast<wchar_t>(0xFFFD));

TEST(TextTest, ValidTextRoundTrips) {
  const std::string samples[] = {
      "",
      "plain ASCII",
      "Ren\xC3\xA9"
      "e Fran\xC3\xA7ois",                            // Latin accents
      "\xE5\xBC\xA0\xE4\xB8\x89\xE7\x9A\x84 iPhone",  // CJK
      "\xF0\x9F\x98\x80 smile",                       // outside the basic plane
      std::string("nul\0inside", 10),
  };
  for (const std::string& s : samples) EXPECT_EQ(toUtf8(toWide(s)), s) << s;
}

TEST(TextTest, SupplementaryCharacterIsOneCodePoint) {
  const std::wstring w = toWide("\xF0\x9F\x98\x80");
  if (sizeof(wchar_t) == 2) {
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(static_cast<unsigned>(w[0]), 0xD83Du);
    EXPECT_EQ(static_cast<unsigned>(w[1]), 0xDE00u);
  } else {
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(static_cast<unsigned>(w[0]), 0x1F600u);
  }
}

struct InvalidCase {
  const char* bytes;
  std::size_t size;
  std::wstring expected;
};

TEST(TextTest, MalformedSequencesBecomeReplacementCharacters) {
  const InvalidCase cases[] = {
      {"\xC3", 1, kFffd},                                      // cut at the end
      {"a\xE2\x82z", 4, L"a" + kFffd + L"z"},                  // cut short: one replacement
      {"\xC0\xAF", 2, kFffd + kFffd},                          // overlong lead byte
      {"\xED\xA0\x80", 3, kFffd + kFffd + kFffd},              // encoded surrogate
      {"\xF4\x90\x80\x80", 4, kFffd + kFffd + kFffd + kFffd},  // past U+10FFFF
      {"\x80x", 2, kFffd + L"x"},                              // stray continuation
      {"\xFF\xFE", 2, kFffd + kFffd},
  };
  for (const InvalidCase& c : cases) {
    EXPECT_EQ(toWide(std::string(c.bytes, c.size)), c.expected) << c.bytes;
  }
}

TEST(TextTest, UnpairedSurrogateInWideTextBecomesReplacement) {
  std::wstring w = L"a";
  if (sizeof(wchar_t) == 2) {
    w.push_back(static_cast<wchar_t>(0xD800));
  } else {
    w.push_back(static_cast<wchar_t>(0x110000));
  }
  w.push_back(L'b');
  EXPECT_EQ(toUtf8(w),
            "a\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace qv::platform
