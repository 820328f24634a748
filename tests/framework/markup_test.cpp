#include <gtest/gtest.h>

#include <string>

#include "framework/markup.h"
#include "platform/result.h"

namespace qv::framework {
namespace {

TEST(MarkupTest, ReadsElementsAttributesAndLines) {
  MarkupElement root;
  std::string doc =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!-- the main window -->\n"
      "<Window size=\"1000,650\" caption='0,0,0,90'>\n"
      "  <Font id=\"0\" name=\"Segoe UI\"/>\n"
      "  <VerticalLayout>text is skipped<![CDATA[ <not an element> ]]>\n"
      "    <Label name=\"LblA\" text=\"a &lt;b&gt; &amp; &quot;c&quot; &#x4E2D;&#25991;\"/>\n"
      "  </VerticalLayout>\n"
      "</Window>\n";
  ASSERT_EQ(parseMarkup(doc, &root), kOk);
  EXPECT_EQ(root.name, "Window");
  EXPECT_EQ(root.line, 3);
  ASSERT_NE(root.attribute("CAPTION"), nullptr);  // names compare without case
  EXPECT_EQ(*root.attribute("caption"), L"0,0,0,90");
  ASSERT_EQ(root.children.size(), 2u);
  const MarkupElement& label = root.children[1].children.at(0);
  EXPECT_EQ(label.line, 6);
  EXPECT_EQ(*label.attribute("text"), L"a <b> & \"c\" \x4E2D\x6587");
}

TEST(MarkupTest, ReadsUtf16WithByteOrderMark) {
  std::u16string text = u"<A t=\"\x4E2D\"/>";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  MarkupElement root;
  ASSERT_EQ(parseMarkup(bytes, &root), kOk);
  EXPECT_EQ(*root.attribute("t"), L"\x4E2D");
}

struct BadDoc {
  const char* what;
  std::string doc;
  int line;
};

class MarkupFaultTest : public testing::TestWithParam<BadDoc> {};

TEST_P(MarkupFaultTest, ReportsTheFirstFaultWithItsLine) {
  MarkupElement root;
  root.name = "stale";
  MarkupError err;
  EXPECT_EQ(parseMarkup(GetParam().doc, &root, &err), kInvalid);
  EXPECT_TRUE(root.name.empty());  // nothing half-built is handed out
  EXPECT_EQ(err.line, GetParam().line) << err.what;
  EXPECT_FALSE(err.what.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MarkupFaultTest,
    testing::Values(BadDoc{"empty", "", 1}, BadDoc{"only a comment", "<!-- x -->", 1},
                    BadDoc{"unclosed", "<A>\n<B/>\n", 3}, BadDoc{"mismatch", "<A>\n</B>", 2},
                    BadDoc{"two roots", "<A/><B/>", 1}, BadDoc{"unquoted", "<A x=1/>", 1},
                    BadDoc{"repeated attribute", "<A x='1'\n x='2'/>", 2},
                    BadDoc{"unknown entity", "<A x='&nbsp;'/>", 1},
                    BadDoc{"bare ampersand", "<A x='a & b'/>", 1},
                    BadDoc{"zero reference", "<A x='&#0;'/>", 1},
                    BadDoc{"huge reference", "<A x='&#x7FFFFFFFFF;'/>", 1},
                    BadDoc{"cut attribute", "<A x='1", 1}, BadDoc{"cut name", "<", 1},
                    BadDoc{"text before root", "hello <A/>", 1},
                    BadDoc{"comment unclosed", "<A><!-- </A>", 1}));

TEST(MarkupTest, DepthIsCappedWithoutRecursingFurther) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  MarkupElement root;
  MarkupError err;
  EXPECT_EQ(parseMarkup(deep, &root, &err), kInvalid);
  EXPECT_NE(err.what.find("deep"), std::string::npos);

  std::string ok;
  for (int i = 0; i < 64; ++i) ok += "<a>";
  for (int i = 0; i < 64; ++i) ok += "</a>";
  EXPECT_EQ(parseMarkup(ok, &root), kOk);
}

TEST(MarkupTest, CountsAndSizeAreCapped) {
  MarkupLimits limits;
  limits.maxElements = 3;
  MarkupElement root;
  EXPECT_EQ(parseMarkup("<a><b/><c/></a>", &root, nullptr, limits), kOk);
  EXPECT_EQ(parseMarkup("<a><b/><c/><d/></a>", &root, nullptr, limits), kInvalid);
  limits = MarkupLimits{};
  limits.maxAttributes = 2;
  EXPECT_EQ(parseMarkup("<a x='1' y='2' z='3'/>", &root, nullptr, limits), kInvalid);
  limits = MarkupLimits{};
  limits.maxBytes = 8;
  EXPECT_EQ(parseMarkup("<a x='1234'/>", &root, nullptr, limits), kInvalid);
}

}  // namespace
}  // namespace qv::framework
