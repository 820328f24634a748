// The program's main window driven as a user drives it, one test per flow, on two sample
// backups in the prefix's roaming application-data folder (a plain one and a newer
// password-protected one): step 1's list, step 2's categories, the password window, "Select",
// the language switch, Enter and Escape, closing. Each state is written as a screenshot in both
// languages.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_wnd.h"
#include "app/message_box.h"
#include "app/player_processes.h"
#include "app/settings.h"
#include "app/window_messages.h"
#include "framework/container.h"
#include "framework/controls.h"
#include "framework/list.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "samples/backup_sample.h"
#include "samples/encrypt_twin.h"
#include "tests/gui/gui_driver.h"
#include "tests/gui/gui_environment.h"
#include "ui/backup_rows.h"
#include "ui/decryption_wnd.h"

namespace qv::gui_test {
namespace {

using framework::List;
using framework::TabLayout;

void removeFolderTree(const std::string& path) {
  std::wstring from = platform::toWide(path);
  from.push_back(L'\0');  // a list of names, ended by an empty one
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

// The two default roots: the roaming one holds the samples, the profile one starts empty.
const std::vector<std::string>& roots() {
  static const std::vector<std::string> r = platform::defaultBackupRoots();
  return r;
}

std::string plainSample() {
  return platform::joinPath(roots().at(0), samples::sampleBackups().at(1).folderName);
}

// Acts on the pop-ups a flow opens, in the order they must appear: each step waits for a pop-up
// of its layout to be the window on top (whatever modal loop runs meanwhile) and acts on it.
class PopUpScript {
 public:
  struct Step {
    std::string layout;
    std::function<void(app::CPopUpWnd&)> act;
  };
  explicit PopUpScript(std::vector<Step> steps) : steps_(std::move(steps)) { poll(); }
  bool done() const { return next_ == steps_.size(); }
  // Pop-ups met that were not the next step's, in order.
  const std::vector<std::string>& unexpected() const { return unexpected_; }

 private:
  void poll() {
    after(50, [this] {
      if (done()) return;
      auto* top = dynamic_cast<app::CPopUpWnd*>(topWindow());
      if (top && top->hwnd() && IsWindowVisible(top->hwnd())) {
        if (top->layout() == steps_[next_].layout) {
          Step& step = steps_[next_++];
          pump(100);  // painted before it is shot or acted on
          step.act(*top);
        } else if (top->hwnd() != lastUnexpected_) {
          lastUnexpected_ = top->hwnd();
          unexpected_.push_back(top->layout());
        }
      }
      poll();
    });
  }
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::vector<std::string> unexpected_;
  HWND lastUnexpected_ = nullptr;
};

constexpr char kPassword[] = "xml/DecryptionWnd.xml";
constexpr char kWarning[] = "xml/MessageBox_Warning.xml";
constexpr char kInformation[] = "xml/MessageBox_Information.xml";
constexpr char kQuestion[] = "xml/MessageBox_Question.xml";

class ProgramFlow : public testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(roots().size(), 2u);
    for (const std::string& root : roots()) removeFolderTree(root);
    ASSERT_EQ(samples::writeSampleBackup(roots()[0], samples::sampleBackups().at(1)), 0);
    ASSERT_EQ(samples::writeEncryptedSample(roots()[0]), 0);
  }

  void SetUp() override {
    language = GetParam();
    useLanguage(language);
    open();
  }
  void TearDown() override { main.reset(); }

  void open() {
    engine::EngineSetup setup;
    setup.decryptionTool = QV_DECRYPT_TOOL;
    main = std::make_unique<app::CMainWnd>(setup, players);
    ASSERT_TRUE(main->createWindow());
    SetWindowPos(main->hwnd(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pump(150);
  }

  std::string shot(const std::string& what) const {
    return "program-" + what + "-" + language + "-" + dpiPercent(main->dpi());
  }
  bool shoot(const std::string& what) { return screenshot(main->hwnd(), shot(what)); }
  static std::function<void(app::CPopUpWnd&)> shootAnd(std::string name, const wchar_t* button,
                                                       std::string language) {
    return [name, button, language](app::CPopUpWnd& w) {
      EXPECT_TRUE(
          screenshot(w.hwnd(), "program-" + name + "-" + language + "-" + dpiPercent(w.dpi())));
      EXPECT_TRUE(click(w, button)) << name;
    };
  }
  static std::function<void(app::CPopUpWnd&)> typeAndOk(std::wstring password) {
    return [password](app::CPopUpWnd& w) {
      if (!password.empty()) {
        EXPECT_TRUE(typeText(w, L"EditPassword", password));
      }
      EXPECT_TRUE(click(w, L"BtnOK"));
    };
  }

  List& list() { return *main->window().findAs<List>(L"BackupFileList"); }
  std::wstring rowText(std::size_t row, const wchar_t* column) {
    framework::Control* c = list().elementAt(row)->find(column);
    return c ? c->text() : std::wstring();
  }
  int stepPage() { return main->window().findAs<TabLayout>(L"TabPage")->selectedIndex(); }
  int mainPage() { return main->window().findAs<TabLayout>(L"MainTabPage")->selectedIndex(); }
  bool stepsTakeMouse() {
    return main->window().findAs<TabLayout>(L"MainTabPage")->mouseChildEnabled();
  }
  // Step 1: chooses a row and goes on with "Next".
  void chooseBackup(std::size_t row) {
    ASSERT_TRUE(click(*main, list().elementAt(row)));
    ASSERT_EQ(list().selectedIndex(), static_cast<std::int64_t>(row));
    ASSERT_TRUE(click(*main, L"BtnNext1"));
    ASSERT_TRUE(checked(*main, L"OptStep2"));
    ASSERT_EQ(stepPage(), 1);
  }

  std::string language;
  app::PlayerProcesses players;
  std::unique_ptr<app::CMainWnd> main;
};

// Step 1 lists both backups newest first, across both default roots after a refresh; "Next"
// takes the chosen one to step 2, and the step options switch pages.
TEST_P(ProgramFlow, BackupListNewestFirstAndNext) {
  ASSERT_EQ(list().elementCount(), 2u);
  const ui::BackupRows& rows = main->backupPage().rows();
  EXPECT_TRUE(rows.backup(0).encrypted);
  EXPECT_FALSE(rows.backup(1).encrypted);
  EXPECT_GT(rows.backup(0).lastBackupDate, rows.backup(1).lastBackupDate);
  EXPECT_STREQ(rows.row(0).icon, ui::kEncryptedBackupIcon);
  EXPECT_STREQ(rows.row(1).icon, ui::kPlainBackupIcon);
  EXPECT_EQ(rowText(1, L"BackupName"), L"Zo\u00EB's iPhone");
  EXPECT_EQ(rowText(1, L"BackupVersion"), L"17.2");
  EXPECT_EQ(rowText(1, L"BackupSerial"), L"C39XK1ZPHG7F");
  platform::CivilTime t;
  ASSERT_TRUE(ui::parseBackupDate(rows.backup(1).lastBackupDate, &t));
  EXPECT_EQ(rowText(1, L"BackupDate"), ui::shortDateTime(t));  // the user's format
  EXPECT_TRUE(waitFor([&] { return main->backupPage().sizesMeasured(); }, 20000));
  for (std::size_t r = 0; r < 2; ++r) {
    const std::wstring size = rowText(r, L"BackupSize");
    EXPECT_TRUE(size.size() > 3 && size.substr(size.size() - 2) == L"KB") << platform::toUtf8(size);
  }
  EXPECT_EQ(list().selectedIndex(), 0);
  EXPECT_TRUE(shoot("step1"));

  // A backup made meanwhile, in the other edition's folder, appears on a refresh, on top; the
  // selection stays on the same backup.
  ASSERT_TRUE(click(*main, list().elementAt(1)));
  const std::string fresh =
      platform::joinPath(roots()[1], "0a1b2c3d4e5f60718293a4b5c6d7e8f901234567");
  {
    samples::BackupBuilder b(fresh, samples::ManifestLayout::kDb);
    samples::DeviceInfo info;
    info.displayName = "Family iPad";
    info.lastBackupDate = "2024-06-30T12:00:00Z";
    info.productVersion = "17.5";
    info.phoneNumber.reset();
    ASSERT_EQ(samples::writeInfoPlist(b.folder(), samples::infoPlistText(info)), 0);
    ASSERT_EQ(b.finish(), 0);
  }
  ASSERT_TRUE(click(*main, L"BtnRefresh"));
  ASSERT_EQ(list().elementCount(), 3u);
  EXPECT_EQ(rowText(0, L"BackupName"), L"Family iPad");
  EXPECT_EQ(list().selectedIndex(), 2);
  EXPECT_TRUE(waitFor([&] { return main->backupPage().sizesMeasured(); }, 20000));
  EXPECT_TRUE(shoot("step1-refreshed"));
  removeFolderTree(fresh);
  ASSERT_TRUE(click(*main, L"BtnRefresh"));
  ASSERT_EQ(list().elementCount(), 2u);

  chooseBackup(1);
  EXPECT_EQ(main->scanPage().chosenBackup().folder, platform::toWide(plainSample()));
  ASSERT_TRUE(click(*main, L"OptStep1"));
  EXPECT_EQ(stepPage(), 0);
  ASSERT_TRUE(click(*main, L"OptStep2"));
  EXPECT_EQ(stepPage(), 1);
  ASSERT_TRUE(click(*main, L"OptStep3"));  // always disabled
  EXPECT_EQ(stepPage(), 1);
  EXPECT_TRUE(checked(*main, L"OptStep2"));
  EXPECT_FALSE(checked(*main, L"OptStep3"));
}

// Step 2: unchecking "ChkSelAll" unchecks all fourteen and disables "Next"; one option checked
// makes it half-checked and "Next" usable; a click on the half-checked box chooses all again.
TEST_P(ProgramFlow, CategoriesUncheckAllThenOne) {
  ASSERT_TRUE(click(*main, L"OptStep2"));
  ASSERT_EQ(stepPage(), 1);
  auto* all = main->window().findAs<framework::CheckBox>(L"ChkSelAll");
  ASSERT_NE(all, nullptr);
  auto optionName = [](int i) {
    return platform::toWide(engine::categoryOptionName(static_cast<engine::ItemCategory>(i)));
  };
  ASSERT_TRUE(click(*main, L"ChkSelAll"));
  EXPECT_FALSE(all->selected());
  for (int i = 0; i < engine::kCategoryCount; ++i) EXPECT_FALSE(checked(*main, optionName(i))) << i;
  EXPECT_FALSE(enabled(*main, L"BtnNext2"));
  EXPECT_TRUE(shoot("step2-none"));

  ASSERT_TRUE(click(*main, L"OptNotes"));
  EXPECT_TRUE(all->selected());
  EXPECT_TRUE(all->halfChecked());
  EXPECT_TRUE(enabled(*main, L"BtnNext2"));
  EXPECT_EQ(main->categoryPage().chosen().count(), 1u);
  EXPECT_TRUE(
      main->categoryPage().chosen().test(static_cast<std::size_t>(engine::ItemCategory::kNotes)));
  EXPECT_TRUE(shoot("step2-one"));

  ASSERT_TRUE(click(*main, L"ChkSelAll"));
  EXPECT_TRUE(all->selected());
  EXPECT_FALSE(all->halfChecked());
  for (int i = 0; i < engine::kCategoryCount; ++i) EXPECT_TRUE(checked(*main, optionName(i))) << i;
  EXPECT_EQ(main->categoryPage().chosen().count(), 14u);

  // One by one to none: half-checked until the last goes.
  for (int i = 0; i < engine::kCategoryCount; ++i) {
    ASSERT_TRUE(click(*main, optionName(i)));
    const bool last = i == engine::kCategoryCount - 1;
    EXPECT_EQ(all->selected(), !last) << i;
    EXPECT_EQ(all->halfChecked(), !last) << i;
    EXPECT_EQ(enabled(*main, L"BtnNext2"), !last) << i;
  }
}

// The password window of the encrypted backup: cancelled, step 2 is usable again; then an empty
// password (the warning, asked again), a wrong one (told, asked again), an empty one let through
// by closing the warning (wrong again), and the right one, which reaches the scan page.
TEST_P(ProgramFlow, PasswordCancelEmptyWrongThenRight) {
  std::vector<std::wstring> opened;
  ui::CDecryptionWnd::pageOpener() = [&](const std::wstring& p) { opened.push_back(p); };
  chooseBackup(0);
  {
    PopUpScript script({{kPassword, [&](app::CPopUpWnd& w) {
                           EXPECT_TRUE(screenshot(w.hwnd(), shot("password")));
                           auto* edit =
                               static_cast<framework::NativeSlot*>(w.find(L"EditPassword"));
                           EXPECT_EQ(GetFocus(), static_cast<HWND>(edit->nativeHandle()));
                           EXPECT_TRUE(click(w, L"BtnRestoreLink"));  // the window stays
                           EXPECT_TRUE(IsWindowVisible(w.hwnd()));
                           EXPECT_TRUE(click(w, L"BtnCancel"));
                         }}});
    ASSERT_TRUE(click(*main, L"BtnNext2"));
    EXPECT_TRUE(waitFor([&] { return script.done(); }, 10000));
  }
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_NE(opened[0].find(L"tutorial"), std::wstring::npos);
  EXPECT_TRUE(enabled(*main, L"BtnNext2"));
  EXPECT_TRUE(stepsTakeMouse());
  EXPECT_EQ(stepPage(), 1);
  EXPECT_EQ(mainPage(), 0);

  PopUpScript script({
      {kPassword, typeAndOk(L"")},
      {kWarning, shootAnd("password-empty", L"okbtn", language)},
      {kPassword, typeAndOk(L"not the password")},
      {kInformation, shootAnd("password-wrong", L"okbtn", language)},
      {kPassword, typeAndOk(L"")},
      {kWarning, [](app::CPopUpWnd& w) { EXPECT_TRUE(click(w, L"closebtn")); }},
      {kInformation, [](app::CPopUpWnd& w) { EXPECT_TRUE(click(w, L"okbtn")); }},
      {kPassword, typeAndOk(L"tarnwick sample")},
  });
  ASSERT_TRUE(click(*main, L"BtnNext2"));
  EXPECT_TRUE(waitFor([&] { return script.done(); }, 120000));
  EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front();
  ASSERT_TRUE(waitFor([&] { return mainPage() == 1; }, 120000));
  EXPECT_TRUE(visible(*main, L"HorLayoutScan"));
  EXPECT_FALSE(visible(*main, L"HorLayoutMain"));
  EXPECT_TRUE(enabled(*main, L"BtnNext2"));
  EXPECT_TRUE(stepsTakeMouse());
  EXPECT_EQ(main->scanPage().password(), L"tarnwick sample");
  pump(300);
  EXPECT_TRUE(shoot("scan-started"));
  ASSERT_TRUE(waitFor([&] { return visible(*main, L"ReocveryToolBar"); }, 120000));
  EXPECT_TRUE(main->scanPage().producedItems());
  EXPECT_FALSE(main->scanPage().results().cameraRoll.empty());
  // The statistics label counts every item found, all of them checked.
  std::size_t items = 0;
  for (int c = 0; c < engine::kCategoryCount; ++c)
    items +=
        engine::summarize(main->scanPage().results(), static_cast<engine::ItemCategory>(c)).items;
  const std::wstring statistics = text(*main, L"LblStatistics");
  EXPECT_NE(statistics.find(L" " + std::to_wstring(items) + L" "), std::wstring::npos)
      << platform::toUtf8(statistics) << " / " << items;
  EXPECT_TRUE(shoot("scan-ended"));
  EXPECT_EQ(
      text(*main, L"LblPercent"),
      std::to_wstring(static_cast<framework::Progress*>(main->find(L"ProgressScan"))->value()) +
          L"%");

  // Closing after a scan that found items asks first; Cancel keeps the window.
  PopUpScript exit({{kWarning, [&](app::CPopUpWnd& w) {
                       EXPECT_TRUE(visible(w, L"cancelbtn"));
                       EXPECT_EQ(text(w, L"message"), app::Settings::get().message(L"MSG0511"));
                       EXPECT_TRUE(screenshot(w.hwnd(), shot("exit-question")));
                       EXPECT_TRUE(click(w, L"cancelbtn"));
                     }}});
  PostMessageW(main->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(waitFor([&] { return exit.done(); }, 10000));
  pump(100);
  EXPECT_NE(main->hwnd(), nullptr);
  ui::CDecryptionWnd::pageOpener() = nullptr;
}

// "Select" on a folder that holds no backup asks whether to try again: OK picks again (here the
// plain sample, which goes to step 2); Cancel stays on step 1.
TEST_P(ProgramFlow, SelectAFolderWithoutABackup) {
  const std::string empty = platform::joinPath(outputFolder(), "not-a-backup");
  ASSERT_EQ(platform::createFolders(empty), 0);
  std::vector<std::wstring> answers = {platform::toWide(empty), platform::toWide(plainSample())};
  std::vector<std::wstring> captions;
  main->backupPage().setFolderPicker([&](HWND owner, const std::wstring& caption) {
    EXPECT_EQ(owner, main->hwnd());
    captions.push_back(caption);
    std::wstring next = answers.empty() ? std::wstring() : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return next;
  });
  {
    PopUpScript script({{kQuestion, [&](app::CPopUpWnd& w) {
                           EXPECT_EQ(text(w, L"title"), L"Question");
                           EXPECT_EQ(text(w, L"message"),
                                     L"Can not found the backup file, do you want to try again?");
                           EXPECT_TRUE(screenshot(w.hwnd(), shot("select-retry")));
                           EXPECT_TRUE(click(w, L"okbtn"));
                         }}});
    ASSERT_TRUE(click(*main, L"BtnSelDir"));
    EXPECT_TRUE(waitFor([&] { return script.done(); }, 10000));
  }
  ASSERT_EQ(captions.size(), 2u);
  EXPECT_EQ(captions[0], ui::CItunesBackupVrtWnd::kPickerCaption);
  EXPECT_EQ(stepPage(), 1);
  EXPECT_EQ(main->scanPage().chosenBackup().folder, platform::toWide(plainSample()));
  EXPECT_EQ(main->scanPage().chosenBackup().serialNumber, "C39XK1ZPHG7F");

  ASSERT_TRUE(click(*main, L"OptStep1"));
  answers = {platform::toWide(empty)};
  {
    PopUpScript script(
        {{kQuestion, [](app::CPopUpWnd& w) { EXPECT_TRUE(click(w, L"cancelbtn")); }}});
    ASSERT_TRUE(click(*main, L"BtnSelDir"));
    EXPECT_TRUE(waitFor([&] { return script.done(); }, 10000));
  }
  EXPECT_EQ(captions.size(), 3u);  // no new pick after Cancel
  EXPECT_EQ(stepPage(), 0);
  ASSERT_TRUE(click(*main, L"BtnSelDir"));  // the picker cancelled: nothing happens
  EXPECT_EQ(captions.size(), 4u);
  EXPECT_EQ(stepPage(), 0);
}

INSTANTIATE_TEST_SUITE_P(Languages, ProgramFlow, testing::Values("English", "SimplifiedChinese"));

class ProgramWindow : public ProgramFlow {};

// The language chosen in the assist menu reaches every page, step 2 and disabled controls
// included, and the way back works the same.
TEST_P(ProgramWindow, LanguageSwitchReachesEveryPage) {
  auto switchTo = [&](const wchar_t* name) {
    app::AssistMenu* menu = main->assistMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(click(*main, L"BtnAssist"));
    ASSERT_TRUE(waitFor([&] { return menu->session().isOpen(); }));
    HostWindow* top = menu->session().level(0);
    top->find(L"item_language")->setVisible(true);  // hidden by the layout
    pump(50);
    POINT p;
    ASSERT_TRUE(controlCentre(*top, L"item_language", &p));
    hover(*top, p);
    ASSERT_TRUE(waitFor([&] { return menu->session().level(1) != nullptr; }));
    ASSERT_TRUE(click(*menu->session().level(1), name));
    ASSERT_TRUE(waitFor([&] { return !menu->session().isOpen(); }));
    pump(100);
  };
  const Section zhMain = languageSection("SimplifiedChinese", L"MainWnd");
  const Section zhPage1 = languageSection("SimplifiedChinese", L"PageItunesBackup");
  const Section zhPage2 = languageSection("SimplifiedChinese", L"PageSpecifyFile");
  const Section enPage2 = languageSection("English", L"PageSpecifyFile");
  ASSERT_TRUE(click(*main, L"OptStep2"));
  ASSERT_TRUE(click(*main, L"OptMessages"));  // a choice that the switch must keep

  switchTo(L"SimplifiedChinese");
  EXPECT_EQ(app::Settings::get().currentLanguage(), L"SimplifiedChinese");
  EXPECT_EQ(text(*main, L"OptStep1"), zhMain.at(L"OptStep1"));
  EXPECT_EQ(text(*main, L"OptStep3"), zhMain.at(L"OptStep3"));  // disabled, changed all the same
  EXPECT_EQ(text(*main, L"BackupListHeader1"), zhPage1.at(L"BackupListHeader1"));
  EXPECT_EQ(text(*main, L"BtnRefresh"), zhPage1.at(L"BtnRefresh"));
  EXPECT_EQ(text(*main, L"OptCameraRoll"), zhPage2.at(L"OptCameraRoll"));
  EXPECT_EQ(text(*main, L"BtnNext2"), zhPage2.at(L"BtnNext2"));
  EXPECT_FALSE(checked(*main, L"OptMessages"));
  EXPECT_TRUE(shoot("switched-step2"));
  ASSERT_TRUE(click(*main, L"OptStep1"));
  EXPECT_TRUE(shoot("switched-step1"));

  switchTo(L"English");
  EXPECT_EQ(app::Settings::get().currentLanguage(), L"English");
  EXPECT_EQ(text(*main, L"OptCameraRoll"), enPage2.at(L"OptCameraRoll"));
  EXPECT_EQ(text(*main, L"OptStep1"), languageSection("English", L"MainWnd").at(L"OptStep1"));
}

// Enter and Escape do nothing on either step: no page changes, nothing opens, nothing closes.
TEST_P(ProgramWindow, EnterAndEscapeDoNothing) {
  for (const wchar_t* step : {L"OptStep1", L"OptStep2"}) {
    ASSERT_TRUE(click(*main, step));
    const int page = stepPage();
    for (UINT key : {UINT{VK_RETURN}, UINT{VK_ESCAPE}}) {
      pressKey(*main, key);
      pump(100);
      ASSERT_NE(main->hwnd(), nullptr);
      EXPECT_TRUE(IsWindowVisible(main->hwnd()));
      EXPECT_EQ(topWindow(), main.get());
      EXPECT_EQ(stepPage(), page);
      EXPECT_TRUE(checked(*main, step));
    }
  }
}

// Before any scan the window closes at once: by the system menu's close and by a close request.
TEST_P(ProgramWindow, ClosesBeforeAnyScanWithoutAQuestion) {
  bool asked = false;
  after(2000, [&] {
    if (auto* pop = dynamic_cast<app::CPopUpWnd*>(topWindow())) {
      asked = true;
      click(*pop, L"cancelbtn");
    }
  });
  SendMessageW(main->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(waitFor([&] { return main->hwnd() == nullptr; }, 3000));
  EXPECT_FALSE(asked);
  main.reset();
  open();
  PostMessageW(main->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(waitFor([&] { return main->hwnd() == nullptr; }, 3000));
  EXPECT_FALSE(asked);
  pump(2100);  // the guard has looked
  EXPECT_FALSE(asked);
}

// A scan whose source cannot start (here the device source, which has no device layer yet)
// shows its warning, and step 2 is usable again: "Next" and the mouse come back.
TEST_P(ProgramWindow, ASourceThatCannotStartGivesStepTwoBack) {
  ASSERT_TRUE(click(*main, L"OptStep2"));
  ui::StepNavigator& steps = main->steps();
  steps.flow().nextPressed();
  steps.apply();
  steps.flow().scanStarted(engine::SourceKind::kDevice);
  EXPECT_FALSE(enabled(*main, L"BtnNext2"));
  EXPECT_FALSE(stepsTakeMouse());
  PopUpScript script({{kWarning, [&](app::CPopUpWnd& w) {
                         EXPECT_EQ(text(w, L"message"), app::Settings::get().message(L"MSG0512"));
                         EXPECT_TRUE(screenshot(w.hwnd(), shot("cannot-open")));
                         EXPECT_TRUE(click(w, L"okbtn"));
                       }}});
  PostMessageW(main->hwnd(), app::kMsgStartScan, static_cast<WPARAM>(engine::SourceKind::kDevice),
               0);
  EXPECT_TRUE(waitFor([&] { return script.done(); }, 10000));
  EXPECT_TRUE(waitFor([&] { return enabled(*main, L"BtnNext2") && stepsTakeMouse(); }, 5000));
  EXPECT_EQ(mainPage(), 0);
  EXPECT_EQ(stepPage(), 1);
}

INSTANTIATE_TEST_SUITE_P(English, ProgramWindow, testing::Values("English"));

}  // namespace
}  // namespace qv::gui_test
