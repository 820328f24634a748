// What the commands print of a backup's own texts, and the passwords they take: escape
// sequences, bidi marks and bytes that are not UTF-8 never reach the terminal raw; a password
// with a NUL byte or past the limit is refused with a reason, not cut short or sent on.
#include <gtest/gtest.h>

#include <string>

#include "cli/backup_password.h"
#include "cli/terminal_text.h"
#include "engine/decryption.h"

namespace qv::cli {
namespace {

TEST(TerminalText, ControlsBidiMarksAndStrayBytesAreShownAsEscapes) {
  const struct {
    std::string raw;
    std::string shown;
  } cases[] = {
      {"plain Zoë's iPhone 山田 😀", "plain Zoë's iPhone 山田 😀"},
      {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
      {"\x1b[2J\x1b[31m", "\\x1b[2J\\x1b[31m"},
      {"a\nb\rc\td", "a\\nb\\rc\\td"},
      {std::string("nul\0x", 5), "nul\\x00x"},
      {"del\x7f", "del\\x7f"},
      {"c1 \xC2\x9B"
       "31m",
       "c1 \\u009b31m"},                                    // CSI in its one-character form
      {"photo\xE2\x80\xAEgpj.exe", "photo\\u202egpj.exe"},  // right-to-left override
      {"\xE2\x81\xA6x\xE2\x81\xA9\xE2\x80\x8F\xD8\x9C", "\\u2066x\\u2069\\u200f\\u061c"},
      {"raw \x9B"
       "31m",
       "raw \\x9b31m"},  // the 8-bit CSI byte, not UTF-8
      {"cut \xE2\x80", "cut \\xe2\\x80"},
      {"overlong \xC0\xAF", "overlong \\xc0\\xaf"},
      {"surrogate \xED\xA0\x80", "surrogate \\xed\\xa0\\x80"},
  };
  for (const auto& c : cases) EXPECT_EQ(terminalText(c.raw), c.shown) << c.shown;
}

TEST(Passwords, OnlyWhatTheToolCanTakeWholeIsUsed) {
  EXPECT_EQ(unusablePassword("tarnwick sample"), "");
  EXPECT_EQ(unusablePassword(""), "");
  EXPECT_EQ(unusablePassword(std::string(engine::kMaxPasswordBytes, 'p')), "");
  EXPECT_NE(unusablePassword(std::string("two\0words", 9)).find("NUL"), std::string::npos);
  const std::string long1 = unusablePassword(std::string(1 << 20, 'p'));
  EXPECT_NE(long1.find("longer than 4096 bytes"), std::string::npos) << long1;
}

}  // namespace
}  // namespace qv::cli
