// What the commands read and print around the core: argument scanning with the usage texts of
// the command table, category lists, JSON strings, terminal cell widths and the category tree
// of a scan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "cli/backup_view.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/scan_view.h"

namespace qv::cli {
namespace {

using engine::ItemCategory;

engine::CategorySet only(std::initializer_list<ItemCategory> categories) {
  engine::CategorySet set;
  for (ItemCategory c : categories) set.set(static_cast<std::size_t>(c));
  return set;
}

TEST(Arguments, FlagsOptionsAndPositionalWords) {
  const ArgScanner scan({"folder", "--json", "--out", "dir", "-", "--out", "later"},
                        {"--json", "--deleted-only"}, {"--out"});
  EXPECT_TRUE(scan.error().empty());
  EXPECT_TRUE(scan.has("--json"));
  EXPECT_FALSE(scan.has("--deleted-only"));
  EXPECT_EQ(scan.value("--out"), "later");  // the last one given wins
  EXPECT_EQ(scan.value("--only"), "");
  EXPECT_EQ(scan.positional(), (std::vector<std::string>{"folder", "-"}));

  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case problems[] = {
      {{"--jsn"}, "unknown option --jsn"},
      {{"--out"}, "option --out needs a value"},
      {{"-x", "--out"}, "unknown option -x"},  // the first problem is the one told
  };
  for (const Case& c : problems)
    EXPECT_EQ(ArgScanner(c.args, {"--json"}, {"--out"}).error(), c.error);
  EXPECT_TRUE(ArgScanner({"x", "-h"}, {}, {}).wantsHelp());
}

TEST(Arguments, EveryCommandHasItsUsageOnceInTheTable) {
  for (const Command& c : allCommands()) {
    EXPECT_EQ(usageOf(c.name).rfind(std::string("usage: quenvale ") + c.name + " ", 0), 0u)
        << c.name;
    const CommandLine line(c.name, {"folder"}, {}, {});
    EXPECT_EQ(line.usage(), c.usage);
    EXPECT_FALSE(line.finishedEarly().has_value()) << c.name;
  }
  EXPECT_EQ(usageOf("nonesuch"), "");
  EXPECT_EQ(CommandLine("scan", {"--help"}, {}, {}).finishedEarly(), 0);
  EXPECT_EQ(CommandLine("scan", {"--bogus"}, {}, {}).finishedEarly(), 2);
  EXPECT_EQ(CommandLine("scan", {}, {}, {}).usageError("name one backup folder"), 2);
  EXPECT_EQ(runCommand({}), 2);
  EXPECT_EQ(runCommand({"nonesuch"}), 2);
  EXPECT_EQ(runCommand({"--help"}), 0);
}

TEST(Arguments, CategoryListsByTreeNameOrPageText) {
  app::Settings::loadFrom(QV_SOURCE_DIR);
  struct Case {
    const char* list;
    engine::CategorySet expected;
  };
  const Case cases[] = {
      {"Camera Roll", only({ItemCategory::kCameraRoll})},
      {" camera ROLL ,messages,", only({ItemCategory::kCameraRoll, ItemCategory::kMessages})},
      // The category page's text for the attachments differs from the tree's name.
      {"Message Attachments", only({ItemCategory::kMessageAttachments})},
      {"Messages Attachments", only({ItemCategory::kMessageAttachments})},
      {"safari bookmark,Safari Bookmark", only({ItemCategory::kSafariBookmark})},
  };
  for (const Case& c : cases) {
    engine::CategorySet got;
    std::string error;
    EXPECT_TRUE(parseCategories(c.list, &got, &error)) << c.list << ": " << error;
    EXPECT_EQ(got, c.expected) << c.list;
  }
  const std::pair<const char*, const char*> refused[] = {
      {"Selfies", "unknown category 'Selfies'"},
      {"Notes, Photos ,Contacts", "unknown category 'Photos'"},
      {"", "no category named"},
      {" , ,", "no category named"},
  };
  for (const auto& [list, message] : refused) {
    engine::CategorySet got;
    std::string error;
    EXPECT_FALSE(parseCategories(list, &got, &error)) << list;
    EXPECT_EQ(error, message);
  }

  engine::CategorySet chosen;
  EXPECT_FALSE(chooseCategories(CommandLine("scan", {}, {}, {"--only"}), "--only", true, &chosen));
  EXPECT_EQ(chosen, engine::allCategories());
  EXPECT_EQ(
      chooseCategories(CommandLine("print", {}, {}, {"--category"}), "--category", false, &chosen),
      2);
  EXPECT_EQ(chooseCategories(CommandLine("scan", {"--only", "Selfies"}, {}, {"--only"}), "--only",
                             true, &chosen),
            2);
}

TEST(Output, JsonStringsAndTerminalCells) {
  EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(jsonString("line\nfeed\ttab\x01\x7F"), "\"line\\nfeed\\ttab\\u0001\\u007f\"");
  EXPECT_EQ(jsonString("Zo\xC3\xAB"), "\"Zo\xC3\xAB\"");
  EXPECT_EQ(jsonString("bad \xFF byte"), "\"bad \xEF\xBF\xBD byte\"");

  EXPECT_EQ(displayWidth("abc"), 3u);
  EXPECT_EQ(displayWidth("Caf\xC3\xA9"), 4u);
  EXPECT_EQ(displayWidth("\xE5\xB1\xB1\xE7\x94\xB0"), 4u);  // two CJK characters
  EXPECT_EQ(padTo("\xE5\xB1\xB1", 4), "\xE5\xB1\xB1  ");
}

// The tree lists the chosen categories, each with its count, deleted count and size, and the
// statistics line sums what they hold.
TEST(Output, ScanTreeCountsOnlyTheChosenCategories) {
  app::Settings::loadFrom(QV_SOURCE_DIR);
  engine::ScanResults results;
  results.appFiles = {{2000, L"app.a", L"one.jpg", L"s1"},
                      {3000, L"app.a", L"two.mov", L"s2"},
                      {10, L"app.b", L"three.png", L"s3"}};
  engine::splitAppFiles(&results);
  results.notes.resize(3);
  results.notes[0].deleted = 1;
  EXPECT_EQ(scanTreeText(results, only({ItemCategory::kAppPhotos, ItemCategory::kNotes})),
            "Photos & Videos\n"
            "  App Photos (2)                 0 deleted       2.95 KB\n"
            "Messages & Call logs\n"
            "  Notes (3)                      1 deleted       3.00 KB\n"
            "You select 5.95 KB in 5 item(s) of 5.95 KB in 5 item(s)\n");
}

}  // namespace
}  // namespace qv::cli
