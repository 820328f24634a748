// The program's windows as the skin draws them, filled with sample content the way their pages
// will fill them: the main window on each step and on the scan page, and the pop-ups (password,
// preview copy, export, print). Each state is checked by name and written as a screenshot, in
// both languages.
#include <gtest/gtest.h>

#include <utility>

#include "app/popup_wnd.h"
#include "app/settings.h"
#include "framework/builder.h"
#include "framework/dpi.h"
#include "framework/gdiplus_painter_win.h"
#include "framework/language.h"
#include "framework/list.h"
#include "framework/native_children_win.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "tests/gui/gui_driver.h"
#include "tests/gui/gui_environment.h"
#include "ui/custom_controls.h"

namespace qv::gui_test {
namespace {

using namespace qv::framework;

bool zh(const std::string& language) {
  return language != "English";
}

// Rows of the item list for the Messages category.
class SampleMessages : public ListModel {
 public:
  explicit SampleMessages(bool chinese) : zh_(chinese) {}
  std::int64_t rowCount() const override { return 40; }
  void cell(std::int64_t row, int column, ListCell* out) const override {
    static const wchar_t* const kNames[] = {L"Alice Martin", L"Bob", L"+1 555 0100", L"Carol"};
    static const wchar_t* const kZhNames[] = {L"\x5F20\x4F1F", L"\x674E\x5A1C", L"+86 138 0000",
                                              L"\x738B\x82B3"};
    switch (column) {
      case 1:
        out->text = (zh_ ? kZhNames : kNames)[row % 4];
        if (deleted(row))
          parseImageRef(L"file='Controls.png' source='182,312,198,328' dest='0,0,16,16'",
                        &out->icon);
        break;
      case 2:
        out->text = L"+1 555 01" + std::to_wstring(10 + row);
        break;
      case 3:
        out->text =
            L"2024-03-" + std::to_wstring(10 + row % 18) + L" 09:41:0" + std::to_wstring(row % 10);
        break;
      case 4:
        out->text =
            zh_ ? L"\x660E\x5929\x89C1\xFF0C\x522B\x5FD8\x4E86\x5E26\x4E0A\x90A3\x672C\x4E66\x3002"
                : L"See you tomorrow, and do not forget the book.";
        break;
      default:
        break;
    }
  }
  bool deleted(std::int64_t row) const { return row < 3; }
  Color rowTextColor(std::int64_t row) const override { return deleted(row) ? 0xFFF37302u : 0; }
  bool checkable() const override { return true; }
  CheckState rowCheck(std::int64_t row) const override {
    return row == 5 ? CheckState::kUnchecked : CheckState::kChecked;
  }

 private:
  bool zh_;
};

class MainWindowScreens : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    language = GetParam();
    useLanguage(language);
    ASSERT_EQ(main.loadLayout("xml/skin.xml", &ui::createCustomControl), 0);
    for (const LayoutDiagnostic& d : main.layoutDiagnostics()) {
      ADD_FAILURE() << d.file << ":" << d.line << ": " << d.what;
    }
    ASSERT_TRUE(main.create(nullptr, L"Quenvale Tarnwick", 0x10CF0000 & ~WS_VISIBLE, 0x00060000));
    app::Settings& s = app::Settings::get();
    for (const wchar_t* section :
         {L"MainWnd", L"PageItunesBackup", L"PageSpecifyFile", L"PageScan"}) {
      applyLanguage(*main.window().root(), s.section(section), {L"LblStatistics"});
    }
    SetWindowPos(main.hwnd(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(main.hwnd(), SW_SHOW);
    pump(100);
  }
  std::string shot(const std::string& what) {
    return "main-" + what + "-" + language + "-" + dpiPercent(main.dpi());
  }

  // Rows laid out as the program's backup list lays out its own (icon, name, date, version,
  // size, serial number under the header's columns).
  void fillBackups() {
    auto* list = static_cast<List*>(main.find(L"BackupFileList"));
    struct Backup {
      const wchar_t* name;
      const wchar_t* date;
      const wchar_t* version;
      const wchar_t* size;
      const wchar_t* serial;
      bool encrypted;
    } backups[] = {
        {L"Alice's iPhone", L"2024-03-28 21:14:05", L"17.4", L"12.5 GB", L"F2LXK0ABCD12", false},
        {zh(language) ? L"\x674E\x5A1C\x7684 iPad" : L"Family iPad", L"2023-11-02 08:30:41",
         L"16.7.2", L"3.08 GB", L"DMPVN9XYZ001", true},
        {L"iPhone of a very long name that does not fit in its column at all",
         L"2022-06-15 17:00:00", L"15.1", L"", L"C39QW1LMN7PQ", false}};
    for (const Backup& b : backups) {
      auto row = std::make_unique<ListContainerElement>();
      row->setAttribute("height", L"40");
      auto icon = std::make_unique<Control>();
      icon->setAttribute("width", L"48");
      icon->setAttribute("padding", L"8,7,0,7");
      icon->setBkImage(b.encrypted ? L"file='Controls.png' source='53,436,101,462' dest='0,0,48,26'"
                                   : L"file='Controls.png' source='2,436,50,462' dest='0,0,48,26'");
      row->add(std::move(icon));
      const std::pair<const wchar_t*, const wchar_t*> cells[] = {{b.name, L"164"},
                                                                 {b.date, L"270"},
                                                                 {b.version, L"96"},
                                                                 {b.size, L"112"},
                                                                 {b.serial, nullptr}};
      for (const auto& [text, width] : cells) {
        auto label = std::make_unique<Label>();
        label->setText(text);
        if (width) label->setAttribute("width", width);
        label->setAttribute("textpadding", L"8,0,8,0");
        label->setAttribute("endellipsis", L"true");
        row->add(std::move(label));
      }
      list->addElement(std::move(row));
    }
    list->selectItem(0, false);
  }

  void fillScanPage(bool finished) {
    static_cast<TabLayout*>(main.find(L"MainTabPage"))->selectItem(1);
    main.find(L"HorLayoutMain")->setVisible(false);
    main.find(L"HorLayoutScan")->setVisible(true);
    main.find(L"ScanToolBar")->setVisible(!finished);
    main.find(L"ReocveryToolBar")->setVisible(finished);
    static_cast<Progress*>(main.find(L"ProgressScan"))->setValue(42);
    main.find(L"LblPercent")->setText(L"42%");
    static_cast<ui::CButtonGifUI*>(main.find(L"BtnGifScanning"))->start();

    auto* tree = static_cast<ui::CFileTreeUI*>(main.find(L"NodeTree"));
    ImageRef icon;
    auto child = [&](TreeView::NodeId parent, const std::wstring& text, const wchar_t* source,
                     bool enabled) {
      parseImageRef(std::wstring(L"file='Controls.png' source='") + source + L"' dest='0,0,18,18'",
                    &icon);
      auto n = tree->addNode(parent, text, true, icon);
      tree->setNodeEnabled(n, enabled);
      if (enabled) tree->setNodeChecked(n, true);
      return n;
    };
    bool c = zh(language);
    auto photos = tree->addNode(TriStateTree::kRoot,
                                c ? L"\x7167\x7247\x548C\x89C6\x9891" : L"Photos & Videos", false);
    child(photos, c ? L"\x76F8\x673A\x80F6\x5377 (1204)" : L"Camera Roll (1204)", L"1,410,19,428",
          true);
    child(photos, c ? L"\x7167\x7247\x6D41 (0)" : L"Photo Stream (0)", L"19,410,37,428", false);
    child(photos, c ? L"\x5E94\x7528\x7167\x7247 (56)" : L"App Photos (56)", L"37,410,55,428",
          true);
    child(photos, c ? L"\x5E94\x7528\x89C6\x9891 (3)" : L"App Videos (3)", L"55,410,73,428", true);
    auto msgs = tree->addNode(
        TriStateTree::kRoot,
        c ? L"\x4FE1\x606F\x548C\x901A\x8BDD\x8BB0\x5F55" : L"Messages & Call logs", false);
    auto sms = child(msgs, c ? L"\x4FE1\x606F (40)" : L"Messages (40)", L"73,410,91,428", true);
    child(msgs, c ? L"\x4FE1\x606F\x9644\x4EF6 (12)" : L"Messages Attachments (12)",
          L"91,410,109,428", true);
    child(msgs, c ? L"\x901A\x8BAF\x5F55 (230)" : L"Contacts (230)", L"109,410,127,428", true);
    child(msgs, c ? L"\x901A\x8BDD\x8BB0\x5F55 (88)" : L"Call History (88)", L"127,410,145,428",
          true);
    child(msgs, c ? L"\x5907\x5FD8\x5F55 (0)" : L"Notes (0)", L"145,410,163,428", false);
    child(msgs, L"WhatsApp (7)", L"163,410,181,428", true);
    child(msgs, c ? L"WhatsApp \x9644\x4EF6 (0)" : L"WhatsApp Attachments (0)", L"91,410,109,428",
          false);
    child(msgs, c ? L"\x63D0\x9192\x4E8B\x9879 (0)" : L"Reminder (0)", L"181,410,199,428", false);
    tree->selectNode(sms, false);

    main.find(L"iPhoneInfoLayout")->setVisible(false);
    main.find(L"DataListLayout")->setVisible(true);
    main.find(L"LblFilterCount")->setVisible(true);
    struct Column {
      const wchar_t* name;
      const wchar_t* en;
      const wchar_t* cn;
      int width;
    } columns[] = {{L"Col1", L"User Name", L"\x7528\x6237\x540D", 100},
                   {L"Col2", L"Phone Number", L"\x7535\x8BDD\x53F7\x7801", 100},
                   {L"Col3", L"Date", L"\x65E5\x671F", 120},
                   {L"Col4", L"Message", L"\x4FE1\x606F", 0}};
    for (const Column& col : columns) {
      Control* h = main.find(col.name);
      h->setText(c ? col.cn : col.en);
      h->setFixedWidth(col.width);
      h->setVisible(true);
    }
    auto* list = static_cast<List*>(main.find(L"DataList"));
    list->setModel(&model_);
    list->selectItem(1, false);

    main.find(L"PreviewEdit")->setVisible(false);
    auto* bubbles = static_cast<List*>(main.find(L"MessagesList"));
    bubbles->setVisible(true);
    LayoutBuilder b(Skin::current().archive());
    b.setFactory(&ui::createCustomControl);
    GdiplusMeasurer measurer(main.window(), Skin::current(), FontCache::current());
    struct Bubble {
      bool sent;
      const wchar_t* header;
      const wchar_t* en;
      const wchar_t* cn;
    } items[] = {{false, L"2024-03-27 18:02:11 Alice Martin:", L"Are we still on for tomorrow?",
                  L"\x660E\x5929\x8FD8\x89C1\x9762\x5417\xFF1F"},
                 {true, L"2024-03-27 18:05:40 Me:",
                  L"Yes! See you at nine at the library. I will bring the book you asked for.",
                  L"\x89C1\xFF01\x4E5D\x70B9\x56FE\x4E66\x9986\x89C1\xFF0C\x6211\x4F1A\x5E26\x4E0A"
                  L"\x4F60\x8981\x7684\x90A3\x672C\x4E66\x3002"},
                 {false, L"2024-03-27 18:06:02 Alice Martin:", L"Great, thanks.",
                  L"\x592A\x597D\x4E86\xFF0C\x8C22\x8C22\x3002"}};
    for (const Bubble& item : items) {
      ControlPtr e =
          b.buildControl(item.sent ? "xml/MessagesElementSend.xml" : "xml/MessagesElementRecv.xml");
      ASSERT_NE(e, nullptr);
      e->find(L"LblHeader")->setText(item.header);
      auto* bubble = static_cast<Label*>(e->find(L"LblBubble"));
      bubble->setText(c ? item.cn : item.en);
      // Height as the preview pane works it out: the text wrapped to the bubble's width, its
      // padding, 20 more and the header.
      TextStyle st = bubble->textStyle();
      st.singleLine = false;
      int wrapped =
          measurer.measureText(bubble->text(), st, DpiScale{main.dpi()}.px(300 - 16 - 44 - 20)).cy;
      int du = wrapped * 96 / main.dpi();
      e->setFixedHeight(18 + du + 16 + 20 + 5);
      bubbles->addElement(std::move(e));
    }
    main.find(L"BtnHome")->setEnabled(finished);
    main.find(L"BtnRecovery")->setEnabled(finished);
    main.find(L"LblStatistics")
        ->setText(c ? L"\x60A8\x9009\x62E9\x4E86 2.31 MB\xFF0C\x5171 38 \x9879\xFF0C\x603B\x8BA1 "
                      L"2.40 MB\xFF0C\x5171 40 \x9879"
                    : L"You select 2.31 MB in 38 item(s) of 2.40 MB in 40 item(s)");
    pump(150);
  }

  std::string language;
  HostWindow main;
  SampleMessages model_{false};
};

TEST_P(MainWindowScreens, StepsAndTheScanPage) {
  fillBackups();
  pump(100);
  EXPECT_TRUE(visible(main, L"BackupFileList"));
  EXPECT_FALSE(enabled(main, L"OptStep3"));
  EXPECT_TRUE(screenshot(main.hwnd(), shot("step1")));

  // The step options switch the step pages the way the main window will: here by hand.
  auto* tab = static_cast<TabLayout*>(main.find(L"TabPage"));
  ASSERT_TRUE(click(main, L"OptStep2"));
  EXPECT_TRUE(checked(main, L"OptStep2"));
  EXPECT_FALSE(checked(main, L"OptStep1"));
  tab->selectItem(1);
  for (const wchar_t* off : {L"OptAppVideos", L"OptReminder", L"OptCalendar", L"SafariBookmark"}) {
    ASSERT_TRUE(click(main, off));
    EXPECT_FALSE(checked(main, off));
  }
  static_cast<CheckBox*>(main.find(L"ChkSelAll"))->setHalfChecked(true);
  pump(50);
  EXPECT_TRUE(screenshot(main.hwnd(), shot("step2")));
  ASSERT_TRUE(click(main, L"OptStep3"));  // always disabled: nothing changes
  EXPECT_TRUE(checked(main, L"OptStep2"));

  model_ = SampleMessages(zh(language));
  fillScanPage(false);
  EXPECT_TRUE(visible(main, L"ScanToolBar"));
  EXPECT_TRUE(visible(main, L"NodeTree"));
  EXPECT_FALSE(enabled(main, L"BtnRecovery"));
  auto* gif = static_cast<ui::CButtonGifUI*>(main.find(L"BtnGifScanning"));
  EXPECT_TRUE(waitFor([&] { return gif->clock().currentFrame() > 0; }, 3000));  // it plays
  EXPECT_TRUE(screenshot(main.hwnd(), shot("scanning")));

  main.find(L"ScanToolBar")->setVisible(false);
  main.find(L"ReocveryToolBar")->setVisible(true);
  main.find(L"BtnHome")->setEnabled(true);
  main.find(L"BtnRecovery")->setEnabled(true);
  pump(100);
  EXPECT_TRUE(screenshot(main.hwnd(), shot("scan-finished")));

  // The waiting panel of a scan that has not produced items yet.
  main.find(L"DataListLayout")->setVisible(false);
  main.find(L"iPhoneInfoLayout")->setVisible(true);
  static_cast<ui::CButtonGifUI*>(main.find(L"BtnGifLoading"))->start();
  pump(200);
  EXPECT_TRUE(screenshot(main.hwnd(), shot("scan-waiting")));
}

INSTANTIATE_TEST_SUITE_P(Languages, MainWindowScreens,
                         testing::Values("English", "SimplifiedChinese"));

// A pop-up of the program's size, shot while its modal loop runs and closed with its close
// button, which answers 2.
void shootPopUp(const std::string& layout, const std::wstring& section, int w, int h,
                const std::string& name, const std::function<void(HostWindow&)>& fill) {
  app::CPopUpWnd pop(layout, section);
  ASSERT_TRUE(pop.build(nullptr, w, h));
  for (const LayoutDiagnostic& d : pop.layoutDiagnostics()) {
    ADD_FAILURE() << d.file << ":" << d.line << ": " << d.what;
  }
  fill(pop);
  bool shot = false;
  after(400, [&] {
    shot = screenshot(pop.hwnd(), name + "-" + dpiPercent(pop.dpi()));
    click(pop, L"closebtn");
  });
  EXPECT_EQ(pop.run(nullptr), 2);
  EXPECT_TRUE(shot);
}

class PopUpScreens : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { useLanguage(GetParam()); }
};

TEST_P(PopUpScreens, PasswordPreviewExportAndPrint) {
  const std::string lang = GetParam();
  shootPopUp("xml/DecryptionWnd.xml", L"DecryptionWnd", 550, 270, "password-" + lang,
             [&](HostWindow& w) {
               auto* edit = static_cast<Edit*>(w.find(L"EditPassword"));
               edit->setText(L"tarnwick");
               edit->requestFocus();
             });
  shootPopUp("xml/PreviewProcessWnd.xml", L"PreviewProcessWnd", 500, 200, "preview-copy-" + lang,
             [&](HostWindow& w) {
               static_cast<Progress*>(w.find(L"Progress"))->setValue(35);
               w.find(L"LblPercent")->setText(app::Settings::get().message(L"MSG0901") + L" 35%");
               w.find(L"LblFileName")
                   ->setText(app::Settings::get().message(L"MSG0902") + L" IMG_0042.MOV");
             });
  shootPopUp(
      "xml/RecoverProcessWnd.xml", L"RecoverProcessWnd", 770, 700, "export-" + lang,
      [&](HostWindow& w) {
        static_cast<Progress*>(w.find(L"Progress"))->setValue(64);
        w.find(L"current")
            ->setText(L"D:\\Recovered\\Messages\\Alice Martin(+1 555 0100)\\Messages.html");
        w.find(L"iOSRecoveryLayout")->setVisible(false);
        auto* list = static_cast<List*>(w.find(L"DetailList"));
        list->setVisible(true);
        for (int i = 0; i < 12; ++i) {
          auto row = std::make_unique<ListContainerElement>();
          row->setAttribute("height", L"30");
          auto path = std::make_unique<Label>();
          path->setText(L"D:\\Recovered\\Camera Roll\\IMG_00" + std::to_wstring(40 + i) + L".JPG");
          path->setAttribute("width", L"520");
          path->setAttribute("textpadding", L"8,0,8,0");
          path->setAttribute("endellipsis", L"true");
          auto status = std::make_unique<Label>();
          status->setText(i == 0 ? L"Access is denied." : L"Success");
          status->setAttribute("align", L"center");
          if (i == 0) {
            path->setTextColor(0xFFFF0000u);
            status->setTextColor(0xFFFF0000u);
          }
          row->add(std::move(path));
          row->add(std::move(status));
          list->addElement(std::move(row));
        }
      });
  shootPopUp("xml/PrintWnd.xml", L"PrintWnd", 800, 600, "print-loading-" + lang,
             [&](HostWindow& w) {
               static_cast<ui::CButtonGifUI*>(w.find(L"BtnGifPrintLoading"))->start();
             });
  shootPopUp("xml/PrintWnd.xml", L"PrintWnd", 800, 600, "print-page-" + lang, [&](HostWindow& w) {
    static_cast<TabLayout*>(w.find(L"PrintTabPage"))->selectItem(1);
    static_cast<WebBrowser*>(w.find(L"WebPagePrint"))
        ->navigate(L"file:///" +
                   platform::toWide(platform::joinPath(outputFolder(), "gallery-page.html")));
  });
}

INSTANTIATE_TEST_SUITE_P(Languages, PopUpScreens, testing::Values("English", "SimplifiedChinese"));

}  // namespace
}  // namespace qv::gui_test
