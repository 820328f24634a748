#include <gtest/gtest.h>

#include <memory>

#include "framework/builder.h"
#include "framework/container.h"
#include "framework/controls.h"
#include "framework/dpi.h"
#include "framework/frame_hit.h"
#include "framework/menu.h"
#include "framework/window.h"
#include "framework/zip_archive.h"
#include "platform/result.h"
#include "tests/framework/test_support.h"

namespace qv::framework {
namespace {

TEST(FrameHitTest, BordersCornersAndTheCaptionBand) {
  FrameMetrics m;
  m.client = Size{1000, 650};
  m.sizeBox = Edges{4, 4, 4, 4};
  m.caption = Rect{0, 0, 120, 90};  // the right 120 pixels of the band are not caption
  Button button;
  Label label;
  Option option;
  const std::vector<std::string> classes{"ButtonUI", "OptionUI", "TextUI", "EditUI", "CheckBoxUI"};
  struct Case {
    Point p;
    const Control* under;
    FrameHit expected;
  };
  const Case cases[] = {
      {{0, 0}, nullptr, FrameHit::kTopLeft},      {{999, 0}, nullptr, FrameHit::kTopRight},
      {{0, 649}, nullptr, FrameHit::kBottomLeft}, {{999, 649}, nullptr, FrameHit::kBottomRight},
      {{500, 2}, nullptr, FrameHit::kTop},        {{500, 647}, nullptr, FrameHit::kBottom},
      {{2, 300}, nullptr, FrameHit::kLeft},       {{997, 300}, nullptr, FrameHit::kRight},
      {{500, 50}, nullptr, FrameHit::kCaption},   {{500, 50}, &label, FrameHit::kCaption},
      {{500, 50}, &button, FrameHit::kClient},    {{500, 50}, &option, FrameHit::kClient},
      {{879, 50}, nullptr, FrameHit::kCaption},   {{880, 50}, nullptr, FrameHit::kClient},
      {{500, 90}, nullptr, FrameHit::kClient},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hitTestFrame(c.p, m, c.under, classes), c.expected) << c.p.x << "," << c.p.y;
  }
  // Maximised, the borders size nothing; the caption still drags.
  m.maximized = true;
  EXPECT_EQ(hitTestFrame(Point{0, 0}, m, nullptr, classes), FrameHit::kCaption);
  EXPECT_EQ(hitTestFrame(Point{2, 300}, m, nullptr, classes), FrameHit::kClient);
  // Class names compare without case; the pop-ups' list differs from the main window's.
  EXPECT_EQ(hitTestFrame(Point{500, 50}, m, &button, {"buttonui"}), FrameHit::kClient);
  EXPECT_EQ(hitTestFrame(Point{500, 50}, m, &option, {"FadeButtonUI"}), FrameHit::kCaption);
}

TEST(DpiTest, FiguresRoundAndSheetsSwitchAtOneAndAHalf) {
  struct Case {
    int dpi, in, out, sheet;
  };
  for (const Case& c :
       {Case{96, 7, 7, 1}, Case{120, 7, 9, 1}, Case{120, 6, 8, 1}, Case{143, 10, 15, 1},
        Case{144, 7, 11, 2}, Case{144, -7, -11, 2}, Case{192, 7, 14, 2}, Case{288, 7, 21, 2}}) {
    DpiScale s{c.dpi};
    EXPECT_EQ(s.px(c.in), c.out) << c.dpi << " " << c.in;
    EXPECT_EQ(s.imageScale(), c.sheet) << c.dpi;
  }
}

TEST(NotifyMapTest, TypeAndNameBeatTypeAlone) {
  NotifyMap map;
  std::vector<std::string> calls;
  map.on(EventType::kClick, L"okbtn", [&](const Notification&) { calls.push_back("ok"); });
  map.on(EventType::kClick, [&](const Notification&) { calls.push_back("any"); });
  Button ok, other;
  ok.setName(L"okbtn");
  other.setName(L"other");
  Notification n;
  n.sender = &ok;
  EXPECT_TRUE(map.onNotify(n));
  n.sender = &other;
  EXPECT_TRUE(map.onNotify(n));
  n.type = EventType::kSelectChanged;
  EXPECT_FALSE(map.onNotify(n));
  EXPECT_EQ(calls, (std::vector<std::string>{"ok", "any"}));
}

TEST(ControlValuesTest, SettersKeepTheirValuesInBounds) {
  Progress p;
  p.setAttribute("min", L"10");
  p.setAttribute("max", L"20");
  for (auto [in, out] : {std::pair{5, 10}, std::pair{15, 15}, std::pair{99, 20}}) {
    p.setValue(in);
    EXPECT_EQ(p.value(), out);
  }
  Edit e;
  e.setAttribute("maxchar", L"4");
  e.setText(L"tarnwick");
  EXPECT_EQ(e.text(), L"tarn");
  EXPECT_EQ(e.setAttribute("maxchar", L"0"), AttributeResult::kMalformed);
  Label l;
  EXPECT_EQ(l.setAttribute("align", L"middle"), AttributeResult::kMalformed);
  EXPECT_EQ(l.setAttribute("width", L"-3"), AttributeResult::kMalformed);
  EXPECT_EQ(l.setAttribute("nonsense", L"1"), AttributeResult::kUnknown);
  CheckBox c;
  EXPECT_EQ(c.setAttribute("group", L"g"),
            AttributeResult::kMalformed);  // a check box stands alone
}

// One window holding a markup label with a link and a scrolling box of rows.
class InputTest : public testing::Test {
 protected:
  void SetUp() override {
    auto root = std::make_unique<VerticalLayout>();
    auto text = std::make_unique<Text>();
    text->setName(L"Markup");
    text->setAttribute("height", L"30");
    text->setAttribute("valign", L"top");
    text->setText(L"{x 10}{a}open{/a} plain");
    markup = static_cast<Text*>(root->add(std::move(text)));
    auto box = std::make_unique<VerticalLayout>();
    box->setName(L"Rows");
    box->setAttribute("vscrollbar", L"true");
    for (int i = 0; i < 20; ++i) {
      auto row = std::make_unique<Label>();
      row->setAttribute("height", L"20");
      row->setText(L"row " + std::to_wstring(i));
      box->add(std::move(row));
    }
    rows = static_cast<VerticalLayout*>(root->add(std::move(box)));
    window.setHost(&host);
    window.setRoot(std::move(root));
    window.router().setWindowTarget(&target);
    window.setClientSize(Size{300, 130});  // the box gets 100 of 400 pixels of rows
    test::RecordingPainter p;
    window.paint(p, Rect{0, 0, 300, 130});
  }
  void click(Point p) {
    window.mouseMove(p);
    window.mouseDown(MouseEvent{p});
    window.mouseUp(MouseEvent{p});
  }
  test::RecordingHost host;
  test::RecordingTarget target{true};
  Window window;
  Text* markup = nullptr;
  VerticalLayout* rows = nullptr;
};

TEST_F(InputTest, LinksOfMarkupTextReportTheirNumber) {
  // "open" starts after 10 units of space: 4 characters of 7 pixels.
  click(Point{12, 8});
  click(Point{10 + 4 * 7 + 14, 8});  // " plain": no link
  EXPECT_EQ(target.seen, std::vector<std::string>{"link:Markup"});
}

TEST_F(InputTest, TheWheelAndTheThumbScrollTheBox) {
  EXPECT_EQ(rows->scrollRange(), 300);
  window.wheel(Point{100, 80}, -120);
  test::RecordingPainter p;
  window.paint(p, Rect{0, 0, 300, 130});
  EXPECT_EQ(rows->scrollPos(), 48);
  // Painted rows start where the scroll put them; rows above the view are not painted.
  EXPECT_EQ(p.findText(L"row 0"), nullptr);
  ASSERT_NE(p.findText(L"row 3"), nullptr);
  EXPECT_EQ(p.findText(L"row 3")->rect.top, 30 + 3 * 20 - 48);
  // Dragging the thumb by a quarter of the track moves the content by a quarter of its height.
  Rect bar = rows->scrollBarRect();
  ASSERT_FALSE(bar.empty());
  int y = bar.top + 10;
  window.mouseDown(MouseEvent{Point{bar.left + 2, y}});
  window.mouseMove(Point{bar.left + 2, y + 25});
  window.mouseUp(MouseEvent{Point{bar.left + 2, y + 25}});
  EXPECT_EQ(rows->scrollPos(), 48 + 100);
  window.wheel(Point{100, 80}, 120 * 50);
  EXPECT_EQ(rows->scrollPos(), 0);
}

TEST(ThemeTest, SharedResourcesComeFromOneFileAndNestNoFurther) {
  ZipArchive zip;
  ASSERT_EQ(
      zip.open(test::makeZip(
          {{"xml/Theme.xml",
            "<Theme><Font id='3' name='Segoe UI' size='14' bold='true'/>"
            "<Style name='Primary' value=\"bkcolor='#FF1A73B8'\"/>"
            "<Theme source='xml/Other.xml'/></Theme>"},
           {"xml/w.xml",
            "<Window><Theme source='xml/Theme.xml'/><Button name='b' style='Primary' font='3'/>"
            "</Window>"}})),
      kOk);
  LayoutBuilder b(zip);
  Window w;
  ASSERT_EQ(b.buildWindow("xml/w.xml", w), kOk);
  EXPECT_EQ(w.find(L"b")->bkColor(), 0xFF1A73B8u);
  EXPECT_TRUE(w.font(3).bold);
  ASSERT_EQ(b.diagnostics().size(), 1u);
  EXPECT_EQ(b.diagnostics()[0].file, "xml/Theme.xml");
  EXPECT_NE(b.diagnostics()[0].what.find("<Theme>"), std::string::npos);
}

TEST(MenuElementTest, SubItemsMoveOutAndBackWhole) {
  MenuElement row;
  for (const wchar_t* n : {L"English", L"SimplifiedChinese"}) {
    auto item = std::make_unique<MenuElement>();
    item->setName(n);
    row.addSubItem(std::move(item));
  }
  EXPECT_TRUE(row.hasSubMenu());
  auto items = row.takeSubItems();
  EXPECT_FALSE(row.hasSubMenu());
  ASSERT_EQ(items.size(), 2u);
  // In a pop-up's menu box and out again, as a menu session moves them.
  Window popup;
  auto menu = std::make_unique<Menu>();
  for (auto& i : items) menu->add(std::move(i));
  Menu* box = static_cast<Menu*>(menu.get());
  popup.setRoot(std::move(menu));
  EXPECT_NE(popup.find(L"SimplifiedChinese"), nullptr);
  std::vector<std::unique_ptr<MenuElement>> back;
  while (box->childCount() > 0) {
    back.emplace_back(static_cast<MenuElement*>(box->take(box->childAt(0)).release()));
  }
  row.returnSubItems(std::move(back));
  EXPECT_EQ(row.subItemCount(), 2u);
  EXPECT_EQ(row.subItem(1)->name(), L"SimplifiedChinese");
  EXPECT_EQ(row.subItem(1)->window(), nullptr);  // no longer in the pop-up's window
  EXPECT_EQ(popup.find(L"English"), nullptr);
}

}  // namespace
}  // namespace qv::framework
