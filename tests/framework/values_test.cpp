#include <gtest/gtest.h>

#include "framework/image_ref.h"
#include "framework/markup_text.h"
#include "framework/values.h"
#include "tests/framework/test_support.h"

namespace qv::framework {
namespace {

TEST(ValuesTest, ParsesWellFormedAndRefusesTheRest) {
  int i = 7;
  EXPECT_TRUE(parseInt(L" -12 ", &i));
  EXPECT_EQ(i, -12);
  for (const wchar_t* bad : {L"", L"-", L"1.5", L"12a", L"99999999999"}) {
    i = 7;
    EXPECT_FALSE(parseInt(bad, &i)) << bad;
    EXPECT_EQ(i, 7);
  }
  Edges e;
  EXPECT_TRUE(parseEdges(L"5,5,20,0", &e));
  EXPECT_EQ(e, (Edges{5, 5, 20, 0}));
  EXPECT_FALSE(parseEdges(L"5,5,20", &e));
  EXPECT_FALSE(parseEdges(L"5,5,20,0,1", &e));
  EXPECT_FALSE(parseEdges(L"5,,20,0", &e));
  Color c = 0;
  EXPECT_TRUE(parseColor(L"#FF495867", &c));
  EXPECT_EQ(c, 0xFF495867u);
  EXPECT_TRUE(parseColor(L"#d7d7d7", &c));
  EXPECT_EQ(c, 0xFFD7D7D7u);  // six digits are opaque
  EXPECT_TRUE(parseColor(L"0x00F37302", &c));
  EXPECT_EQ(c, 0x00F37302u);
  EXPECT_FALSE(parseColor(L"FF495867", &c));
  EXPECT_FALSE(parseColor(L"#FF4958", &c) && c != 0xFFFF4958u);
  EXPECT_FALSE(parseColor(L"#GG495867", &c));
  bool b = false;
  EXPECT_TRUE(parseBool(L"true", &b) && b);
  EXPECT_FALSE(parseBool(L"yes", &b));
}

TEST(ImageRefTest, ParsesTheImageStringOnce) {
  ImageRef r;
  ASSERT_TRUE(parseImageRef(L"file='Controls.png' source='325,75,340,90' dest='0,4,16,20'", &r));
  EXPECT_EQ(r.file, "Controls.png");
  EXPECT_TRUE(r.hasSource);
  EXPECT_EQ(r.source, (Rect{325, 75, 340, 90}));
  EXPECT_TRUE(r.hasDest);
  EXPECT_EQ(r.dest, (Rect{0, 4, 16, 20}));

  ASSERT_TRUE(parseImageRef(L"bk.png", &r));
  EXPECT_EQ(r.file, "bk.png");
  EXPECT_FALSE(r.hasSource);

  ASSERT_TRUE(parseImageRef(L"file=\"a b.png\" corner=\"4,4,4,4\" fade=\"128\"", &r));
  EXPECT_EQ(r.file, "a b.png");
  EXPECT_EQ(r.corner, (Edges{4, 4, 4, 4}));
  EXPECT_EQ(r.fade, 128);

  EXPECT_TRUE(parseImageRef(L"", &r));
  EXPECT_FALSE(r.valid());
  for (const wchar_t* bad : {L"file='a.png' source='1,2'", L"file='a.png", L"source='1,2,3,4'",
                             L"file='a.png' fade='300'"}) {
    EXPECT_FALSE(parseImageRef(bad, &r)) << bad;
    EXPECT_FALSE(r.valid());
  }
}

TEST(ImageRefTest, TwiceSizedSheetNames) {
  EXPECT_EQ(scaledImageName("Controls.png", 1), "Controls.png");
  EXPECT_EQ(scaledImageName("Controls.png", 2), "Controls@2x.png");
  EXPECT_EQ(scaledImageName("anim/scan.v2/loading.gif", 2), "anim/scan.v2/loading@2x.gif");
  EXPECT_EQ(scaledImageName("skin.v2/noext", 2), "skin.v2/noext@2x");
  EXPECT_EQ(imagePart(32, 16, 2, 1), (Rect{16, 0, 32, 16}));
  EXPECT_TRUE(imagePart(32, 16, 2, 2).empty());
  EXPECT_TRUE(imagePart(32, 16, 0, 0).empty());
}

TEST(MarkupTextTest, RowMarkupOfTheItemList) {
  MarkupText t = parseMarkupText(L"<x 6><x 18><a><i expand_flag.png 2 1></a>Camera Roll");
  ASSERT_EQ(t.runs.size(), 4u);
  EXPECT_EQ(t.runs[0].kind, RunKind::kSpace);
  EXPECT_EQ(t.runs[0].space, 6);
  EXPECT_EQ(t.runs[1].space, 18);
  EXPECT_EQ(t.runs[2].kind, RunKind::kImage);
  EXPECT_EQ(t.runs[2].imageFile, "expand_flag.png");
  EXPECT_EQ(t.runs[2].imageParts, 2);
  EXPECT_EQ(t.runs[2].imagePart, 1);
  EXPECT_EQ(t.runs[2].link, 0);
  EXPECT_EQ(t.runs[3].text, L"Camera Roll");
  EXPECT_EQ(t.runs[3].link, -1);
  EXPECT_EQ(t.linkCount, 1);
  EXPECT_EQ(t.plainText(), L"Camera Roll");
}

TEST(MarkupTextTest, BraceFormTagsAndLiteralAngles) {
  struct Case {
    const wchar_t* in;
    const wchar_t* plain;
    std::size_t runs;
  };
  for (const Case& c :
       {Case{L"{b}bold{/b} plain", L"bold plain", 2}, Case{L"a < b > c", L"a < b > c", 1},
        Case{L"{c #FFF37302}orange{/c}<n>next", L"orange\nnext", 3},
        Case{L"<x -5>neg", L"<x -5>neg", 1},
        Case{L"<i a.png 2 5>bad part", L"<i a.png 2 5>bad part", 1},
        Case{L"unclosed <b", L"unclosed <b", 1}}) {
    MarkupText t = parseMarkupText(c.in);
    EXPECT_EQ(t.plainText(), c.plain) << c.in;
    EXPECT_EQ(t.runs.size(), c.runs) << c.in;
  }
  MarkupText t = parseMarkupText(L"{c #FFF37302}o{/c}");
  EXPECT_EQ(t.runs[0].color, 0xFFF37302u);
}

TEST(MarkupTextTest, PlacementMeasuresDrawsAndHitsAlike) {
  test::FixedMeasurer m(144);  // 11 px per character at 150%
  m.images["expand_flag.png"] = Size{32, 16};
  MarkupText t = parseMarkupText(L"<x 6><a><i expand_flag.png 2 0></a>Notes");
  TextStyle st;
  st.valign = VAlign::kTop;
  std::vector<PlacedRun> placed = placeMarkupText(t, Rect{100, 10, 400, 40}, st, 144, m);
  ASSERT_EQ(placed.size(), 3u);
  EXPECT_EQ(placed[0].rect.width(), 9);  // 6 design units at 150%
  EXPECT_EQ(placed[1].rect.left, 109);
  EXPECT_EQ(placed[1].rect.width(), 24);  // a 16-pixel part at 150%
  EXPECT_EQ(placed[1].imagePart, (Rect{0, 0, 16, 16}));
  EXPECT_EQ(placed[2].rect.left, 133);
  EXPECT_EQ(placed[2].rect.width(), 5 * 11);
  EXPECT_EQ(linkAt(placed, Point{placed[1].rect.left + 2, placed[1].rect.top + 2}), 0);
  EXPECT_EQ(linkAt(placed, Point{placed[2].rect.left + 2, placed[2].rect.top + 2}), -1);
}

}  // namespace
}  // namespace qv::framework
