// The control gallery: every control kind in its states, drawn from the real skin in a real
// window, driven by control name, in both shipped languages, at the DPI the process runs at.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "framework/controls.h"
#include "framework/gdiplus_painter_win.h"
#include "framework/language.h"
#include "framework/list.h"
#include "framework/native_children_win.h"
#include "framework/tree_view.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"
#include "tests/gui/gui_driver.h"
#include "tests/gui/gui_environment.h"
#include "ui/custom_controls.h"

namespace qv::gui_test {
namespace {

using namespace qv::framework;

class TwentyThousandFiles : public ListModel {
 public:
  std::int64_t rowCount() const override { return 20000; }
  void cell(std::int64_t row, int column, ListCell* out) const override {
    if (column == 0) {
      wchar_t name[32];
      std::swprintf(name, 32, L"IMG_%05lld.JPG", static_cast<long long>(row));
      out->text = name;
      parseImageRef(row % 7 == 3 ? L"file='Controls.png' source='56,465,74,483' dest='0,0,18,18'"
                                 : L"file='Controls.png' source='29,465,47,483' dest='0,0,18,18'",
                    &out->icon);
    } else {
      out->text = std::to_wstring(100 + row % 900) + L".00 KB";
    }
  }
  Color rowTextColor(std::int64_t row) const override { return row % 5 == 2 ? 0xFFF37302u : 0; }
  bool checkable() const override { return true; }
  CheckState rowCheck(std::int64_t row) const override {
    return (row % 3 == 0) != flipped_.count(row) ? CheckState::kChecked : CheckState::kUnchecked;
  }
  void toggleRowCheck(std::int64_t row) override {
    if (!flipped_.erase(row)) flipped_.insert(row);
  }

 private:
  std::set<std::int64_t> flipped_;
};

class Gallery {
 public:
  explicit Gallery(const std::string& language) {
    EXPECT_EQ(host.loadLayout("xml/gallery.xml", &ui::createCustomControl), kOk);
    for (const LayoutDiagnostic& d : host.layoutDiagnostics()) {
      ADD_FAILURE() << d.file << ":" << d.line << ": " << d.what;
    }
    EXPECT_TRUE(host.create(nullptr, L"Gallery", WS_POPUP | WS_THICKFRAME | WS_CLIPCHILDREN, 0));
    Section texts = languageSection(language, L"Gallery");
    EXPECT_FALSE(texts.empty());
    applyLanguage(*host.window().root(), texts);
    fill(language);
    SetWindowPos(host.hwnd(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(host.hwnd(), SW_SHOW);
    pump(150);
  }

  void fill(const std::string& language) {
    bool zh = language != "English";
    host.find(L"BtnPrimaryHot")->showState(true, false);
    host.find(L"BtnPrimaryPushed")->showState(true, true);
    host.find(L"BtnSecondaryHot")->showState(true, false);
    host.find(L"BtnSecondaryPushed")->showState(true, true);
    static_cast<CheckBox*>(host.find(L"ChkHalf"))->setHalfChecked(true);

    auto* tree = static_cast<TreeView*>(host.find(L"TreeGallery"));
    ImageRef icon;
    auto add = [&](TreeView::NodeId parent, const wchar_t* text, const wchar_t* source) {
      parseImageRef(std::wstring(L"file='Controls.png' source='") + source + L"' dest='0,0,18,18'",
                    &icon);
      return tree->addNode(parent, text, true, icon);
    };
    auto photos =
        tree->addNode(TriStateTree::kRoot, zh ? L"照片和视频" : L"Photos & Videos", false);
    auto camera = add(photos, zh ? L"相机胶卷 (3)" : L"Camera Roll (3)", L"1,410,19,428");
    add(camera, L"2023", L"29,465,47,483");
    add(camera, L"2024", L"29,465,47,483");
    add(photos, zh ? L"照片流 (0)" : L"Photo Stream (0)", L"19,410,37,428");
    auto msgs =
        tree->addNode(TriStateTree::kRoot, zh ? L"信息和通话记录" : L"Messages & Call logs", false);
    auto sms = add(msgs, zh ? L"信息 (12)" : L"Messages (12)", L"73,410,91,428");
    add(msgs, zh ? L"通讯录 (40)" : L"Contacts (40)", L"109,410,127,428");
    auto notes = add(msgs, zh ? L"备忘录 (0)" : L"Notes (0)", L"145,410,163,428");
    tree->setNodeEnabled(notes, false);
    tree->setNodeChecked(camera, true);
    tree->setNodeChecked(tree->nodes().children(camera)[1], false);  // half-checked parent
    tree->setNodeChecked(sms, true);
    tree->selectNode(sms, false);

    auto* list = static_cast<List*>(host.find(L"ListGallery"));
    list->setModel(&model);
    list->selectItem(1, false);

    static_cast<ui::CButtonGifUI*>(host.find(L"GifGallery"))->start();
    host.find(L"BtnExGallery")->showState(true, false);
    auto* pages = static_cast<ui::CPaginationUI*>(host.find(L"PageGallery"));
    pages->setPageCount(20);
    pages->setCurrentPage(10, false);
    auto* disks = static_cast<ui::CDiskListUI*>(host.find(L"DiskGallery"));
    int c = disks->addNode(ui::ListTreeRows::kRoot,
                           zh ? L"C: \x672C\x5730\x78C1\x76D8" : L"C: Local Disk", true);
    disks->addNode(c, L"Users", false);
    int w = disks->addNode(c, L"Windows", true);
    disks->addNode(w, L"System32");
    disks->addNode(ui::ListTreeRows::kRoot, L"D: Data");

    auto* rich = static_cast<RichEdit*>(host.find(L"RichGallery"));
    richText_ = rich;
    auto* web = static_cast<WebBrowser*>(host.find(L"WebGallery"));
    std::string page = platform::joinPath(outputFolder(), "gallery-page.html");
    const std::string html =
        "<html><body><h1>Print</h1><p>Messages with Alice, 12 items.</p></body></html>";
    platform::writeWholeFile(page, html.data(), html.size());
    web->navigate(L"file:///" + platform::toWide(page));
  }

  void writeRichText(bool zh) {
    auto h = static_cast<HWND>(richText_->nativeHandle());
    ASSERT_NE(h, nullptr);
    richEditClear(h);
    richEditAppend(h, L"  ----------------------------------  \n", 0xD7D7D7, false,
                   HAlign::kCenter);
    richEditAppend(h, zh ? L"标题：\n" : L"Title:\n", 0x404040, true, HAlign::kLeft);
    richEditAppend(h, zh ? L"    购物清单\n" : L"    Shopping list\n", 0x404040, false,
                   HAlign::kLeft);
    richEditAppend(h, zh ? L"    已删除的备忘录" : L"    A deleted note", 0xF37302, false,
                   HAlign::kLeft);
  }

  HostWindow host;
  TwentyThousandFiles model;
  RichEdit* richText_ = nullptr;
};

class GalleryTest : public testing::TestWithParam<const char*> {};

TEST_P(GalleryTest, EveryControlInItsStates) {
  const std::string language = GetParam();
  Gallery g(language);
  g.writeRichText(language != "English");
  pump(100);
  int dpi = HostWindow::dpiForWindow(g.host.hwnd());
  EXPECT_EQ(g.host.dpi(), dpi);
  // Text in both languages comes out in a face that exists, never GDI+'s last resort.
  FontCache& fonts = FontCache::current();
  EXPECT_NE(fonts.faceOf(g.host.window().font(-1), dpi, false, false), L"(fallback)");
  EXPECT_NE(fonts.faceOf(g.host.window().font(-1), dpi, false, true), L"(fallback)");
  EXPECT_TRUE(screenshot(g.host.hwnd(), "gallery-" + language + "-" + dpiPercent(dpi)));
}

INSTANTIATE_TEST_SUITE_P(Languages, GalleryTest, testing::Values("English", "SimplifiedChinese"));

TEST(GalleryFlowTest, DrivenByControlName) {
  Gallery g("English");
  EXPECT_TRUE(checked(g.host, L"OptFirst"));
  ASSERT_TRUE(click(g.host, L"OptSecond"));
  EXPECT_TRUE(checked(g.host, L"OptSecond"));
  EXPECT_FALSE(checked(g.host, L"OptFirst"));
  ASSERT_TRUE(click(g.host, L"OptThird"));  // disabled: nothing changes
  EXPECT_TRUE(checked(g.host, L"OptSecond"));
  EXPECT_FALSE(enabled(g.host, L"OptThird"));

  ASSERT_TRUE(click(g.host, L"ChkHalf"));
  EXPECT_TRUE(checked(g.host, L"ChkHalf"));
  EXPECT_FALSE(static_cast<CheckBox*>(g.host.find(L"ChkHalf"))->halfChecked());

  ASSERT_TRUE(typeText(g.host, L"EditPlain", L" and more"));
  EXPECT_EQ(text(g.host, L"EditPlain"), L"Plain text and more");
  auto* password = static_cast<NativeSlot*>(g.host.find(L"EditPassword"));
  EXPECT_EQ(GetWindowLongPtrW(static_cast<HWND>(password->nativeHandle()), GWL_STYLE) & ES_PASSWORD,
            ES_PASSWORD);

  // The list: a click on a row selects it; the wheel moves the rows painted.
  auto* list = static_cast<List*>(g.host.find(L"ListGallery"));
  POINT centre;
  ASSERT_TRUE(controlCentre(g.host, L"ListGallery", &centre));
  PostMessageW(g.host.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x + 60, centre.y));
  PostMessageW(g.host.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(centre.x + 60, centre.y));
  pump(50);
  EXPECT_GT(list->selectedIndex(), 0);
  EXPECT_TRUE(waitFor([&] { return list->body()->viewport().visibleRows().first == 0; }));
  POINT screen = centre;
  ClientToScreen(g.host.hwnd(), &screen);
  PostMessageW(g.host.hwnd(), WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<WORD>(-1200)) << 16,
               MAKELPARAM(screen.x, screen.y));
  EXPECT_TRUE(waitFor([&] { return list->body()->viewport().visibleRows().first > 0; }));

  // The tree: a click on a check box cascades into the subtree.
  auto* tree = static_cast<TreeView*>(g.host.find(L"TreeGallery"));
  TreeView::RowParts parts = tree->rowParts(1);  // Camera Roll, half-checked
  POINT box{(parts.checkBox.left + parts.checkBox.right) / 2,
            (parts.checkBox.top + parts.checkBox.bottom) / 2};
  PostMessageW(g.host.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
  PostMessageW(g.host.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(box.x, box.y));
  pump(50);
  EXPECT_EQ(tree->nodes().state(tree->rows()[1]), CheckState::kChecked);
  EXPECT_EQ(tree->nodes().state(tree->rows()[3]), CheckState::kChecked);

  EXPECT_TRUE(visible(g.host, L"WebGallery"));
  EXPECT_TRUE(screenshot(g.host.hwnd(), "gallery-flow-" + dpiPercent(g.host.dpi())));
  // closebtn closes the window through the close request.
  ASSERT_TRUE(click(g.host, L"closebtn"));
  EXPECT_TRUE(waitFor([&] { return g.host.hwnd() == nullptr; }));
}

}  // namespace
}  // namespace qv::gui_test

namespace qv::gui_test {
namespace {

// A move to a monitor of another scale: the window takes the message's DPI and the suggested
// rectangle, and lays itself out again from its design units.
TEST(DpiChangeTest, TheWindowRelaysOutAtTheNewScale) {
  Gallery g("English");
  int before = g.host.dpi();
  int other = before == 96 ? 144 : 96;
  framework::Rect button = g.host.find(L"BtnPrimary")->rect();
  RECT suggested;
  GetWindowRect(g.host.hwnd(), &suggested);
  suggested.right = suggested.left + (suggested.right - suggested.left) * other / before;
  suggested.bottom = suggested.top + (suggested.bottom - suggested.top) * other / before;
  SendMessageW(g.host.hwnd(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(other, other),
               reinterpret_cast<LPARAM>(&suggested));
  pump(100);
  EXPECT_EQ(g.host.dpi(), other);
  framework::Rect now = g.host.find(L"BtnPrimary")->rect();
  EXPECT_EQ(now.width(), button.width() * other / before);
  EXPECT_EQ(now.height(), button.height() * other / before);
  RECT client;
  GetClientRect(g.host.hwnd(), &client);
  EXPECT_EQ(client.right, suggested.right - suggested.left);
  EXPECT_TRUE(screenshot(g.host.hwnd(), "gallery-dpi-changed-to-" + dpiPercent(other)));
}

}  // namespace
}  // namespace qv::gui_test
