// The application shell's windows under the real skin: the message box of each kind, the
// assist menu with its language sub-menu, and the pop-up base.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/assist_menu.h"
#include "app/message_box.h"
#include "app/settings.h"
#include "framework/controls.h"
#include "framework/language.h"
#include "tests/gui/gui_driver.h"
#include "tests/gui/gui_environment.h"
#include "ui/custom_controls.h"

namespace qv::gui_test {
namespace {

using app::CMessageBox;

struct BoxCase {
  int kind;
  const char* name;
  bool cancelShown;
};

// Runs a box and lets `act` press something inside its modal loop; returns the box's result.
int runBox(int kind, const wchar_t* title, const std::wstring& text, const std::string& shot,
           const std::function<void(HostWindow&)>& act) {
  after(300, [=] {
    HostWindow* box = topWindow();
    if (!box) return;
    if (!shot.empty()) screenshot(box->hwnd(), shot);
    act(*box);
  });
  return CMessageBox::show(kind, title, text, nullptr, 550, 200);
}

class MessageBoxTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { useLanguage(GetParam()); }
};

TEST_P(MessageBoxTest, EachKindShowsItsButtonsAndAnswers) {
  const std::string language = GetParam();
  const BoxCase cases[] = {{0, "error", false},
                           {1, "confirm", true},
                           {2, "information", false},
                           {3, "warning", false},
                           {4, "question", true}};
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    bool cancelSeen = true;
    std::wstring title;
    int dpi = 96;
    std::wstring text =
        language == "English"
            ? L"The backup cannot be opened. Check that the folder still holds it and "
              L"that no other program is writing to it."
            : L"\x65E0\x6CD5\x6253\x5F00\x8FD9\x4E2A\x5907\x4EFD\x3002";
    int r = runBox(c.kind, nullptr, text,
                   "messagebox-" + std::string(c.name) + "-" + language + "-" +
                       dpiPercent(HostWindow::dpiForWindow(nullptr)),
                   [&](HostWindow& box) {
                     cancelSeen = visible(box, L"cancelbtn");
                     title = box.find(L"title")->text();
                     dpi = box.dpi();
                     click(box, L"okbtn");
                   });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(cancelSeen, c.cancelShown);
    // No title given: the kind's default title from the language's messages.
    EXPECT_EQ(title, app::Settings::get().message(CMessageBox::defaultTitleIdOf(c.kind)));
    EXPECT_EQ(dpi, HostWindow::dpiForWindow(nullptr));
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, MessageBoxTest,
                         testing::Values("English", "SimplifiedChinese"));

TEST(MessageBoxResultTest, CancelCloseAndEscapeAnswerTwo) {
  useLanguage("English");
  EXPECT_EQ(runBox(4, L"Question", L"Close?", "", [](HostWindow& b) { click(b, L"closebtn"); }), 2);
  EXPECT_EQ(runBox(1, nullptr, L"Cancel?", "", [](HostWindow& b) { click(b, L"cancelbtn"); }), 2);
  EXPECT_EQ(runBox(2, nullptr, L"Escape", "", [](HostWindow& b) { pressKey(b, VK_ESCAPE); }), 2);
  // Enter is swallowed: the box stays until something else closes it.
  bool stillOpen = false;
  EXPECT_EQ(runBox(0, nullptr, L"Enter", "",
                   [&](HostWindow& b) {
                     pressKey(b, VK_RETURN);
                     stillOpen = b.hwnd() != nullptr && IsWindowVisible(b.hwnd());
                     click(b, L"okbtn");
                   }),
            1);
  EXPECT_TRUE(stillOpen);
  // An unknown kind is an Error box.
  std::string layout;
  runBox(9, nullptr, L"Unknown kind", "", [&](HostWindow& b) {
    layout = static_cast<app::CPopUpWnd&>(b).layout();
    click(b, L"okbtn");
  });
  EXPECT_EQ(layout, "xml/MessageBox_Error.xml");
}

TEST(MessageBoxResultTest, PreparedWarningShowsCancelWhenAsked) {
  useLanguage("English");
  auto box = CMessageBox::prepareWarning(nullptr);
  ASSERT_NE(box, nullptr);
  box->setMessage(L"Do you want to exit Quenvale Tarnwick?");
  box->find(L"cancelbtn")->setVisible(true);
  bool cancelSeen = false;
  after(300, [&] {
    HostWindow* top = topWindow();
    cancelSeen = top && visible(*top, L"cancelbtn");
    if (top) {
      screenshot(top->hwnd(), "messagebox-exit-question-" + dpiPercent(top->dpi()));
      click(*top, L"cancelbtn");
    }
  });
  EXPECT_EQ(box->run(nullptr), 2);
  EXPECT_TRUE(cancelSeen);
}

// A main-window stand-in that records what the menu posts to it.
class MainStandIn : public HostWindow {
 public:
  UINT lastMessage = 0;
  WPARAM lastW = 0;

 protected:
  LRESULT handleMessage(UINT msg, WPARAM w, LPARAM, bool* handled) override {
    *handled = false;
    if (msg == WM_CLOSE || msg == app::kMsgLanguageRefresh) {
      lastMessage = msg;
      lastW = w;
      *handled = true;
    }
    return 0;
  }
};

TEST(AssistMenuTest, ItemsOpenPagesExitAndSwitchLanguage) {
  useLanguage("English");
  MainStandIn main;
  ASSERT_EQ(main.loadLayout("xml/skin.xml", &ui::createCustomControl), 0);
  ASSERT_TRUE(main.create(nullptr, L"Quenvale Tarnwick", 0x10CF0000 & ~WS_VISIBLE, 0x00060000));
  SetWindowPos(main.hwnd(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(main.hwnd(), SW_SHOW);
  pump(100);

  app::AssistMenu realMenu(main.hwnd());
  std::vector<std::wstring> opened;
  realMenu.openPage = [&](const std::wstring& p) { opened.push_back(p); };

  ASSERT_TRUE(realMenu.open(main, *main.find(L"BtnAssist")));
  pump(150);
  HostWindow* top = realMenu.session().level(0);
  ASSERT_NE(top, nullptr);
  EXPECT_FALSE(visible(*top, L"item_language"));  // hidden by the layout
  auto* language = static_cast<framework::MenuElement*>(top->find(L"item_language"));
  ASSERT_NE(language, nullptr);
  EXPECT_EQ(language->subItemCount(), 2u);  // English and Simplified Chinese
  EXPECT_EQ(text(*top, L"item_help"), L"Help");
  language->setVisible(true);
  pump(50);
  // Hovering the language row opens its sub-menu beside it.
  POINT p;
  ASSERT_TRUE(controlCentre(*top, L"item_language", &p));
  hover(*top, p);
  pump(100);
  HostWindow* sub = realMenu.session().level(1);
  ASSERT_NE(sub, nullptr);
  EXPECT_NE(sub->find(L"current_mark"), nullptr);  // English carries the check mark
  {
    RECT a, b, c;
    GetWindowRect(main.hwnd(), &a);
    GetWindowRect(top->hwnd(), &b);
    GetWindowRect(sub->hwnd(), &c);
    RECT all{a.left, a.top, std::max({a.right, b.right, c.right}),
             std::max({a.bottom, b.bottom, c.bottom})};
    EXPECT_TRUE(screenshotScreen(all, "assist-menu-open-" + dpiPercent(main.dpi())));
  }
  // A language of the sub-menu: the setting is rewritten and the main window told to refresh.
  ASSERT_TRUE(click(*sub, L"SimplifiedChinese"));
  EXPECT_TRUE(waitFor([&] { return main.lastMessage == app::kMsgLanguageRefresh; }));
  EXPECT_EQ(app::Settings::get().currentLanguage(), L"SimplifiedChinese");
  EXPECT_FALSE(realMenu.session().isOpen());

  // Help opens the tutorial; Exit posts the close request with 1.
  ASSERT_TRUE(realMenu.open(main, *main.find(L"BtnAssist")));
  pump(100);
  ASSERT_TRUE(click(*realMenu.session().level(0), L"item_help"));
  EXPECT_TRUE(waitFor([&] { return !opened.empty(); }));
  EXPECT_NE(opened.at(0).find(L"tutorial"), std::wstring::npos);
  ASSERT_TRUE(realMenu.open(main, *main.find(L"BtnAssist")));
  pump(100);
  ASSERT_TRUE(click(*realMenu.session().level(0), L"item_exit"));
  EXPECT_TRUE(waitFor([&] { return main.lastMessage == WM_CLOSE; }));
  EXPECT_EQ(main.lastW, 1u);

  // A click elsewhere (activation leaving the menu) closes it.
  ASSERT_TRUE(realMenu.open(main, *main.find(L"BtnAssist")));
  pump(100);
  SetForegroundWindow(main.hwnd());
  SetActiveWindow(main.hwnd());
  EXPECT_TRUE(waitFor([&] { return !realMenu.session().isOpen(); }, 3000));
  useLanguage("English");
}

}  // namespace
}  // namespace qv::gui_test

namespace qv::gui_test {
namespace {

// Modal loops nest: a box over a box keeps the outer box's owner disabled, gives each owner back
// its state, and a quit request met inside a loop reaches the outer loop.
TEST(ModalLoopTest, NestedBoxesRestoreTheirOwnersAndPassQuitOn) {
  useLanguage("English");
  HostWindow owner;
  ASSERT_EQ(owner.loadLayout("xml/gallery.xml", &ui::createCustomControl), 0);
  ASSERT_TRUE(owner.create(nullptr, L"owner", WS_POPUP, 0, 0, 0, 400, 300));
  ShowWindow(owner.hwnd(), SW_SHOW);
  HWND main = owner.hwnd();

  bool mainDisabledInOuter = false, mainDisabledInInner = false, outerDisabledInInner = false;
  bool outerEnabledAfterInner = false;
  after(300, [&] {
    HostWindow* outer = topWindow();
    ASSERT_NE(outer, nullptr);
    mainDisabledInOuter = !IsWindowEnabled(main);
    after(300, [&, outer] {
      HostWindow* inner = topWindow();
      ASSERT_NE(inner, nullptr);
      mainDisabledInInner = !IsWindowEnabled(main);
      outerDisabledInInner = !IsWindowEnabled(outer->hwnd());
      click(*inner, L"okbtn");
    });
    int innerResult = CMessageBox::show(2, nullptr, L"inner", outer->hwnd(), 430, 170);
    outerEnabledAfterInner =
        innerResult == 1 && IsWindowEnabled(outer->hwnd()) && !IsWindowEnabled(main);
    click(*outer, L"cancelbtn");
  });
  EXPECT_EQ(CMessageBox::show(4, nullptr, L"outer", main, 550, 200), 2);
  EXPECT_TRUE(mainDisabledInOuter);
  EXPECT_TRUE(mainDisabledInInner);
  EXPECT_TRUE(outerDisabledInInner);
  EXPECT_TRUE(outerEnabledAfterInner);
  EXPECT_TRUE(IsWindowEnabled(main));

  // An owner that was disabled before stays disabled after the box.
  EnableWindow(main, FALSE);
  after(300, [] {
    if (HostWindow* box = topWindow()) click(*box, L"okbtn");
  });
  EXPECT_EQ(CMessageBox::show(2, nullptr, L"over a disabled owner", main, 430, 170), 1);
  EXPECT_FALSE(IsWindowEnabled(main));
  EnableWindow(main, TRUE);

  // A quit request inside the loop ends the box and is posted again for the outer loop.
  after(300, [] { PostQuitMessage(7); });
  EXPECT_EQ(CMessageBox::show(2, nullptr, L"quit", main, 430, 170), 2);
  MSG msg;
  bool requeued = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      requeued = msg.wParam == 7;
      break;
    }
    DispatchMessageW(&msg);
  }
  EXPECT_TRUE(requeued);
}

}  // namespace
}  // namespace qv::gui_test

namespace qv::gui_test {
namespace {

// Keys typed into a pop-up's edit box reach the pop-up: Enter is swallowed, Escape closes it
// with 2, and what was typed is the control's text.
TEST(PopUpKeysTest, EditBoxesPassEscapeAndEnterToTheirWindow) {
  useLanguage("English");
  app::CPopUpWnd pop("xml/DecryptionWnd.xml", L"DecryptionWnd");
  ASSERT_TRUE(pop.build(nullptr, 550, 270));
  auto* edit = static_cast<framework::NativeSlot*>(pop.find(L"EditPassword"));
  bool openAfterEnter = false;
  std::wstring typed;
  after(300, [&] {
    ASSERT_TRUE(typeText(pop, L"EditPassword", L"tarnwick sample"));
    typed = text(pop, L"EditPassword");
    HWND h = static_cast<HWND>(edit->nativeHandle());
    SendMessageW(h, WM_KEYDOWN, VK_RETURN, 0);
    pump(50);
    openAfterEnter = pop.hwnd() != nullptr && IsWindowVisible(pop.hwnd());
    SendMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(pop.run(nullptr), 2);
  EXPECT_TRUE(openAfterEnter);
  EXPECT_EQ(typed, L"tarnwick sample");
}

}  // namespace
}  // namespace qv::gui_test
