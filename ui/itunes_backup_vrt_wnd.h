// The backup list page controller, "ItunesVtrWnd": step 1. It lists the backups the engine found
// (newest first, across every default backup root) with their icons, dates in the user's short
// format, product versions, sizes (measured on a worker thread after the list shows) and serial
// numbers; "BtnRefresh" lists the roots again; "Next" hands the chosen backup to the scan page;
// "Select" picks a backup folder by hand, asking whether to try again when the folder holds no
// backup.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/recovery_engine.h"
#include "framework/list.h"
#include "ui/backup_rows.h"
#include "ui/base_vrt_wnd.h"
#include "ui/folder_picker.h"
#include "ui/step_navigator.h"

namespace qv::ui {

class CScanVrtWnd;

class CItunesBackupVrtWnd : public CBaseVrtWnd {
 public:
  // The caption of the folder picker: fixed, not from the language.
  static constexpr wchar_t kPickerCaption[] =
      L"Select the iTunes Backup File from other folder to recover your data.";

  CItunesBackupVrtWnd(framework::HostWindow& window, engine::RecoveryEngine& engine,
                      CScanVrtWnd& scan, StepNavigator& steps);
  // Stops the size measurement and waits for it.
  ~CItunesBackupVrtWnd() override;

  void init();
  void languageRefresh();
  // Lists the backup roots again; the selected backup stays selected where it now is.
  void refresh();

  void setFolderPicker(FolderPicker picker) { picker_ = std::move(picker); }
  const BackupRows& rows() const { return rows_; }
  // Whether every size of the list has been measured (or the measurement ended).
  bool sizesMeasured() const { return sizesDone_; }

 private:
  void showRows(int select);
  void measureSizes();
  void stopMeasuring();
  void sizeMeasured(const std::wstring& folder, std::uint64_t bytes);
  void onNext();
  void onSelectFolder();

  engine::RecoveryEngine& engine_;
  CScanVrtWnd& scan_;
  StepNavigator& steps_;
  FolderPicker picker_;
  BackupRows rows_;
  framework::List* list_ = nullptr;
  std::thread sizer_;
  std::atomic<int> sizerStop_{0};
  bool sizesDone_ = true;
  int generation_ = 0;  // of the list being measured
  // Lets the sizes posted to the UI thread find out whether the page still exists.
  std::shared_ptr<CItunesBackupVrtWnd*> self_;
};

}  // namespace qv::ui
