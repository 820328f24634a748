// The progress bar's line: the bar for a percent, its clamping, and long labels cut to a
// terminal's width between characters.
#include <gtest/gtest.h>

#include <string>

#include "cli/progress_bar.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

TEST(ProgressLine, BarAndPercentForEachValue) {
  struct Case {
    int percent;
    std::string expected;
  };
  const Case cases[] = {
      {0, "[..............................]   0%  Notes"},
      {35, "[##########....................]  35%  Notes"},
      {99, "[#############################.]  99%  Notes"},
      {100, "[##############################] 100%  Notes"},
      {-7, "[..............................]   0%  Notes"},
      {250, "[##############################] 100%  Notes"},
  };
  for (const Case& c : cases) EXPECT_EQ(progressLine(c.percent, "Notes"), c.expected) << c.percent;
}

TEST(ProgressLine, LongLabelsKeepTheirStartAndEndWithinOneHundredCells) {
  const std::string path = "Recovering: /out/" + std::string(200, 'a') + "/IMG_0001.JPG";
  const std::string line = progressLine(50, path);
  EXPECT_EQ(line.size(), 100u);
  EXPECT_EQ(line.substr(0, 40), ("[###############...............]  50%  " + path).substr(0, 40));
  EXPECT_EQ(line.substr(40, 3), "...");
  EXPECT_EQ(line.substr(line.size() - 12), "IMG_0001.JPG");
  EXPECT_EQ(progressLine(50, "short"), "[###############...............]  50%  short");
}

TEST(ProgressLine, CutsFallBetweenCharacters) {
  // Two- and three-byte characters at every offset: no cut may leave half of one.
  for (const std::string unit : {"\xC3\xA9", "\xE5\xB1\xB1", "\xF0\x9F\x98\x80"}) {
    for (std::size_t shift = 0; shift < 4; ++shift) {
      std::string label(shift, 'x');
      for (int i = 0; i < 60; ++i) label += unit;
      const std::string line = progressLine(10, label);
      EXPECT_LE(line.size(), 100u);
      EXPECT_EQ(platform::toUtf8(platform::toWide(line)), line) << "shift " << shift;
      EXPECT_NE(line.find("..."), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace qv::cli
