// The program's one top-level window. It owns the engine and the current recovery source, hosts
// the four page controllers (registered under "ItunesVtrWnd", "SpecifyFileVtrWnd", "ScanVtrWnd"
// and "PreviewVtrWnd"), shows the three steps, carries the header's scan tool bar and assist
// menu, takes the private messages by which the scan worker and the menu reach it
// (ui/window_messages.h), refreshes every page's texts on a language change, and asks the scan
// page before it closes.
//
// Enter and Escape do nothing here. Hit testing is the framework's: the sizing border and the
// caption band, where buttons, options, text labels, edit boxes and check boxes stay client.
#pragma once

#include <windows.h>

#include <memory>

#include "app/assist_menu.h"
#include "app/player_processes.h"
#include "engine/recovery_engine.h"
#include "engine/recovery_source.h"
#include "framework/window_host_win.h"
#include "ui/itunes_backup_vrt_wnd.h"
#include "ui/preview_vrt_wnd.h"
#include "ui/scan_vrt_wnd.h"
#include "ui/specify_file_vrt_wnd.h"
#include "ui/step_navigator.h"

namespace qv::app {

class CMainWnd : public framework::HostWindow {
 public:
  static constexpr wchar_t kTitle[] = L"Quenvale Tarnwick";
  // Visible, overlapped with caption, system menu, sizing border, minimise and maximise boxes;
  // an application window with a taskbar button and a static edge.
  static constexpr DWORD kStyle = 0x10CF0000;
  static constexpr DWORD kExStyle = 0x00060000;
  static constexpr int kWidth = 1000;
  static constexpr int kHeight = 665;
  static constexpr int kIconResource = 102;

  // Builds the engine (which finds the backups) and the pages.
  CMainWnd(const engine::EngineSetup& setup, PlayerProcesses& players);
  ~CMainWnd() override;

  // Builds "xml/skin.xml" and the native window (1000 x 665 design units, icon 102), centres it
  // on the screen, shows it and gives it the keyboard focus. False when it could not be made.
  bool createWindow();
  // The program's main window: when its native window goes it posts the quit message (code 0)
  // and deletes itself.
  void endProgramWhenDestroyed() { endsProgram_ = true; }

  engine::RecoveryEngine& engine() { return engine_; }
  ui::CItunesBackupVrtWnd& backupPage() { return backupPage_; }
  ui::CSpecifyFileVrtWnd& categoryPage() { return categoryPage_; }
  ui::CScanVrtWnd& scanPage() { return scanPage_; }
  ui::StepNavigator& steps() { return steps_; }
  AssistMenu* assistMenu() { return menu_.get(); }

 protected:
  void onWindowInit() override;
  bool handleNotify(const framework::Notification& n) override;
  bool onKeyDown(UINT vk) override;
  bool onCloseRequest() override;
  LRESULT handleMessage(UINT msg, WPARAM w, LPARAM l, bool* handled) override;
  void onFinalMessage() override;

 private:
  // The "MainWnd" section's texts to the window's controls, disabled ones included.
  void applyOwnTexts();
  void languageRefresh();

  engine::RecoveryEngine engine_;
  std::unique_ptr<engine::IPhoneRecoveryParse> source_;
  ui::StepNavigator steps_;
  ui::CItunesBackupVrtWnd backupPage_;
  ui::CSpecifyFileVrtWnd categoryPage_;
  ui::CScanVrtWnd scanPage_;
  ui::CPreviewVrtWnd previewPage_;
  std::unique_ptr<AssistMenu> menu_;
  bool endsProgram_ = false;
};

}  // namespace qv::app
