// The print page's blocks for each category byte for byte, checked rows, deleted-only mode,
// the cancel test and the template.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "engine/items.h"
#include "export/print_page.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::output {
namespace {

using engine::categoryNumber;
using engine::ItemCategory;
constexpr int kCameraRoll = categoryNumber(ItemCategory::kCameraRoll);
constexpr int kMessages = categoryNumber(ItemCategory::kMessages);
constexpr int kContacts = categoryNumber(ItemCategory::kContacts);
constexpr int kCallHistory = categoryNumber(ItemCategory::kCallHistory);
constexpr int kNotes = categoryNumber(ItemCategory::kNotes);
constexpr int kWhatsApp = categoryNumber(ItemCategory::kWhatsApp);

struct Fixture {
  std::vector<db::MessageRecord> messageRows;
  db::ConversationMap conversations;
  std::vector<db::ContactRecord> contacts;
  std::vector<db::CallRecord> calls;
  std::vector<db::NoteRecord> notes;
  std::vector<db::ChatRecord> chatRows;
  db::WhatsAppChatMap chats;
  CStatisticsObj stats;

  Fixture() {
    db::MessageRecord m;
    m.handleId = 7;
    m.address = L"+1555";
    m.contactName = L"Unknown";
    m.date = L"2024-01-01 10:00:00";
    m.text = L"<b>hi</b>\nthere";
    conversations[7].push_back(m);
    m.fromMe = 1;
    m.contactName = L"Ann & Co";
    m.text = L"ok";
    conversations[7].push_back(m);
    messageRows.push_back(m);

    db::ContactRecord c;
    c.name = L"Ann";
    c.phone = L"+1555";
    c.company = L"<ACME>";
    c.email = L"a@x.org";
    c.url = L"u";
    contacts.push_back(c);

    for (int i = 0; i < 3; ++i) {
      db::CallRecord call;
      call.deleted = i == 1 ? 1 : 0;
      call.incoming = i == 0 ? 1 : 0;
      call.duration = i == 2 ? 75 : 0;
      call.name = L"N" + std::to_wstring(i);
      call.number = L"+" + std::to_wstring(i);
      call.date = L"2024-01-0" + std::to_wstring(i + 1) + L" 00:00:00";
      calls.push_back(call);
    }

    db::NoteRecord n;
    n.title = L"T";
    n.date = L"2024-03-03 03:03:03";
    n.content = L"a\nb";
    notes.push_back(n);

    db::ChatRecord row;
    row.conversationId = 3;
    row.partnerName = L"Team";
    row.senderName = L"Bo";
    row.senderNumber = L"+49";
    chatRows.push_back(row);
    db::ChatRecord msg = row;
    msg.text = L"x<y";
    msg.date = L"2024-04-04 04:04:04";
    chats[3].push_back(msg);
    msg.fromMe = 1;
    msg.text = L"z";
    chats[3].push_back(msg);

    register_(kMessages, messageRows);
    register_(kContacts, contacts);
    register_(kCallHistory, calls);
    register_(kNotes, notes);
    register_(kWhatsApp, chatRows);
  }

  template <typename Rows>
  void register_(int category, const Rows& rows) {
    const StatKey group = stats.addCategory(category);
    for (std::size_t i = 0; i < rows.size(); ++i) stats.addItem(group, i, 0, rows[i].deleted != 0);
  }

  PrintSources sources() const {
    return {&messageRows, &conversations, &contacts, &calls, &notes, &chatRows, &chats};
  }

  std::string build(int category, bool deletedOnly = false, int* rc = nullptr,
                    const std::atomic<int>* cancel = nullptr) {
    PrintRequest request;
    request.category = category;
    request.deletedOnly = deletedOnly;
    request.cancel = cancel;
    std::string body;
    const int result = buildPrintBody(request, sources(), stats, &body);
    if (rc != nullptr) *rc = result;
    return body;
  }
};

TEST(PrintPage, BlocksOfEveryCategoryByteForByte) {
  Fixture f;
  EXPECT_EQ(f.build(kMessages),
            "<div>\r\n<p><span>From:</span>+1555</p>\r\n"
            "<p><span>Date:</span>2024-01-01 10:00:00</p>\r\n"
            "<p><span>Content:</span>&lt;b&gt;hi&lt;/b&gt;<br />there</p>\r\n</div>\r\n"
            "<div>\r\n<p><span>To:</span>Ann &amp; Co(+1555)</p>\r\n"
            "<p><span>Date:</span>2024-01-01 10:00:00</p>\r\n"
            "<p><span>Content:</span>ok</p>\r\n</div>\r\n");
  EXPECT_EQ(f.build(kContacts),
            "<div>\r\n<p><span>Name:</span>Ann</p>\r\n<p><span>Phone Number:</span>+1555</p>\r\n"
            "<p><span>Company:</span>&lt;ACME&gt;</p>\r\n<p><span>Email:</span>a@x.org</p>\r\n"
            "<p><span>URL:</span>u</p>\r\n</div>\r\n");
  const std::string calls = f.build(kCallHistory);
  EXPECT_EQ(calls.substr(0, calls.find("</div>") + 8),
            "<div>\r\n<p><span>Name:</span>N0</p>\r\n<p><span>Phone Number:</span>+0</p>\r\n"
            "<p><span>Date:</span>2024-01-01 00:00:00</p>\r\n<p><span>Type:</span>Incoming</p>\r\n"
            "<p><span>Duration:</span>Missed</p>\r\n</div>\r\n");
  EXPECT_NE(calls.find("<p><span>Duration:</span>Canceled</p>"), std::string::npos);
  EXPECT_NE(calls.find("<p><span>Duration:</span>1 Min 15 Sec</p>"), std::string::npos);
  EXPECT_EQ(f.build(kNotes),
            "<div>\r\n<p><span>Title:</span>T</p>\r\n<p><span>Date:</span>2024-03-03 03:03:03</p>"
            "\r\n<p><span>Notes:</span>a<br />b</p>\r\n</div>\r\n");
  // Empty member names: the list row's sender name and number stand in.
  EXPECT_EQ(f.build(kWhatsApp),
            "<div>\r\n<p><span>Chats:</span>Team</p>\r\n<p><span>Name:</span>Bo</p>\r\n"
            "<p><span>Phone Number:</span>+49</p>\r\n<p><span>Content:</span></p>\r\n"
            "<p>Bo (2024-04-04 04:04:04): x&lt;y</p><p>Me (2024-04-04 04:04:04): z</p>"
            "</div>\r\n");
  EXPECT_EQ(f.build(kCameraRoll), "");
}

TEST(PrintPage, OnlyCheckedRowsAndInDeletedOnlyModeOnlyDeletedOnes) {
  Fixture f;
  f.stats.setChecked(f.stats.itemOf(kCallHistory, 0), false);
  std::string calls = f.build(kCallHistory);
  EXPECT_EQ(calls.find("N0"), std::string::npos);
  EXPECT_NE(calls.find("N1"), std::string::npos);
  EXPECT_NE(calls.find("N2"), std::string::npos);
  calls = f.build(kCallHistory, true);
  EXPECT_EQ(calls.find("N2"), std::string::npos);
  EXPECT_NE(calls.find("N1"), std::string::npos);
  // Unchecking the deleted call leaves nothing to print in that mode.
  f.stats.setChecked(f.stats.itemOf(kCallHistory, 1), false);
  EXPECT_EQ(f.build(kCallHistory, true), "");
}

TEST(PrintPage, CancelStopsBeforeTheNextRecordOrMessage) {
  Fixture f;
  std::atomic<int> cancel{1};
  int rc = 0;
  EXPECT_EQ(f.build(kNotes, false, &rc, &cancel), "");
  EXPECT_EQ(rc, kCancelled);
  f.build(kMessages, false, &rc, &cancel);
  EXPECT_EQ(rc, kCancelled);
  cancel = 0;
  f.build(kMessages, false, &rc, &cancel);
  EXPECT_EQ(rc, 0);
}

TEST(PrintPage, TemplateHeadAndTailAroundTheBlocks) {
  fixtures::TempFolder tmp;
  const std::string tpl = tmp.file("Print.html");
  const std::string text = "<html><body>{|content|}</body></html>";
  ASSERT_EQ(platform::writeWholeFile(tpl, text.data(), text.size()), 0);
  std::string head, tail;
  ASSERT_EQ(loadPrintTemplate(tpl, &head, &tail), 0);
  const std::string page = platform::joinPath(platform::joinPath(tmp.path(), "Print"), "page");
  ASSERT_EQ(writePrintPage(page, head, "<div>x</div>", tail), 0);
  std::string written;
  ASSERT_EQ(platform::readWholeFile(page, 1 << 20, &written), 0);
  EXPECT_EQ(written, "<html><body><div>x</div></body></html>");
  // A missing template leaves the blocks alone.
  EXPECT_NE(loadPrintTemplate(tmp.file("none.html"), &head, &tail), 0);
  EXPECT_TRUE(head.empty() && tail.empty());
}

}  // namespace
}  // namespace qv::output
