// Output names: hostile names from the backup, the containment check, the unique-path rule and
// the conversation and chat names.
#include <gtest/gtest.h>

#include <string>

#include "export/output_names.h"
#include "export/unique_path.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::output {
namespace {

using platform::joinPath;

// The character rules are engine/safe_name.h's, tested there; here what the component adds.
TEST(SafeComponent, TheRuleAppliesToTheNameWithItsSuffix) {
  EXPECT_EQ(safeComponent(L"Ann(+1555)"), L"Ann(+1555)");
  EXPECT_EQ(safeComponent(L"a/b", L".txt"), L"a_b.txt");
  EXPECT_EQ(safeComponent(L"CON", L".txt"), L"_CON.txt");
  // Only the end of the whole component counts as its end.
  EXPECT_EQ(safeComponent(L"..", L"-20240101120000"), L"..-20240101120000");
  EXPECT_EQ(safeComponent(L"x", L"."), L"x_");
  EXPECT_EQ(safeComponent(L"", L""), L"_");
}

TEST(SafeComponent, LongNamesAreCutAtACharacterBoundaryKeepingTheExtension) {
  const std::wstring latin(300, L'a');
  EXPECT_EQ(platform::toUtf8(safeComponent(latin)).size(), kMaxNameBytes);
  EXPECT_EQ(safeComponent(latin + L".jpeg"), std::wstring(kMaxNameBytes - 5, L'a') + L".jpeg");

  // Three bytes each: 66 whole characters fit in 200 bytes, never a part of one.
  std::wstring cjk;
  for (int i = 0; i < 100; ++i) cjk += L'\u4E2D';
  const std::string cut = platform::toUtf8(safeComponent(cjk, L"-20240101120000"));
  EXPECT_EQ(cut.size(), 66 * 3 + 15);
  EXPECT_EQ(platform::toUtf8(platform::toWide(cut)), cut);  // still valid UTF-8

  // Emoji are outside the basic plane: surrogate pairs on Windows stay whole.
  std::wstring emoji;
  for (int i = 0; i < 60; ++i) emoji += platform::toWide("\xF0\x9F\x98\x80");
  const std::string emojiCut = platform::toUtf8(safeComponent(emoji));
  EXPECT_EQ(emojiCut.size(), 200u);
  EXPECT_EQ(emojiCut.find("\xEF\xBF\xBD"), std::string::npos);
  // A very long extension is not kept whole.
  EXPECT_LE(platform::toUtf8(safeComponent(L"a." + latin)).size(), kMaxNameBytes);
}

TEST(IsInsideRoot, AcceptsOnlyPathsBelowTheRoot) {
  EXPECT_TRUE(isInsideRoot("/out", "/out/Camera Roll/IMG.JPG"));
  EXPECT_TRUE(isInsideRoot("/out/", "/out/x"));
  EXPECT_TRUE(isInsideRoot("C:\\Users\\me\\out", "C:\\Users\\me\\out\\Notes\\Notes_1.html"));
  EXPECT_TRUE(isInsideRoot("/", "/x"));
  EXPECT_FALSE(isInsideRoot("/out", "/out"));
  EXPECT_FALSE(isInsideRoot("/out", "/out/"));
  EXPECT_FALSE(isInsideRoot("/out", "/outside/x"));
  EXPECT_FALSE(isInsideRoot("/out", "/out/../etc/passwd"));
  EXPECT_FALSE(isInsideRoot("/out", "/out/a/..\\..\\b"));
  EXPECT_FALSE(isInsideRoot("/out", "/out/./a"));
  EXPECT_FALSE(isInsideRoot("/out", "/out//a"));
  EXPECT_FALSE(isInsideRoot("/out", "/out/a/"));
  EXPECT_FALSE(isInsideRoot("C:\\out", "C:\\out\\a.txt:stream"));
  EXPECT_FALSE(isInsideRoot("", "/x"));
}

TEST(TreeNames, ConversationAndChatNames) {
  db::MessageRecord row;
  EXPECT_EQ(conversationPerson(row), L"Unknown");
  EXPECT_EQ(conversationBase(row), L"Unknown");
  row.address = L"+15551234";
  EXPECT_EQ(conversationBase(row), L"Unknown(+15551234)");
  row.contactName = L"Ann";
  EXPECT_EQ(conversationBase(row), L"Ann(+15551234)");

  db::ChatRecord chat;
  EXPECT_EQ(chatTitle(chat), L"Unknown");
  chat.memberNumbers = L"4930123";
  EXPECT_EQ(chatTitle(chat), L"4930123");
  chat.memberNames = L"Ben";
  EXPECT_EQ(chatTitle(chat), L"Ben(4930123)");
  chat.memberNames = L"Ben, Cy";
  chat.partnerName = L"Team";
  EXPECT_EQ(chatTitle(chat), L"Team");
  chat.partnerName.clear();
  EXPECT_EQ(chatTitle(chat), L"Unknown");

  EXPECT_EQ(jobStamp(2024, 3, 7, 9, 5, 1), "20240307090501");
  EXPECT_STREQ(categoryFolderName(engine::ItemCategory::kAppVideos), "App Video");
  EXPECT_STREQ(categoryFolderName(engine::ItemCategory::kCalendar), "");
}

void touch(const std::string& path) {
  ASSERT_EQ(platform::writeWholeFile(path, "x", 1), 0);
}

TEST(UniquePath, NumbersTakenNamesAndSkipsNamesLeftByEarlierJobs) {
  fixtures::TempFolder tmp;
  const std::string img = joinPath(tmp.path(), "IMG.JPG");
  EXPECT_EQ(MakeUniquePath(img), img);
  touch(img);
  EXPECT_EQ(MakeUniquePath(img), joinPath(tmp.path(), "IMG(1).JPG"));
  touch(joinPath(tmp.path(), "IMG(1).JPG"));
  touch(joinPath(tmp.path(), "IMG(2).JPG"));
  EXPECT_EQ(MakeUniquePath(img), joinPath(tmp.path(), "IMG(3).JPG"));

  // No extension, a dot only in the folder's name, a name that is all extension.
  const std::string folder = joinPath(tmp.path(), "v1.2");
  ASSERT_EQ(platform::createFolders(folder), 0);
  touch(joinPath(folder, "README"));
  EXPECT_EQ(MakeUniquePath(joinPath(folder, "README")), joinPath(folder, "README(1)"));
  touch(joinPath(folder, ".profile"));
  EXPECT_EQ(MakeUniquePath(joinPath(folder, ".profile")), joinPath(folder, "(1).profile"));
  // A folder is taken like a file.
  EXPECT_EQ(MakeUniquePath(folder), joinPath(tmp.path(), "v1(1).2"));
}

TEST(UniquePath, AJobCountsOnWithoutRetestingEveryName) {
  fixtures::TempFolder tmp;
  const std::string img = joinPath(tmp.path(), "IMG.JPG");
  UniquePaths paths;
  for (int i = 0; i < 5; ++i) {
    const std::string p = paths.make(img);
    EXPECT_EQ(p, i == 0 ? img : joinPath(tmp.path(), "IMG(" + std::to_string(i) + ").JPG"));
    touch(p);
  }
  // A name taken behind the job's back is still skipped.
  touch(joinPath(tmp.path(), "IMG(5).JPG"));
  EXPECT_EQ(paths.make(img), joinPath(tmp.path(), "IMG(6).JPG"));
}

}  // namespace
}  // namespace qv::output
