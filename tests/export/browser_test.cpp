// A conversation page and a print page opened in a real browser (headless Chromium, where it
// is installed): a message holding markup and script shows it as text and runs nothing, and
// the print page's Init shows its buttons.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/items.h"
#include "export/doc_template.h"
#include "export/documents.h"
#include "export/print_page.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::output {
namespace {

using platform::joinPath;

// Debian's headless Chromium. A Windows build has none it could drive (under wine these paths
// may still reach the Linux one), and the tests that need it are skipped there.
std::string findChromium() {
  if (platform::kSep == '\\') return {};
  for (const char* p : {"/usr/bin/chromium", "/usr/bin/chromium-browser", "/usr/bin/google-chrome"})
    if (platform::isFile(p)) return p;
  return {};
}

// The DOM of a page after its scripts ran, or empty when the browser gave nothing.
std::string dumpDom(const std::string& browser, const std::string& page,
                    const std::string& profile) {
  platform::Process p;
  const std::vector<std::string> args = {"--headless",
                                         "--no-sandbox",
                                         "--disable-gpu",
                                         "--disable-background-networking",
                                         "--disable-component-update",
                                         "--disable-sync",
                                         "--no-first-run",
                                         "--user-data-dir=" + profile,
                                         "--virtual-time-budget=2000",
                                         "--dump-dom",
                                         "file://" + page};
  if (p.start(browser, args) != 0) return {};
  std::string out;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  for (;;) {
    std::size_t available = 0;
    const int rc = p.peek(&available);
    if (rc != 0) break;
    if (available > 0) {
      std::string chunk(available, '\0');
      std::size_t got = 0;
      if (p.read(chunk.data(), chunk.size(), &got) != 0) break;
      out.append(chunk, 0, got);
      continue;
    }
    bool ended = false;
    p.waitFor(20, &ended);
    if (std::chrono::steady_clock::now() > deadline) break;
  }
  return out;
}

// The hostile text: a script that would mark the document, and an image whose error handler
// would rename it.
const wchar_t* kHostile =
    L"<script>document.documentElement.setAttribute('data-ran','yes')</script>"
    L"<img src=x onerror=\"document.title='pwned'\">\nsecond line";

TEST(Browser, MarkupInMessagesIsShownAsTextAndRunsNothing) {
  const std::string browser = findChromium();
  if (browser.empty()) GTEST_SKIP() << "no headless Chromium on this machine";
  fixtures::TempFolder tmp;
  const std::string templates = templateFolder(QV_SOURCE_DIR);

  DocumentTemplate sms;
  ASSERT_EQ(loadDocumentTemplate(joinPath(templates, "Sms.html"), DocumentKind::kMessages,
                                 "<i>Phone</i>", &sms),
            0);
  std::vector<db::MessageRecord> messages(2);
  messages[0].contactName = L"<b>Eve</b>";
  messages[0].address = L"+1555";
  messages[0].text = kHostile;
  messages[1] = messages[0];
  messages[1].fromMe = 1;
  messages[1].deleted = 1;
  const std::string page = tmp.file("conversation.html");
  ASSERT_EQ(writeConversationPage(page, fillPerson(sms.head, L"<b>Eve</b>", L"+1555"), sms.tail,
                                  messageViews(messages), nullptr),
            0);

  const std::string dom = dumpDom(browser, page, joinPath(tmp.path(), "profile1"));
  ASSERT_NE(dom.find("</html>"), std::string::npos) << dom;
  EXPECT_EQ(dom.find("data-ran=\"yes\""), std::string::npos);
  EXPECT_EQ(dom.find("pwned</title>"), std::string::npos);
  EXPECT_EQ(dom.find("<img"), std::string::npos);
  EXPECT_EQ(dom.find("<b>"), std::string::npos);
  EXPECT_EQ(dom.find("<i>"), std::string::npos);
  EXPECT_NE(dom.find("&lt;script&gt;document.documentElement.setAttribute"), std::string::npos);
  EXPECT_NE(dom.find("<div class=\"del_send_msg\">"), std::string::npos);
  EXPECT_NE(dom.find("Name: &lt;b&gt;Eve&lt;/b&gt;, Phone: +1555"), std::string::npos);
  EXPECT_NE(dom.find("iPhone's Messages of &lt;i&gt;Phone&lt;/i&gt;"), std::string::npos);
  // The line break inside the message is a break in the page.
  EXPECT_NE(dom.find("<br>second line"), std::string::npos);

  // The print page: the same text, and the program's call of Init (added here as a script at
  // the end of the body) shows the print buttons and the heading.
  std::string head, tail;
  ASSERT_EQ(loadPrintTemplate(joinPath(templates, "Print.html"), &head, &tail), 0);
  db::ConversationMap conversations;
  conversations[0] = messages;
  std::vector<db::MessageRecord> rows = {messages[0]};
  CStatisticsObj stats;
  stats.addItem(stats.addCategory(5), 0, 0, false);
  PrintRequest request;
  request.category = engine::categoryNumber(engine::ItemCategory::kMessages);
  PrintSources sources;
  sources.messageRows = &rows;
  sources.conversations = &conversations;
  std::string body;
  ASSERT_EQ(buildPrintBody(request, sources, stats, &body), 0);
  const std::string init =
      "<script>document.documentElement.setAttribute('data-init', String(Init('Calls <x>')))"
      "</script>";
  const std::string printPage = tmp.file("print.html");
  ASSERT_EQ(writePrintPage(printPage, head, body + init, tail), 0);
  const std::string printDom = dumpDom(browser, printPage, joinPath(tmp.path(), "profile2"));
  ASSERT_NE(printDom.find("</html>"), std::string::npos) << printDom;
  EXPECT_EQ(printDom.find("data-ran=\"yes\""), std::string::npos);
  EXPECT_EQ(printDom.find("<img"), std::string::npos);
  EXPECT_NE(printDom.find("&lt;script&gt;document.documentElement"), std::string::npos);
  EXPECT_NE(printDom.find("data-init=\"true\""), std::string::npos);
  EXPECT_NE(printDom.find("<div id=\"toolbar\" style=\"display: block;\">"), std::string::npos);
  EXPECT_NE(printDom.find("<title>Calls &lt;x&gt;</title>"), std::string::npos);
}

}  // namespace
}  // namespace qv::output
