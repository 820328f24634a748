#include "cli/output_scan.h"

#include <csignal>
#include <cstdio>

#include "app/settings.h"
#include "cli/backup_password.h"
#include "cli/scan_view.h"
#include "cli/terminal.h"
#include "export/doc_template.h"
#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

std::atomic<std::atomic<int>*> g_interrupt{nullptr};

extern "C" void onInterrupt(int) {
  if (std::atomic<int>* flag = g_interrupt.load()) flag->store(1);
}

engine::EngineSetup outputSetup() {
  engine::EngineSetup setup;
  setup.findBackups = false;
  return setup;
}

// Turns the scan's progress into the bar.
class ScanBar : public engine::ScanObserver {
 public:
  void stepStarted(engine::ScanStep step) override {
    label_ = engine::scanStepName(step);
    bar_.draw(percent_, "Scanning: " + label_);
  }
  void progressShown(int percent) override {
    percent_ = percent;
    bar_.draw(percent_, "Scanning: " + label_);
  }
  void finished(int) override { bar_.clear(); }
  void wrongPassword() override { bar_.clear(); }

 private:
  StderrBar bar_;
  int percent_ = 0;
  std::string label_ = "Opening the backup";
};

}  // namespace

void printError(const std::string& text) {
  const std::string line = "quenvale: " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

StderrBar::StderrBar() : enabled_(stderrIsTerminal()) {}

void StderrBar::draw(int percent, const std::string& label) {
  if (!enabled_) return;
  constexpr int kWidth = 30;
  percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  const int filled = percent * kWidth / 100;
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] ";
  const std::string number = std::to_string(percent) + "%";
  line += std::string(4 - number.size(), ' ') + number + "  " + label;
  // A terminal line of 100 cells is kept; a long path is shown by its end.
  if (line.size() > 100) line = line.substr(0, 40) + "..." + line.substr(line.size() - 57);
  if (line == last_) return;
  std::string out = "\r" + line;
  if (line.size() < last_.size()) out += std::string(last_.size() - line.size(), ' ');
  last_ = line;
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
}

void StderrBar::clear() {
  if (!enabled_ || last_.empty()) return;
  const std::string blank = "\r" + std::string(last_.size(), ' ') + "\r";
  std::fwrite(blank.data(), 1, blank.size(), stderr);
  std::fflush(stderr);
  last_.clear();
}

InterruptFlag::InterruptFlag(std::atomic<int>* flag) {
  g_interrupt.store(flag);
  previous_ = std::signal(SIGINT, onInterrupt);
}

InterruptFlag::~InterruptFlag() {
  std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
  g_interrupt.store(nullptr);
}

OutputScan::OutputScan() : engine_(outputSetup()) {}

int OutputScan::run(const std::string& folder, const engine::CategorySet& chosen,
                    bool passwordFromStdin) {
  int rc = engine_.readBackupFolder(&info_, platform::toWide(folder));
  if (rc != kOk) {
    printError(std::to_string(rc) + ": " + platform::errorMessage(rc) + " (" + folder +
               ": no readable Info.plist)");
    return 1;
  }
  std::wstring password;
  if (int status = obtainPassword(info_, folder, passwordFromStdin, &password); status != 0)
    return status;
  engine_.setCurrentBackup(info_);
  source_ = engine::createSource(static_cast<int>(engine::SourceKind::kLocalBackup), &engine_);
  engine::ScanControl control;
  ScanBar bar;
  engine::ScanSequence sequence(*source_, chosen, results_, control, bar);
  {
    InterruptFlag interrupt(&control.stop);
    sequence.run(password);
  }
  if (sequence.openResult() == kWrongPassword) return reportWrongPassword(folder);
  if (sequence.openResult() != kOk) {
    const int code = sequence.openResult();
    printError(std::to_string(code) + ": " + platform::errorMessage(code) + " (" + folder +
               ": the backup cannot be opened)");
    return 1;
  }
  if (sequence.stopped()) {
    printError("the scan was stopped; nothing was written");
    return 1;
  }
  return 0;
}

std::string templateHome() {
  const std::string home = languageFolder();
  if (!home.empty() && platform::isFolder(output::templateFolder(home))) return home;
  std::string program;
  if (platform::programFolder(&program) == kOk) return program;
  return home;
}

}  // namespace qv::cli
