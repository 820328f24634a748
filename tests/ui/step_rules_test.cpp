// The rules of the category page's check boxes, of the main window's steps and of the backup
// list's rows, without a window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/backup_rows.h"
#include "ui/category_choice.h"
#include "ui/step_flow.h"

namespace qv::ui {
namespace {

using engine::SourceKind;

// ---------------------------------------------------------------------------- CategoryChoice

// One user action on the category page: -1 is "ChkSelAll", 0..13 an option.
struct Toggle {
  int control;
  bool on;
};

TEST(CategoryChoiceTest, SelectAllFollowsTheOptionsAndNextNeedsOne) {
  struct Case {
    const char* what;
    std::vector<Toggle> actions;
    SelectAllState all;
    std::size_t chosen;
    bool next;
  };
  std::vector<Toggle> allOff;
  for (int i = 0; i < 14; ++i) allOff.push_back({i, false});
  std::vector<Toggle> offThenOneByOne = allOff;
  for (int i = 0; i < 14; ++i) offThenOneByOne.push_back({i, true});
  std::vector<Toggle> offThenOne = allOff;
  offThenOne.push_back({13, true});
  std::vector<Toggle> offThenOneOff = offThenOne;
  offThenOneOff.push_back({13, false});

  const Case cases[] = {
      {"start", {}, SelectAllState::kChecked, 14, true},
      {"one off", {{0, false}}, SelectAllState::kHalfChecked, 13, true},
      {"all off one by one", allOff, SelectAllState::kUnchecked, 0, false},
      {"then the last on", offThenOne, SelectAllState::kHalfChecked, 1, true},
      {"and off again", offThenOneOff, SelectAllState::kUnchecked, 0, false},
      {"all back one by one", offThenOneByOne, SelectAllState::kChecked, 14, true},
      {"select all off", {{-1, false}}, SelectAllState::kUnchecked, 0, false},
      {"select all over half", {{3, false}, {-1, true}}, SelectAllState::kChecked, 14, true},
      {"select all off over half", {{3, false}, {-1, false}}, SelectAllState::kUnchecked, 0, false},
      {"off twice counts once", {{5, false}, {5, false}}, SelectAllState::kHalfChecked, 13, true},
      {"out of range ignored", {{14, false}, {-2, false}}, SelectAllState::kChecked, 14, true},
  };
  for (const Case& c : cases) {
    CategoryChoice choice;
    for (const Toggle& t : c.actions) {
      if (t.control == -1) {
        choice.setAll(t.on);
      } else {
        choice.setOption(t.control, t.on);
      }
    }
    EXPECT_EQ(choice.selectAll(), c.all) << c.what;
    EXPECT_EQ(choice.chosen().count(), c.chosen) << c.what;
    EXPECT_EQ(choice.nextEnabled(), c.next) << c.what;
  }
}

// The option at page index i stands for the category with id i (the scan reads them so).
TEST(CategoryChoiceTest, OptionIndexIsTheCategoryId) {
  CategoryChoice choice;
  choice.setAll(false);
  choice.setOption(static_cast<int>(engine::ItemCategory::kWhatsAppAttachments), true);
  EXPECT_TRUE(
      choice.chosen().test(static_cast<std::size_t>(engine::ItemCategory::kWhatsAppAttachments)));
  EXPECT_TRUE(choice.option(10));
  EXPECT_FALSE(choice.option(9));
  EXPECT_FALSE(choice.option(-1));
  EXPECT_FALSE(choice.option(14));
  EXPECT_STREQ(engine::categoryOptionName(engine::ItemCategory::kWhatsAppAttachments),
               "OptWhatsAppAtts");
}

// ---------------------------------------------------------------------------------- StepFlow

enum class Ev { kNext, kCancel, kStartLocal, kStartDevice, kFirst, kWrong, kEnded, kHome };

struct Expected {
  int mainPage;
  bool scanHeader, next2, mouse;
};

void run(StepFlow& f, Ev e, std::vector<bool>* answers) {
  switch (e) {
    case Ev::kNext:
      f.nextPressed();
      break;
    case Ev::kCancel:
      f.requestCancelled();
      break;
    case Ev::kStartLocal:
      f.scanStarted(SourceKind::kLocalBackup);
      break;
    case Ev::kStartDevice:
      f.scanStarted(SourceKind::kDevice);
      break;
    case Ev::kFirst:
      answers->push_back(f.firstProgress());
      break;
    case Ev::kWrong:
      answers->push_back(f.wrongPassword());
      break;
    case Ev::kEnded:
      f.scanEnded();
      break;
    case Ev::kHome:
      f.home();
      break;
  }
}

TEST(StepFlowTest, StepTwoWaitsAndComesBackOnEveryPath) {
  struct Case {
    const char* what;
    std::vector<Ev> events;
    Expected screen;
    std::vector<bool> answers;  // of kFirst and kWrong, in order
  };
  const Case cases[] = {
      {"idle", {}, {0, false, true, true}, {}},
      {"next waits", {Ev::kNext}, {0, false, false, false}, {}},
      {"password cancelled", {Ev::kNext, Ev::kCancel}, {0, false, true, true}, {}},
      {"scan starts, still waiting", {Ev::kNext, Ev::kStartLocal}, {0, false, false, false}, {}},
      {"first progress: scan page",
       {Ev::kNext, Ev::kStartLocal, Ev::kFirst},
       {1, true, true, true},
       {true}},
      {"a second first progress changes nothing",
       {Ev::kNext, Ev::kStartLocal, Ev::kFirst, Ev::kFirst},
       {1, true, true, true},
       {true, false}},
      {"wrong password keeps waiting for the new request",
       {Ev::kNext, Ev::kStartLocal, Ev::kWrong},
       {0, false, false, false},
       {true}},
      {"wrong password, request cancelled",
       {Ev::kNext, Ev::kStartLocal, Ev::kWrong, Ev::kCancel},
       {0, false, true, true},
       {true}},
      {"wrong then right",
       {Ev::kNext, Ev::kStartLocal, Ev::kWrong, Ev::kNext, Ev::kStartLocal, Ev::kFirst},
       {1, true, true, true},
       {true, true}},
      {"backup that cannot be opened: step 2 usable again",
       {Ev::kNext, Ev::kStartLocal, Ev::kEnded},
       {0, false, true, true},
       {}},
      {"a device scan never shows the page by these messages",
       {Ev::kNext, Ev::kStartDevice, Ev::kFirst, Ev::kWrong},
       {0, false, false, false},
       {false, false}},
      {"a device scan that ends frees step 2",
       {Ev::kNext, Ev::kStartDevice, Ev::kEnded},
       {0, false, true, true},
       {}},
      {"messages without a scan change nothing",
       {Ev::kFirst, Ev::kWrong, Ev::kEnded},
       {0, false, true, true},
       {false, false}},
      {"the end of a shown scan stays on its page",
       {Ev::kNext, Ev::kStartLocal, Ev::kFirst, Ev::kEnded},
       {1, true, true, true},
       {true}},
      {"wrong password after the page showed is ignored",
       {Ev::kNext, Ev::kStartLocal, Ev::kFirst, Ev::kWrong},
       {1, true, true, true},
       {true, false}},
      {"home",
       {Ev::kNext, Ev::kStartLocal, Ev::kFirst, Ev::kEnded, Ev::kHome},
       {0, false, true, true},
       {true}},
  };
  for (const Case& c : cases) {
    StepFlow f;
    std::vector<bool> answers;
    for (Ev e : c.events) run(f, e, &answers);
    const StepScreen& s = f.screen();
    EXPECT_EQ(s.mainPage, c.screen.mainPage) << c.what;
    EXPECT_EQ(s.scanHeader, c.screen.scanHeader) << c.what;
    EXPECT_EQ(s.next2Enabled, c.screen.next2) << c.what;
    EXPECT_EQ(s.stepsTakeMouse, c.screen.mouse) << c.what;
    EXPECT_EQ(answers, c.answers) << c.what;
  }
}

TEST(StepFlowTest, StepOptionsShowTheirPages) {
  EXPECT_EQ(StepFlow::stepPageOf(L"OptStep1"), 0);
  EXPECT_EQ(StepFlow::stepPageOf(L"OptStep2"), 1);
  EXPECT_EQ(StepFlow::stepPageOf(L"OptStep3"), -1);  // always disabled: shows nothing
  EXPECT_EQ(StepFlow::stepPageOf(L"optstep1"), -1);  // names are exact
  EXPECT_EQ(StepFlow::stepPageOf(L""), -1);
}

// -------------------------------------------------------------------------------- BackupRows

std::wstring fixedFormat(const platform::CivilTime& t) {
  return std::to_wstring(t.day) + L"." + std::to_wstring(t.month) + L"." + std::to_wstring(t.year) +
         L" " + std::to_wstring(t.hour) + L"h" + std::to_wstring(t.minute);
}

backup::BackupInfo backupOf(const std::wstring& folder, const std::string& date,
                            bool encrypted = false) {
  backup::BackupInfo b;
  b.folder = folder;
  b.displayName = L"Zoë's iPhone";
  b.lastBackupDate = date;
  b.serialNumber = "C39XK1ZPHG7F";
  b.productVersion = "14.3";
  b.encrypted = encrypted;
  return b;
}

TEST(BackupRowsTest, DatesInTheUsersFormatOrAsTheyStand) {
  struct Case {
    const char* stored;
    const wchar_t* shown;
  } cases[] = {
      {"2021-03-14 09:26:53", L"14.3.2021 9h26"},
      {"2020-02-29 23:59:59", L"29.2.2020 23h59"},
      {"2019-02-29 10:00:00", L"2019-02-29 10:00:00"},  // no such day: the text as it stands
      {"2016-13-01 23:30:00", L"2016-13-01 23:30:00"},  // the engine keeps a date it cannot read
      {"2016-05-01 24:00:00", L"2016-05-01 24:00:00"},
      {"2016-05-01T23:30:00", L"2016-05-01T23:30:00"},
      {"2016-05-01 23:30:00 ", L"2016-05-01 23:30:00 "},
      {"16-05-01 23:30:00", L"16-05-01 23:30:00"},
      {"", L""},
  };
  for (const Case& c : cases) {
    BackupRows rows(&fixedFormat);
    rows.setBackups({backupOf(L"a", c.stored)}, -1);
    EXPECT_EQ(rows.row(0).date, c.shown) << c.stored;
  }
}

TEST(BackupRowsTest, RowsShowIconVersionSerialAndMeasuredSize) {
  BackupRows rows(&fixedFormat);
  EXPECT_EQ(rows.setBackups({backupOf(L"C:\\b\\plain", "2021-03-14 09:26:53"),
                             backupOf(L"C:\\b\\locked", "2020-01-01 00:00:00", true)},
                            -1),
            0);
  BackupRow plain = rows.row(0);
  EXPECT_STREQ(plain.icon, kPlainBackupIcon);
  EXPECT_EQ(plain.name, L"Zoë's iPhone");
  EXPECT_EQ(plain.version, L"14.3");
  EXPECT_EQ(plain.serial, L"C39XK1ZPHG7F");
  EXPECT_EQ(plain.size, L"");  // not measured yet
  EXPECT_STREQ(rows.row(1).icon, kEncryptedBackupIcon);

  EXPECT_EQ(rows.setSize(L"C:\\b\\locked", 3u << 20), 1);
  EXPECT_EQ(rows.row(1).size, L"3.00 MB");
  EXPECT_EQ(rows.setSize(L"C:\\b\\gone", 10), -1);  // a measurement for a backup since removed
  EXPECT_EQ(rows.row(0).size, L"");
}

TEST(BackupRowsTest, RefreshSelectsTheSameBackupWhereverItMoved) {
  BackupRows rows(&fixedFormat);
  EXPECT_EQ(rows.setBackups({}, -1), -1);  // nothing to select
  rows.setBackups(
      {backupOf(L"old", "2020-01-01 00:00:00"), backupOf(L"mid", "2021-01-01 00:00:00")}, -1);
  ASSERT_EQ(rows.setSize(L"mid", 2048), 1);
  // A newer backup appeared: the selected one moved down a row, and every size is measured anew.
  std::vector<backup::BackupInfo> fresh = {backupOf(L"new", "2024-01-01 00:00:00"),
                                           backupOf(L"old", "2020-01-01 00:00:00"),
                                           backupOf(L"mid", "2021-01-01 00:00:00")};
  EXPECT_EQ(rows.setBackups(fresh, 1), 2);
  EXPECT_EQ(rows.row(2).size, L"");
  // The selected backup was removed: the first row.
  EXPECT_EQ(rows.setBackups({backupOf(L"new", "2024-01-01 00:00:00")}, 1), 0);
  // A selection that named no row: the first row.
  EXPECT_EQ(rows.setBackups({backupOf(L"a", ""), backupOf(L"b", "")}, 7), 0);
  EXPECT_EQ(rows.setBackups({}, 0), -1);
}

}  // namespace
}  // namespace qv::ui
