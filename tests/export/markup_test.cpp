// Values from the backup inside HTML, CSV and text: escaped, quoted, line ends as each format
// shows them.
#include <gtest/gtest.h>

#include "export/markup.h"

namespace qv::output {
namespace {

TEST(Markup, HtmlEscapesTheFiveSpecialsAndNothingElse) {
  EXPECT_EQ(html(L"<script>alert(\"x\" & 'y')</script>"),
            "&lt;script&gt;alert(&quot;x&quot; &amp; &#39;y&#39;)&lt;/script&gt;");
  EXPECT_EQ(html(L"&amp;"), "&amp;amp;");
  EXPECT_EQ(html(L"Grüße 你好 \U0001F600"), "Grüße 你好 \xF0\x9F\x98\x80");
  EXPECT_EQ(html(L"a\nb"), "a\nb");
}

TEST(Markup, LineEndsBecomeBreakTagsWhereAsked) {
  EXPECT_EQ(html(L"one\ntwo\r\nthree\rfour\n\n", LineBreaks::kBreakTag),
            "one<br />two<br />three<br />four<br /><br />");
  EXPECT_EQ(htmlUtf8("<b>\r\n</b>", LineBreaks::kBreakTag), "&lt;b&gt;<br />&lt;/b&gt;");
}

TEST(Markup, TextLineEndsAreCrLf) {
  EXPECT_EQ(crlfText(L"a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
}

TEST(Markup, CsvFieldsAreQuotedOnlyWhenTheyNeedIt) {
  EXPECT_EQ(csvField(L"plain text"), "plain text");
  EXPECT_EQ(csvField(L""), "");
  EXPECT_EQ(csvField(L"a,b"), "\"a,b\"");
  EXPECT_EQ(csvField(L"say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csvField(L"line1\nline2"), "\"line1\r\nline2\"");
  EXPECT_EQ(csvField(L"cr\ronly"), "\"cr\r\nonly\"");
  EXPECT_EQ(csvField(L"Ünïcödé; semi"), "Ünïcödé; semi");
}

// What a spreadsheet would take for a formula starts with "'" and is shown as text.
TEST(Markup, CsvFieldsThatLookLikeFormulasAreMadeText) {
  const struct {
    const wchar_t* text;
    const char* field;
  } cases[] = {
      {L"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
      {L"+1 555", "'+1 555"},
      {L"-2+3", "'-2+3"},
      {L"@SUM(A1)", "'@SUM(A1)"},
      {L"\tcmd", "'\tcmd"},
      {L"=a,b", "\"'=a,b\""},
      {L"a=b", "a=b"},
      {L" =x", " =x"},
      {L"'quoted", "'quoted"},
  };
  for (const auto& c : cases) EXPECT_EQ(csvField(c.text), c.field);
}

}  // namespace
}  // namespace qv::output
