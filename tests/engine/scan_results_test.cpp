// The scan results in display order: one row per conversation, deleted records first, calls by
// date, app files split into photos and videos, and the sizes the statistics count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scan_results.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

db::MessageRecord message(std::int32_t handle, std::uint32_t deleted, const wchar_t* text) {
  db::MessageRecord m;
  m.handleId = handle;
  m.deleted = deleted;
  m.text = text;
  return m;
}

TEST(ScanResults, MessageRowsOnePerConversationDeletedFirst) {
  ScanResults r;
  r.conversations[1] = {message(1, 0, L"a"), message(1, 0, L"b")};
  r.conversations[2] = {message(2, 0, L"c"), message(2, 1, L"d"), message(2, 0, L"e")};
  r.conversations[3] = {message(3, 1, L"f")};
  buildMessageRows(&r);
  ASSERT_EQ(r.messageRows.size(), 3u);
  // The latest message stands for its conversation; any deleted message marks the row.
  EXPECT_EQ(r.messageRows[0].text, L"e");
  EXPECT_EQ(r.messageRows[0].deleted, 1u);
  EXPECT_EQ(r.messageRows[1].text, L"f");
  EXPECT_EQ(r.messageRows[2].text, L"b");
  EXPECT_EQ(r.messageRows[2].deleted, 0u);
  const CategorySummary s = summarize(r, ItemCategory::kMessages);
  EXPECT_EQ(s.items, 3u);
  EXPECT_EQ(s.deleted, 2u);
  EXPECT_EQ(s.bytes, 3u * 1024u);
}

TEST(ScanResults, CallsNewestFirstThenDeletedFirst) {
  ScanResults r;
  auto call = [](const wchar_t* date, std::uint32_t deleted) {
    db::CallRecord c;
    c.date = date;
    c.deleted = deleted;
    return c;
  };
  r.calls = {call(L"2020-01-01 10:00:00", 0), call(L"2021-05-01 09:00:00", 0),
             call(L"2019-03-03 08:00:00", 1), call(L"2022-01-01 00:00:00", 1)};
  orderCalls(&r);
  std::vector<std::wstring> dates;
  for (const auto& c : r.calls) dates.push_back(c.date);
  EXPECT_EQ(dates, (std::vector<std::wstring>{L"2022-01-01 00:00:00", L"2019-03-03 08:00:00",
                                              L"2021-05-01 09:00:00", L"2020-01-01 10:00:00"}));

  r.contacts.resize(3);
  r.contacts[0].name = L"A";
  r.contacts[1].name = L"B";
  r.contacts[1].deleted = 1;
  r.contacts[2].name = L"C";
  orderContacts(&r);
  EXPECT_EQ(r.contacts[0].name, L"B");
  EXPECT_EQ(r.contacts[1].name, L"A");
  EXPECT_EQ(r.contacts[2].name, L"C");
}

TEST(ScanResults, AppFilesSplitByTheirExtensionAndGroupByApp) {
  for (const wchar_t* name : {L"clip.lrv", L"song.mp3", L"tune.MID"})
    EXPECT_EQ(appCategoryOf(name), ItemCategory::kAppVideos) << platform::toUtf8(name);
  for (const wchar_t* name : {L"photo.JPG", L"still.HEIC", L"nodot", L"notes.txt"})
    EXPECT_EQ(appCategoryOf(name), ItemCategory::kAppPhotos) << platform::toUtf8(name);

  ScanResults r;
  r.appFiles = {{10, L"cam", L"a.JPG", L"/s/1"},
                {5000, L"cam", L"b.MP4", L"/s/2"},
                {2000, L"rec", L"c.WAV", L"/s/3"},
                {3000, L"cam", L"d.PNG", L"/s/4"}};
  splitAppFiles(&r);
  ASSERT_EQ(r.appPhotos.size(), 1u);
  EXPECT_EQ(r.appPhotos[L"cam"].size(), 2u);
  EXPECT_EQ(r.appVideos.size(), 2u);
  const CategorySummary photos = summarize(r, ItemCategory::kAppPhotos);
  EXPECT_EQ(photos.items, 2u);
  // An item of 10 bytes counts as 1024.
  EXPECT_EQ(photos.bytes, 1024u + 3000u);
  EXPECT_EQ(summarize(r, ItemCategory::kAppVideos).bytes, 7000u);
  EXPECT_EQ(summarize(r, ItemCategory::kReminder).items, 0u);
}

}  // namespace
}  // namespace qv::engine
