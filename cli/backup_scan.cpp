#include "cli/backup_scan.h"

#include "cli/backup_password.h"
#include "cli/cli_io.h"
#include "cli/progress_bar.h"
#include "platform/result.h"
#include "platform/stop_signals.h"

namespace qv::cli {
namespace {

engine::EngineSetup oneFolderSetup() {
  engine::EngineSetup setup;
  setup.findBackups = false;
  return setup;
}

// Turns the scan's progress into the bar: the percent shown and the step that runs.
class ScanBar : public engine::ScanObserver {
 public:
  explicit ScanBar(const std::string& label) : label_(label) {}

  void stepStarted(engine::ScanStep step) override {
    step_ = engine::scanStepName(step);
    draw();
  }
  void progressShown(int percent) override {
    percent_ = percent;
    draw();
  }
  void finished(int) override { bar_.clear(); }
  void wrongPassword() override { bar_.clear(); }

 private:
  void draw() { bar_.draw(percent_, label_ + step_); }

  const std::string& label_;
  ProgressBar bar_;
  int percent_ = 0;
  std::string step_ = "Opening the backup";
};

}  // namespace

BackupScan::BackupScan(std::string barLabel)
    : barLabel_(std::move(barLabel)), engine_(oneFolderSetup()) {}

int BackupScan::run(const std::string& folder, const engine::CategorySet& chosen,
                    bool passwordFromStdin) {
  folder_ = folder;
  const int rc = engine_.readBackupFolder(&info_, folder);
  if (rc != kOk) return reportFailure(rc, folder + ": no readable Info.plist");
  std::wstring password;
  if (int status = obtainPassword(info_, folder, passwordFromStdin, &password); status != 0)
    return status;
  engine_.setCurrentBackup(info_);
  source_ = engine::createSource(engine::SourceKind::kLocalBackup, &engine_);
  engine::ScanControl control;
  ScanBar bar(barLabel_);
  engine::ScanSequence sequence(*source_, chosen, results_, control, bar);
  {
    platform::StopSignals stop(&control.stop);
    sequence.run(password);
  }
  openResult_ = sequence.openResult();
  stopped_ = sequence.stopped();
  return 0;
}

int BackupScan::result() const {
  if (openResult_ != kOk) return openResult_;
  return stopped_ ? kCancelled : kOk;
}

int BackupScan::reportOutcome(std::string_view openConsequence,
                              std::string_view stopConsequence) const {
  if (openResult_ == kWrongPassword) return reportWrongPassword(folder_);
  if (openResult_ != kOk) {
    // What the manifest reader met, in its own words, says more than the code alone.
    const std::string& why = engine_.manifestFailure();
    return reportFailure(openResult_, folder_ + ": the backup cannot be opened" +
                                          (why.empty() ? "" : " (" + why + ")") +
                                          std::string(openConsequence));
  }
  if (stopped_) {
    printError("the scan was stopped; " + std::string(stopConsequence));
    return 1;
  }
  return 0;
}

}  // namespace qv::cli
