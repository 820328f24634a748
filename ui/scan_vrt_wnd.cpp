#include "ui/scan_vrt_wnd.h"

#include "app/message_box.h"
#include "app/window_messages.h"
#include "export/category_tree.h"
#include "export/selection.h"
#include "framework/controls.h"
#include "framework/ui_thread.h"
#include "ui/custom_controls.h"
#include "ui/specify_file_vrt_wnd.h"

namespace qv::ui {

using framework::EventType;
using framework::Notification;

// The scan's observer, called on the worker thread: it only posts messages to the main window,
// whose handlers change the controls on the UI thread.
class CScanVrtWnd::Reporter : public engine::ScanObserver {
 public:
  explicit Reporter(HWND main) : main_(main) {}
  void progressShown(int percent) override {
    PostMessageW(main_, app::kMsgScanPercent, static_cast<WPARAM>(percent), 0);
  }
  void firstProgress() override {
    PostMessageW(main_, app::kMsgScanProgress, 0, 0);
    // The page waits a moment before the scan goes on, so the switch to the scan page is seen
    // before the first figures; the pause lock is held meanwhile.
    Sleep(100);
  }
  void wrongPassword() override { PostMessageW(main_, app::kMsgScanProgress, 1, 0); }
  void startFailed() override { PostMessageW(main_, app::kMsgScanStartFailed, 0, 0); }
  void countsChanged() override { PostMessageW(main_, app::kMsgTreeCounts, 0, 0); }
  void selectDefaultCategory(engine::ItemCategory category) override {
    PostMessageW(main_, app::kMsgSelectDefault, static_cast<WPARAM>(category), 0);
  }
  void finished(int lastResult) override {
    PostMessageW(main_, app::kMsgScanEnded, static_cast<WPARAM>(lastResult), 0);
  }

 private:
  HWND main_;
};

CScanVrtWnd::CScanVrtWnd(framework::HostWindow& window, engine::RecoveryEngine& engine,
                         std::unique_ptr<engine::IPhoneRecoveryParse>& currentSource,
                         StepNavigator& steps)
    : CBaseVrtWnd(window), engine_(engine), source_(currentSource), steps_(steps) {
  on(EventType::kClick, L"BtnHome", [this](const Notification&) { home(); });
}

CScanVrtWnd::~CScanVrtWnd() {
  if (worker_.joinable()) {
    control_.stop.store(1);
    if (paused_) control_.pauseLock.unlock();
    paused_ = false;
    worker_.join();
  }
}

void CScanVrtWnd::setPages(CSpecifyFileVrtWnd* categories, CPreviewVrtWnd* preview) {
  categories_ = categories;
  preview_ = preview;
}

void CScanVrtWnd::init() {
  languageRefresh();
}

void CScanVrtWnd::languageRefresh() {
  applySection(L"PageScan", {L"LblStatistics"});
  if (framework::Control* pause = find(L"BtnScanPause"))
    pause->setText(message(paused_ ? L"MSG0506" : L"MSG0507"));
  if (started_) setScanLabels();
  showStatistics();
}

void CScanVrtWnd::showStatistics() {
  if (framework::Control* label = find(L"LblStatistics"))
    label->setText(output::statisticsLine(statistics_.totals()));
}

void CScanVrtWnd::setScanLabels() {
  const bool local = kind_ == engine::SourceKind::kLocalBackup;
  const std::wstring type = message(local ? L"MSG0501" : L"MSG0503");
  if (framework::Control* c = find(L"LblScanType")) c->setText(type);
  if (framework::Control* c = find(L"LblScanInfo")) c->setText(type);
  if (framework::Control* remark = find(L"LblRemark")) {
    remark->setText(message(local ? L"MSG0502" : L"MSG0504"));
    remark->setBkImage(local ? L"file='Controls.png' source='538,1,591,54' dest='0,0,53,53'"
                             : L"file='Controls.png' source='484,1,537,54' dest='0,0,53,53'");
  }
}

void CScanVrtWnd::animate(bool on) {
  for (const wchar_t* name : {L"BtnGifScanning", L"BtnGifLoading"}) {
    auto* gif = findAs<CButtonGifUI>(name);
    if (!gif) continue;
    if (on && gif->shownOnScreen()) {
      gif->start();
    } else if (!on) {
      gif->stop();
    }
  }
}

void CScanVrtWnd::resetPage() {
  results_.clear();
  statistics_.clear();
  showStatistics();
  producedItems_ = false;
  if (auto* progress = findAs<framework::Progress>(L"ProgressScan")) progress->setValue(0);
  if (framework::Control* percent = find(L"LblPercent")) percent->setText(L"0%");
}

void CScanVrtWnd::joinWorker() {
  if (worker_.joinable()) worker_.join();
  reporter_.reset();
}

void CScanVrtWnd::waitForWorker() {
  // The worker ends at its next report; the messages it posts meanwhile are handled.
  framework::waitPumping([this] { return control_.finished.load() != 0; });
  joinWorker();
}

void CScanVrtWnd::startScan(WPARAM kind) {
  if (scanRunning()) {
    control_.stop.store(1);
    waitForWorker();
  }
  joinWorker();
  kind_ = static_cast<engine::SourceKind>(kind);
  started_ = true;
  resetPage();
  // The scanning look.
  auto show = [this](const wchar_t* name, bool on) {
    if (framework::Control* c = find(name)) c->setVisible(on);
  };
  show(L"iPhoneInfoLayout", false);
  show(L"DataListLayout", true);
  show(L"ScanToolBar", true);
  show(L"ReocveryToolBar", false);
  show(L"DataListToolBar", false);
  for (const wchar_t* name : {L"BtnHome", L"BtnRecovery"}) {
    if (framework::Control* c = find(name)) c->setEnabled(false);
  }
  setScanLabels();

  source_.reset();
  void* context = nullptr;
  if (kind_ == engine::SourceKind::kLocalBackup) {
    engine_.setCurrentBackup(chosen_);
    context = &engine_;
  }
  source_ = engine::createSource(kind_, context);
  if (!source_) {
    // A kind that names no source: as a source that could not start.
    startFailed();
    endOfScan(2);
    return;
  }
  chosenCategories_ = categories_ ? categories_->chosen() : engine::allCategories();
  const engine::CategorySet chosen = chosenCategories_;
  reporter_ = std::make_unique<Reporter>(hwnd());
  control_.finished.store(0);
  control_.stop.store(0);
  worker_ = std::thread([this, chosen, password = password_] {
    engine::ScanSequence sequence(*source_, chosen, results_, control_, *reporter_);
    sequence.run(password);
  });
  animate(true);
}

void CScanVrtWnd::showPercent(int percent) {
  if (auto* progress = findAs<framework::Progress>(L"ProgressScan")) progress->setValue(percent);
  if (framework::Control* label = find(L"LblPercent"))
    label->setText(std::to_wstring(percent) + L"%");
}

void CScanVrtWnd::showWaitingPanel() {
  if (framework::Control* c = find(L"iPhoneInfoLayout")) c->setVisible(true);
  if (framework::Control* c = find(L"DataListLayout")) c->setVisible(false);
  animate(true);
}

void CScanVrtWnd::refreshTreeCounts() {
  // The category tree comes with the full scan page.
}

void CScanVrtWnd::selectDefaultNode(int) {
  producedItems_ = true;
}

void CScanVrtWnd::wrongPasswordArrived() {
  // The worker has ended (the sequence set its finished flag before it said so).
  joinWorker();
}

void CScanVrtWnd::endOfScan(int) {
  joinWorker();
  // The worker has gone: its results are the page's to read now.
  statistics_.clear();
  for (const output::CategoryGroup& group : output::categoryTree()) {
    for (engine::ItemCategory category : group.categories) {
      if (chosenCategories_.test(static_cast<std::size_t>(category)))
        output::registerCategory(statistics_, results_, category);
    }
  }
  showStatistics();
  if (framework::Control* c = find(L"ScanToolBar")) c->setVisible(false);
  if (framework::Control* c = find(L"ReocveryToolBar")) c->setVisible(true);
  if (framework::Control* c = find(L"DataListToolBar")) c->setVisible(true);
  animate(false);
  if (framework::Control* c = find(L"BtnHome")) c->setEnabled(true);
  // A scan that never reached the scan page leaves step 2 usable again.
  steps_.flow().scanEnded();
  steps_.apply();
}

void CScanVrtWnd::startFailed() {
  app::CMessageBox::show(static_cast<int>(app::MessageKind::kWarning), nullptr, message(L"MSG0512"),
                         hwnd(), 550, 200);
}

void CScanVrtWnd::pauseOrResume() {
  if (!scanRunning()) return;
  paused_ = !paused_;
  if (paused_) {
    control_.pauseLock.lock();  // the worker waits at its next report
    animate(false);
  } else {
    control_.pauseLock.unlock();
    animate(true);
  }
  if (framework::Control* pause = find(L"BtnScanPause"))
    pause->setText(message(paused_ ? L"MSG0506" : L"MSG0507"));
}

void CScanVrtWnd::stop() {
  if (!scanRunning()) return;
  if (!paused_) {
    control_.pauseLock.lock();
    animate(false);
  }
  const int answer = app::CMessageBox::show(static_cast<int>(app::MessageKind::kQuestion), nullptr,
                                            message(L"MSG0508"), hwnd(), 550, 200);
  if (answer == 1) {
    if (paused_) {
      paused_ = false;
      if (framework::Control* pause = find(L"BtnScanPause")) pause->setText(message(L"MSG0507"));
    }
    control_.stop.store(1);
    control_.pauseLock.unlock();
    waitForWorker();
    return;
  }
  if (!paused_) {
    control_.pauseLock.unlock();
    animate(true);
  }
}

int CScanVrtWnd::exitConfirmation() {
  if (!scanRunning() && !producedItems_) return 1;
  if (!paused_) {
    control_.pauseLock.lock();
    animate(false);
  }
  int answer = 2;
  if (auto box = app::CMessageBox::prepareWarning(hwnd())) {
    box->setTitle(message(L"MSG0405"));
    box->setMessage(message(L"MSG0511"));
    if (framework::Control* cancel = box->find(L"cancelbtn")) cancel->setVisible(true);
    answer = box->run(hwnd());
  }
  if (answer == 1) {
    control_.stop.store(1);
    paused_ = false;
    control_.pauseLock.unlock();
    if (scanRunning()) waitForWorker();
    return 1;
  }
  if (!paused_) {
    control_.pauseLock.unlock();
    animate(true);
  }
  return answer;
}

void CScanVrtWnd::home() {
  if (scanRunning()) return;
  if (producedItems_ &&
      app::CMessageBox::show(static_cast<int>(app::MessageKind::kQuestion), nullptr,
                             message(L"MSG0510"), hwnd(), 550, 200) != 1) {
    return;
  }
  resetPage();
  steps_.flow().home();
  steps_.apply();
  steps_.selectStep(L"OptStep1");
}

}  // namespace qv::ui
