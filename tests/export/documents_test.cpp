// The documents byte for byte on a small fixture: templates, contact, call and note documents,
// a conversation's page, text and CSV files, and how a page reports and stops.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "export/doc_template.h"
#include "export/documents.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::output {
namespace {

using platform::joinPath;

std::string readAll(const std::string& path) {
  std::string text;
  EXPECT_EQ(platform::readWholeFile(path, 1 << 20, &text), 0) << path;
  return text;
}

void writeText(const std::string& path, const std::string& text) {
  ASSERT_EQ(platform::writeWholeFile(path, text.data(), text.size()), 0);
}

TEST(Templates, TitlesFillTheHeadOnlyAndTheSplitDropsThePlaceholder) {
  fixtures::TempFolder tmp;
  const std::string path = tmp.file("t.html");
  writeText(path, "<title>{|title|}</title><h1>{|title|}</h1>\n{|content|}<p>{|title|}</p>");
  DocumentTemplate t;
  ASSERT_EQ(loadDocumentTemplate(path, DocumentKind::kNotes, "Ann's <iPhone> & co", &t), 0);
  const std::string title = "iPhone&#39;s Notes of Ann&#39;s &lt;iPhone&gt; &amp; co";
  EXPECT_EQ(t.head, "<title>" + title + "</title><h1>" + title + "</h1>\n");
  EXPECT_EQ(t.tail, "<p>{|title|}</p>");

  writeText(path, "<p>no place for rows</p>");
  EXPECT_EQ(loadDocumentTemplate(path, DocumentKind::kNotes, "x", &t), kInvalid);
  EXPECT_EQ(loadDocumentTemplate(tmp.file("missing.html"), DocumentKind::kNotes, "x", &t),
            kErrFileNotFound);

  EXPECT_EQ(fillPerson("<p>{|person|}</p>{|person|}", L"<b>Ann</b>", L"+1 555"),
            "<p>Name: &lt;b&gt;Ann&lt;/b&gt;, Phone: +1 555</p>Name: &lt;b&gt;Ann&lt;/b&gt;, "
            "Phone: +1 555");
}

TEST(Documents, ContactCallAndNoteDocumentsByteForByte) {
  fixtures::TempFolder tmp;
  db::ContactRecord c;
  c.name = L"Ann <A&B>";
  c.phone = L"+1 555\n+1 666";
  c.email = L"a@x.org\nb@y.org";
  c.address = L"1 Main St\r\nTown";
  c.url = L"http://x.org/?a=1&b=2";
  c.company = L"ACME, \"Inc\"";
  const std::string contacts = tmp.file("contacts.html");
  ASSERT_EQ(writeDocument(contacts, "<table>\n", contactRow(c), "</table>\n"), 0);
  EXPECT_EQ(readAll(contacts),
            "<table>\n\t<tr><td>Ann &lt;A&amp;B&gt;</td><td>+1 555<br />+1 666</td>"
            "<td>a@x.org\nb@y.org</td><td>1 Main St<br />Town</td>"
            "<td>http://x.org/?a=1&amp;b=2</td><td></td><td>ACME, &quot;Inc&quot;</td></tr>\r\n"
            "</table>\n");

  std::string calls;
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> cases = {
      {1, 3725}, {0, 59}, {1, 60}, {1, 0}, {0, 0}};
  for (const auto& [incoming, seconds] : cases) {
    db::CallRecord call;
    call.incoming = incoming;
    call.duration = seconds;
    call.date = L"2024-01-02 03:04:05";
    call.number = L"+4930";
    call.name = L"Bo";
    calls += callRow(call);
  }
  const std::string row = "\t<tr><td>Bo</td><td>+4930</td><td>2024-01-02 03:04:05</td>";
  EXPECT_EQ(calls, row + "<td>Incoming</td><td>1 Hour 2 Min</td></tr>\r\n" + row +
                       "<td>Outgoing</td><td>59 Sec</td></tr>\r\n" + row +
                       "<td>Incoming</td><td>1 Min 0 Sec</td></tr>\r\n" + row +
                       "<td>Incoming</td><td>Missed</td></tr>\r\n" + row +
                       "<td>Outgoing</td><td>Canceled</td></tr>\r\n");

  db::NoteRecord n;
  n.title = L"List";
  n.date = L"2024-05-06 07:08:09";
  n.content = L"milk\n<eggs>";
  EXPECT_EQ(noteRow(n),
            "\t<tr><td>List</td><td>2024-05-06 07:08:09</td><td>milk<br />&lt;eggs&gt;</td>"
            "</tr>\r\n");
}

// Records every report; answers stopAt's answer from the given report on.
class Recorder : public PageReporter {
 public:
  explicit Recorder(int stopAt = -1, int answer = 2) : stopAt_(stopAt), answer_(answer) {}
  int report(int percent, int code, const std::string& path) override {
    calls.push_back({percent, code});
    lastPath = path;
    return stopAt_ >= 0 && static_cast<int>(calls.size()) > stopAt_ ? answer_ : 0;
  }
  std::vector<std::pair<int, int>> calls;
  std::string lastPath;

 private:
  int stopAt_;
  int answer_;
};

std::vector<db::MessageRecord> conversation() {
  std::vector<db::MessageRecord> m(3);
  m[0].fromMe = 1;
  m[0].deleted = 1;
  m[0].date = L"2024-01-01 10:00:00";
  m[0].address = L"+1555";
  m[0].contactName = L"Ann";
  m[0].text = L"hi, \"you\"\nthere";
  m[1].date = L"2024-01-01 10:01:00";
  m[1].address = L"+1555";
  m[1].contactName = L"Unknown";
  m[1].text = L"<script>alert(1)</script>";
  m[2].deleted = 1;
  m[2].date = L"2024-01-01 10:02:00";
  m[2].address = L"+1555";
  m[2].contactName = L"Ann";
  m[2].text = L"bye";
  return m;
}

TEST(Documents, ConversationPageByteForByteWithOneResult) {
  fixtures::TempFolder tmp;
  const std::string page = joinPath(joinPath(tmp.path(), "Message"), "Ann(+1555).html");
  Recorder rec;
  EXPECT_EQ(writeConversationPage(page, "<head>\n", "<tail>\n", messageViews(conversation()), &rec),
            0);
  EXPECT_EQ(readAll(page),
            "<head>\n"
            "<div class=\"date\">Date: 2024-01-01 10:00:00 Me:</div>\r\n"
            "<div class=\"del_send_msg\">hi, &quot;you&quot;<br />there</div>\r\n"
            "<div class=\"date\">Date: 2024-01-01 10:01:00 +1555:</div>\r\n"
            "<div class=\"recv_msg\">&lt;script&gt;alert(1)&lt;/script&gt;</div>\r\n"
            "<div class=\"date\">Date: 2024-01-01 10:02:00 Ann:</div>\r\n"
            "<div class=\"del_recv_msg\">bye</div>\r\n"
            "<tail>\n");
  EXPECT_EQ(rec.calls, (std::vector<std::pair<int, int>>{{33, 0}, {66, 0}, {100, 0}}));
  EXPECT_EQ(rec.lastPath, page);

  // An empty conversation writes its page and reports it once, like any other.
  Recorder quiet;
  EXPECT_EQ(writeConversationPage(tmp.file("empty.html"), "h", "t", {}, &quiet), 0);
  EXPECT_EQ(quiet.calls, (std::vector<std::pair<int, int>>{{100, 0}}));
  EXPECT_EQ(readAll(tmp.file("empty.html")), "ht");

  // A name taken meanwhile: the next number, the earlier page left as it was.
  Recorder again;
  EXPECT_EQ(writeConversationPage(page, "again", "", {}, &again), 0);
  EXPECT_EQ(again.lastPath, joinPath(joinPath(tmp.path(), "Message"), "Ann(+1555)(1).html"));
  EXPECT_EQ(readAll(again.lastPath), "again");
  EXPECT_EQ(readAll(page).rfind("<head>", 0), 0u);
}

TEST(Documents, APageStopsAfterTheReportThatAsksAndSaysWhy) {
  fixtures::TempFolder tmp;
  Recorder stop(0);
  const std::string page = tmp.file("p.html");
  EXPECT_EQ(writeConversationPage(page, "", "", messageViews(conversation()), &stop), 2);
  EXPECT_EQ(stop.calls, (std::vector<std::pair<int, int>>{{33, 0}, {100, 2}}));
  // A stopped page is not left looking like a recovered one.
  EXPECT_FALSE(platform::pathExists(page));
  std::vector<std::string> left;
  platform::listFolder(tmp.path(), &left);
  EXPECT_TRUE(left.empty());

  // A page that cannot be created is one failed result with the system's code.
  writeText(tmp.file("file"), "x");
  Recorder failed;
  const std::string blocked = joinPath(tmp.file("file"), "p.html");
  const int rc = writeConversationPage(blocked, "", "", messageViews(conversation()), &failed);
  EXPECT_NE(rc, 0);
  EXPECT_EQ(failed.calls, (std::vector<std::pair<int, int>>{{100, rc}}));
}

TEST(Documents, TextAndCsvFilesByteForByte) {
  fixtures::TempFolder tmp;
  const std::string text = joinPath(joinPath(tmp.path(), "chat"), "c.txt");
  std::vector<db::ChatRecord> chat(2);
  chat[0].fromMe = 1;
  chat[0].date = L"2024-02-02 12:00:00";
  chat[0].senderName = L"Me, myself";
  chat[0].senderNumber = L"+49";
  chat[0].text = L"a, b\nc \"d\"";
  chat[1].deleted = 1;
  chat[1].date = L"2024-02-02 12:01:00";
  chat[1].senderName = L"Unknown";
  chat[1].senderNumber = L"+33";
  chat[1].text = L"=1+1";
  ASSERT_EQ(writeConversationText(text, chatViews(chat)), 0);
  EXPECT_EQ(readAll(text),
            "\xEF\xBB\xBF"
            "        To: Me, myself(+49)\r\n"
            "      Data: 2024-02-02 12:00:00\r\n"
            "   Content: a, b\r\nc \"d\"\r\n\r\n"
            "      From: +33\r\n"
            "      Data: 2024-02-02 12:01:00\r\n"
            "   Content: =1+1\r\n\r\n");

  const std::string csv = tmp.file("c.csv");
  ASSERT_EQ(writeChatCsv(csv, chatViews(chat)), 0);
  EXPECT_EQ(readAll(csv),
            "\xEF\xBB\xBF"
            "Chats,Name/Phone,Date,Type,Content\r\n"
            "\"Me, myself\",'+49,2024-02-02 12:00:00,Send,\"a, b\r\nc \"\"d\"\"\"\r\n"
            "Unknown,'+33,2024-02-02 12:01:00,Received,'=1+1\r\n");

  // Files that cannot be created return the system's code.
  writeText(tmp.file("file"), "x");
  EXPECT_NE(writeChatCsv(joinPath(tmp.file("file"), "c.csv"), chatViews(chat)), 0);
  EXPECT_NE(writeConversationText(joinPath(tmp.file("file"), "c.txt"), chatViews(chat)), 0);
}

}  // namespace
}  // namespace qv::output
