// The scan page controller, "ScanVtrWnd": the third step.
//
// What it does now: it holds the chosen backup, its password and the source kind; on the start
// message it creates the recovery source through the factory and runs the engine's scan sequence
// on a worker thread, whose every report reaches the UI thread as a message to the main window
// (percent, first progress, wrong password, a source that could not start, counts, the end);
// it shows the percent in the header, pauses, resumes and stops the scan, answers the window's
// exit question, and goes Home. It keeps the scan's results.
//
// Not built yet (the scan page comes in full later): the category tree and its counts, the item
// list, checking and unchecking items, the deleted-only filter, export and print. The tree-count
// and default-category messages are taken but show nothing but the fact that items were found;
// the statistics label shows the finished scan's items, all checked as a scan leaves them.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "backup/backup_info.h"
#include "engine/recovery_engine.h"
#include "engine/recovery_source.h"
#include "engine/scan_results.h"
#include "engine/scan_sequence.h"
#include "engine/source_factory.h"
#include "export/statistics.h"
#include "ui/base_vrt_wnd.h"
#include "ui/step_navigator.h"

namespace qv::ui {

class CSpecifyFileVrtWnd;
class CPreviewVrtWnd;

class CScanVrtWnd : public CBaseVrtWnd {
 public:
  CScanVrtWnd(framework::HostWindow& window, engine::RecoveryEngine& engine,
              std::unique_ptr<engine::IPhoneRecoveryParse>& currentSource, StepNavigator& steps);
  // Stops a running scan and waits for its worker.
  ~CScanVrtWnd() override;
  void setPages(CSpecifyFileVrtWnd* categories, CPreviewVrtWnd* preview);

  void init();
  void languageRefresh();

  // The backup chosen on step 1 and the password of step 2.
  backup::BackupInfo& chosenBackup() { return chosen_; }
  void setPassword(std::wstring password) { password_ = std::move(password); }
  const std::wstring& password() const { return password_; }
  engine::SourceKind sourceKind() const { return kind_; }

  // ---- the main window's messages
  void startScan(WPARAM kind);           // the start message
  void showPercent(int percent);         // the worker's new percent
  void showWaitingPanel();               // the first progress arrived
  void refreshTreeCounts();              // a category completed
  void selectDefaultNode(int category);  // a category produced items
  void endOfScan(int lastResult);        // the scan ended (any way but a wrong password)
  void startFailed();                    // the source could not start
  void wrongPasswordArrived();           // the worker ended on a wrong password

  // ---- the header's buttons and the close handshake
  void pauseOrResume();
  void stop();
  // 1 lets the window close (a running scan is then stopped and waited for), 2 keeps it.
  int exitConfirmation();

  bool scanRunning() const { return control_.finished.load() == 0; }
  bool paused() const { return paused_; }
  // Whether the last scan found items (a category produced some).
  bool producedItems() const { return producedItems_; }
  // The results of the last scan; read them only once it has ended.
  const engine::ScanResults& results() const { return results_; }

 private:
  class Reporter;
  void home();
  void resetPage();
  void setScanLabels();
  void showStatistics();
  void animate(bool on);
  void waitForWorker();
  void joinWorker();

  engine::RecoveryEngine& engine_;
  std::unique_ptr<engine::IPhoneRecoveryParse>& source_;
  StepNavigator& steps_;
  CSpecifyFileVrtWnd* categories_ = nullptr;
  CPreviewVrtWnd* preview_ = nullptr;

  backup::BackupInfo chosen_;
  std::wstring password_;
  engine::SourceKind kind_ = engine::SourceKind::kLocalBackup;
  bool started_ = false;
  engine::ScanResults results_;
  engine::CategorySet chosenCategories_;
  output::CStatisticsObj statistics_;
  engine::ScanControl control_;
  std::unique_ptr<Reporter> reporter_;
  std::thread worker_;
  bool paused_ = false;
  bool producedItems_ = false;
};

}  // namespace qv::ui
