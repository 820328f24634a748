// Every layout file of the shipped skin archive, built as the program builds it: no diagnostics,
// and every control that the pages find by name is there, of the kind they expect.
#include <gtest/gtest.h>

#include "framework/builder.h"
#include "framework/window.h"
#include "framework/zip_archive.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"
#include "tests/framework/test_support.h"
#include "ui/custom_controls.h"

namespace qv::ui {
namespace {

using namespace qv::framework;

class SkinLayoutsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string bytes;
    ASSERT_EQ(platform::readWholeFile(QV_SKIN_ZIP, 64u << 20, &bytes), kOk) << QV_SKIN_ZIP;
    ASSERT_EQ(archive().open(std::move(bytes)), kOk);
  }
  static ZipArchive& archive() {
    static ZipArchive a;
    return a;
  }
  std::string diagnostics(const LayoutBuilder& b) {
    std::string out;
    for (const LayoutDiagnostic& d : b.diagnostics()) {
      out += d.file + ":" + std::to_string(d.line) + ": " + d.what + "\n";
    }
    return out;
  }
};

struct Expected {
  const char* layout;
  bool window;  // a <Window> layout (else a fragment)
  std::vector<std::pair<const wchar_t*, const char*>> controls;  // name, interface it answers
};

const Expected kLayouts[] = {
    {"xml/skin.xml",
     true,
     {{L"HorLayoutMain", "HorizontalLayout"},
      {L"LblProductName", "Label"},
      {L"HorLayoutScan", "HorizontalLayout"},
      {L"ScanToolBar", "Container"},
      {L"BtnGifScanning", "ButtonGif"},
      {L"LblScanType", "Label"},
      {L"ProgressScan", "Progress"},
      {L"LblWaitDesc", "Label"},
      {L"LblPercent", "Label"},
      {L"BtnScanPause", "Button"},
      {L"BtnScanStop", "Button"},
      {L"ReocveryToolBar", "Container"},
      {L"LblRemark", "Label"},
      {L"BtnAssist", "Button"},
      {L"minbtn", "Button"},
      {L"maxbtn", "Button"},
      {L"restorebtn", "Button"},
      {L"closebtn", "Button"},
      {L"MainTabPage", "TabLayout"},
      {L"OptStep1", "Option"},
      {L"OptStep2", "Option"},
      {L"OptStep3", "Option"},
      {L"TabPage", "TabLayout"},
      {L"FooterBar", "Container"},
      // Step 1 and step 2 pages, pulled in by the main layout.
      {L"BackupFileList", "List"},
      {L"BackupListHeader1", "Label"},
      {L"BackupListHeader2", "Label"},
      {L"BackupListHeader3", "Label"},
      {L"BackupListHeader4", "Label"},
      {L"BackupListHeader5", "Label"},
      {L"BtnRefresh", "Button"},
      {L"BtnSelDir", "Button"},
      {L"BtnNext1", "Button"},
      {L"ItunesBackupDesc1", "Label"},
      {L"ItunesBackupDesc2", "Label"},
      {L"ItunesBackupDesc3", "Label"},
      {L"OptCameraRoll", "Option"},
      {L"OptPhotoStream", "Option"},
      {L"OptAppPhotos", "Option"},
      {L"OptAppVideos", "Option"},
      {L"OptMessages", "Option"},
      {L"OptMessageAtts", "Option"},
      {L"OptContacts", "Option"},
      {L"OptCallHistory", "Option"},
      {L"OptNotes", "Option"},
      {L"WhatsApp", "Option"},
      {L"OptWhatsAppAtts", "Option"},
      {L"OptReminder", "Option"},
      {L"OptCalendar", "Option"},
      {L"SafariBookmark", "Option"},
      {L"ChkSelAll", "CheckBox"},
      {L"BtnNext2", "Button"},
      // The scan page.
      {L"NodeTree", "FileTree"},
      {L"DataList", "List"},
      {L"iPhoneInfoLayout", "Container"},
      {L"LblScanInfo", "Label"},
      {L"PageScanDesc1", "Label"},
      {L"PageScanDesc2", "Label"},
      {L"PageScanDesc3", "Label"},
      {L"BtnGifLoading", "ButtonGif"},
      {L"DataListLayout", "Container"},
      {L"DataListToolBar", "Container"},
      {L"FilterToolBar", "Container"},
      {L"OptOnOffFilter", "Option"},
      {L"PageScanDesc4", "Label"},
      {L"BtnPrint", "Button"},
      {L"LblFilterCount", "Label"},
      {L"BtnBackAppDir", "Button"},
      {L"SwitchLayout", "Container"},
      {L"OptOnOffPreview", "Option"},
      {L"PreviewLayout", "Container"},
      {L"PreviewEdit", "RichEdit"},
      {L"MessagesList", "List"},
      {L"BtnHome", "Button"},
      {L"LblStatistics", "Label"},
      {L"BtnRecovery", "Button"},
      {L"CheckAll", "Label"},
      {L"Col1", "Label"},
      {L"Col6", "Label"}}},
    {"xml/DecryptionWnd.xml",
     true,
     {{L"Title", "Label"},
      {L"Description", "Label"},
      {L"LblPassword", "Label"},
      {L"HorLayout", "Container"},
      {L"EditPassword", "Edit"},
      {L"BtnTips", "Button"},
      {L"BtnRestoreLink", "Button"},
      {L"BtnOK", "Button"},
      {L"BtnCancel", "Button"},
      {L"closebtn", "Button"}}},
    {"xml/PreviewProcessWnd.xml",
     true,
     {{L"LblFileName", "Label"},
      {L"LblPercent", "Label"},
      {L"Progress", "Progress"},
      {L"BtnCancel", "Button"},
      {L"closebtn", "Button"}}},
    {"xml/RecoverProcessWnd.xml",
     true,
     {{L"current", "Label"},
      {L"recovered", "Label"},
      {L"percent", "Label"},
      {L"Progress", "Progress"},
      {L"OpenBtn", "Button"},
      {L"FinishBtn", "Button"},
      {L"CancelBtn", "Button"},
      {L"DetailBtn", "Button"},
      {L"DetailList", "List"},
      {L"iOSRecoveryLayout", "Container"},
      {L"BtnUrlIOSMobileRecovery", "Button"},
      {L"closebtn", "Button"}}},
    {"xml/PrintWnd.xml",
     true,
     {{L"PrintTabPage", "TabLayout"},
      {L"BtnGifPrintLoading", "ButtonGif"},
      {L"WebPagePrint", "WebBrowser"},
      {L"closebtn", "Button"}}},
    {"xml/MessagesElementSend.xml", false, {{L"LblHeader", "Label"}, {L"LblBubble", "LabelEx"}}},
    {"xml/MessagesElementRecv.xml", false, {{L"LblHeader", "Label"}, {L"LblBubble", "LabelEx"}}},
    {"xml/ContactInfo.xml",
     false,
     {{L"TxtUserName", "Label"},
      {L"TxtPhone", "Label"},
      {L"TxtEmail", "Label"},
      {L"TxtAddress", "Label"},
      {L"TxtUrl", "Label"},
      {L"TxtSocial", "Label"},
      {L"TxtCompany", "Label"}}},
    {"xml/menu_assist.xml",
     true,
     {{L"menu_assist", "Menu"},
      {L"item_help", "MenuElement"},
      {L"item_language", "MenuElement"},
      {L"item_faq", "MenuElement"},
      {L"item_about", "MenuElement"},
      {L"item_support", "MenuElement"},
      {L"item_exit", "MenuElement"}}},
    {"xml/gallery.xml", true, {{L"TreeGallery", "TreeView"}, {L"ListGallery", "List"}}},
};

TEST_F(SkinLayoutsTest, EveryLayoutBuildsCleanWithTheNamedControls) {
  for (const Expected& e : kLayouts) {
    SCOPED_TRACE(e.layout);
    LayoutBuilder b(archive());
    b.setFactory(&createCustomControl);
    Window w;
    if (e.window) {
      ASSERT_EQ(b.buildWindow(e.layout, w), kOk);
    } else {
      ControlPtr c = b.buildControl(e.layout);
      ASSERT_NE(c, nullptr);
      w.setRoot(std::move(c));
    }
    EXPECT_EQ(diagnostics(b), "");
    for (const auto& [name, kind] : e.controls) {
      Control* c = w.find(name);
      ASSERT_NE(c, nullptr) << platform::toUtf8(name);
      EXPECT_TRUE(c->isA(kind)) << platform::toUtf8(name) << " is no " << kind;
    }
  }
}

TEST_F(SkinLayoutsTest, MessageBoxesHaveTheirButtons) {
  struct Box {
    const char* layout;
    bool cancel;
    bool cancelShown;
  };
  for (const Box& box : {Box{"xml/MessageBox_Error.xml", false, false},
                         Box{"xml/MessageBox_Confirm.xml", true, true},
                         Box{"xml/MessageBox_Information.xml", false, false},
                         Box{"xml/MessageBox_Warning.xml", true, false},
                         Box{"xml/MessageBox_Question.xml", true, true}}) {
    SCOPED_TRACE(box.layout);
    LayoutBuilder b(archive());
    Window w;
    ASSERT_EQ(b.buildWindow(box.layout, w), kOk);
    EXPECT_EQ(diagnostics(b), "");
    EXPECT_EQ(w.info().caption.bottom, 36);
    EXPECT_EQ(w.info().minSize, (Size{430, 170}));
    EXPECT_EQ(w.info().roundCorner, (Size{5, 5}));
    for (const wchar_t* n : {L"title", L"message", L"okbtn", L"closebtn"}) {
      EXPECT_NE(w.find(n), nullptr) << platform::toUtf8(n);
    }
    Control* cancel = w.find(L"cancelbtn");
    EXPECT_EQ(cancel != nullptr, box.cancel);
    if (cancel) {
      EXPECT_EQ(cancel->visible(), box.cancelShown);
    }
    EXPECT_EQ(w.find(L"title")->text(), L"Message Box");
    EXPECT_EQ(w.find(L"okbtn")->text(), L"OK");
  }
}

TEST_F(SkinLayoutsTest, MainWindowFiguresAndStartingState) {
  LayoutBuilder b(archive());
  b.setFactory(&createCustomControl);
  Window w;
  ASSERT_EQ(b.buildWindow("xml/skin.xml", w), kOk);
  EXPECT_EQ(w.info().size, (Size{1000, 650}));
  EXPECT_EQ(w.info().minSize, (Size{1000, 665}));
  EXPECT_EQ(w.info().caption.bottom, 90);
  EXPECT_EQ(w.info().sizeBox, (Edges{4, 4, 4, 4}));
  test::FixedMeasurer m;
  w.setClientSize(Size{1000, 650});
  w.layoutIfNeeded(m);
  EXPECT_EQ(w.find(L"HorLayoutMain")->rect().height(), 98);
  EXPECT_TRUE(w.find(L"HorLayoutMain")->shownOnScreen());
  EXPECT_FALSE(w.find(L"HorLayoutScan")->shownOnScreen());
  EXPECT_FALSE(w.find(L"ReocveryToolBar")->visible());
  EXPECT_FALSE(w.find(L"maxbtn")->visible());
  EXPECT_FALSE(w.find(L"restorebtn")->visible());
  EXPECT_TRUE(static_cast<Option*>(w.find(L"OptStep1"))->selected());
  EXPECT_FALSE(w.find(L"OptStep3")->enabled());
  EXPECT_EQ(w.find(L"LblScanType")->text(), L"Scanning iTunens Backup Files");
  EXPECT_EQ(w.find(L"LblWaitDesc")->text(), L"Please wait ...");
  EXPECT_EQ(w.find(L"BtnScanPause")->text(), L"Pause");
  EXPECT_TRUE(w.find(L"BackupFileList")->shownOnScreen());  // TabPage page 0
  EXPECT_FALSE(w.find(L"ChkSelAll")->shownOnScreen());
  EXPECT_FALSE(w.find(L"NodeTree")->shownOnScreen());  // MainTabPage page 1
  // The fourteen options start selected, in the order the scan page reads them.
  for (const wchar_t* n :
       {L"OptCameraRoll", L"OptPhotoStream", L"OptAppPhotos", L"OptAppVideos", L"OptMessages",
        L"OptMessageAtts", L"OptContacts", L"OptCallHistory", L"OptNotes", L"WhatsApp",
        L"OptWhatsAppAtts", L"OptReminder", L"OptCalendar", L"SafariBookmark", L"ChkSelAll"}) {
    EXPECT_TRUE(static_cast<Option*>(w.find(n))->selected()) << platform::toUtf8(n);
  }
  // The header's buttons sit in the caption band, flush with the top right.
  Rect close = w.find(L"closebtn")->rect();
  EXPECT_EQ(close.right, 1000);
  EXPECT_EQ(close.top, 0);
  EXPECT_LE(close.bottom, 90);
  // Pages report to their controllers.
  EXPECT_EQ(w.find(L"BtnNext1")->virtualWnd(), L"ItunesVtrWnd");
  EXPECT_EQ(w.find(L"BtnNext2")->virtualWnd(), L"SpecifyFileVtrWnd");
  EXPECT_EQ(w.find(L"BtnHome")->virtualWnd(), L"ScanVtrWnd");
  EXPECT_EQ(w.find(L"PreviewEdit")->virtualWnd(), L"PreviewVtrWnd");
}

}  // namespace
}  // namespace qv::ui
