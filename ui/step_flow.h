// The main window's step rules, apart from drawing: which step page a step option shows, and
// what step 2's "Next", the password request and the scan's first messages do to "BtnNext2", to
// the mouse input of "MainTabPage", to the page it shows and to the header.
//
//   Next on step 2         BtnNext2 disabled, MainTabPage deaf to the mouse, until:
//   request cancelled      ... step 2 usable again
//   first progress         ... the scan page with the scan header, step 2 usable again
//   wrong password         ... the password is asked again (cancelled: step 2 usable again)
//   scan ended without     ... step 2 usable again: a backup that cannot be opened, or a scan
//   a first progress           stopped before its first report, must not leave the user stuck
//   Home                   the step area with the main header
//
// The first progress and the wrong password concern only a scan of a local backup.
#pragma once

#include <string_view>

#include "engine/source_factory.h"

namespace qv::ui {

struct StepScreen {
  int mainPage = 0;            // "MainTabPage": 0 the step area, 1 the scan page
  bool scanHeader = false;     // "HorLayoutScan" shown instead of "HorLayoutMain"
  bool next2Enabled = true;    // "BtnNext2"
  bool stepsTakeMouse = true;  // "MainTabPage" passes mouse input to its children
};

class StepFlow {
 public:
  // The "TabPage" page a step option shows: 0 for "OptStep1", 1 for "OptStep2"; -1 for
  // "OptStep3" (always disabled) and any other name.
  static int stepPageOf(std::wstring_view optionName);

  const StepScreen& screen() const { return screen_; }
  // A scan was asked for and has not reached the scan page yet.
  bool waitingForScan() const { return waiting_; }

  // "Next" on step 2: the page waits for the password request and the scan.
  void nextPressed();
  // The password request was cancelled.
  void requestCancelled();
  // The start message went out for a scan of this kind.
  void scanStarted(engine::SourceKind kind);
  // The first progress of the scan (0x040B, 0). True when it applies: a local backup's scan
  // still waiting for it; the scan page then shows.
  bool firstProgress();
  // The password was wrong (0x040B, 1). True when the password is to be asked for again.
  bool wrongPassword();
  // The scan ended; if it never reached the scan page, step 2 is usable again.
  void scanEnded();
  // "Home" on the scan page.
  void home();

 private:
  void stepTwoUsable();

  StepScreen screen_;
  engine::SourceKind kind_ = engine::SourceKind::kLocalBackup;
  bool waiting_ = false;
};

}  // namespace qv::ui
