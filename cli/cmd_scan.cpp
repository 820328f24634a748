// `quenvale scan BACKUP_FOLDER [--only CATEGORIES] [--json]`: runs the scan sequence that the
// GUI's scan page runs, over one backup folder, and shows the category tree with counts and
// sizes (or one JSON object). While it runs, a progress bar goes to stderr when that is a
// terminal; Ctrl-C stops the scan at its next report, and what was found so far is shown.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include "app/settings.h"
#include "backup/backup_info.h"
#include "cli/backup_password.h"
#include "cli/backup_view.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/scan_view.h"
#include "cli/terminal.h"
#include "engine/recovery_engine.h"
#include "engine/recovery_source.h"
#include "engine/scan_sequence.h"
#include "platform/error_text.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

// The scan that Ctrl-C stops. Set only while a scan runs.
std::atomic<engine::ScanControl*> g_running{nullptr};

extern "C" void stopOnInterrupt(int) {
  if (engine::ScanControl* control = g_running.load()) control->stop.store(1);
}

// Draws "[#######.............]  35%  Messages" on one terminal line.
class ProgressBar : public engine::ScanObserver {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}

  void stepStarted(engine::ScanStep step) override {
    label_ = engine::scanStepName(step);
    draw();
  }
  void progressShown(int percent) override {
    percent_ = percent;
    draw();
  }
  void finished(int) override { clear(); }
  void wrongPassword() override { clear(); }

 private:
  void draw() {
    if (!enabled_) return;
    constexpr int kWidth = 30;
    const int filled = percent_ * kWidth / 100;
    std::string line = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] ";
    std::string number = std::to_string(percent_) + "%";
    line += std::string(4 - number.size(), ' ') + number + "  " + label_;
    if (line.size() < lastLength_) line += std::string(lastLength_ - line.size(), ' ');
    lastLength_ = line.size();
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }
  void clear() {
    if (!enabled_ || lastLength_ == 0) return;
    const std::string blank = "\r" + std::string(lastLength_, ' ') + "\r";
    std::fwrite(blank.data(), 1, blank.size(), stderr);
    std::fflush(stderr);
    lastLength_ = 0;
  }

  bool enabled_;
  int percent_ = 0;
  std::string label_ = "Opening the backup";
  std::size_t lastLength_ = 0;
};

void printError(const std::string& line) {
  const std::string text = "quenvale: " + line + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace

int runScan(const Args& args) {
  const std::string usage = usageOf("scan");
  ArgScanner scan(args, {"--json", kPasswordStdinFlag}, {"--only"});
  if (scan.wantsHelp()) {
    writeOut(usage);
    return 0;
  }
  if (!scan.error().empty()) return reportUsage(scan.error(), usage);
  if (scan.positional().size() != 1) return reportUsage("name one backup folder", usage);
  const std::string& folder = scan.positional()[0];
  const bool json = scan.has("--json");

  // The category page's names come from the language files; without them the tree's names
  // still work.
  const std::string languages = languageFolder();
  if (!languages.empty()) app::Settings::loadFrom(languages);

  engine::CategorySet chosen = engine::allCategories();
  const std::string only = scan.value("--only");
  if (!only.empty()) {
    std::string error;
    if (!parseCategories(only, &chosen, &error)) {
      std::string names;
      for (int id = 0; id < engine::kCategoryCount; ++id) {
        names += (id == 0 ? "" : ", ");
        names += engine::categoryName(static_cast<engine::ItemCategory>(id));
      }
      return reportUsage(error + " (categories: " + names + ")", usage);
    }
  }

  engine::EngineSetup setup;
  setup.findBackups = false;
  engine::RecoveryEngine engine(setup);
  backup::BackupInfo info;
  int rc = engine.readBackupFolder(&info, platform::toWide(folder));
  if (rc != kOk) return reportFailure(rc, folder + ": no readable Info.plist");

  engine::ScanResults results;
  std::wstring password;
  if (int status = obtainPassword(info, folder, scan.has(kPasswordStdinFlag), &password);
      status != 0)
    return status;

  engine.setCurrentBackup(info);
  std::unique_ptr<engine::IPhoneRecoveryParse> source =
      engine::createSource(static_cast<int>(engine::SourceKind::kLocalBackup), &engine);
  engine::ScanControl control;
  ProgressBar bar(stderrIsTerminal());
  engine::ScanSequence sequence(*source, chosen, results, control, bar);

  g_running.store(&control);
  auto previous = std::signal(SIGINT, stopOnInterrupt);
  sequence.run(password);
  std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
  g_running.store(nullptr);

  // The open's failure is what the caller most needs to know; a stopped scan comes next.
  const int openResult = sequence.openResult();
  if (openResult == kWrongPassword) {
    if (json) writeOut(scanJson(openResult, info, results));
    return reportWrongPassword(folder);
  }
  const int result = openResult != kOk ? openResult : sequence.stopped() ? kCancelled : kOk;
  writeOut(json ? scanJson(result, info, results) : scanTreeText(results, chosen));
  if (openResult != kOk) {
    printError(std::to_string(openResult) + ": " + platform::errorMessage(openResult) + " (" +
               folder +
               ": the backup cannot be opened; only what was found without its "
               "manifest is shown)");
    return 1;
  }
  if (sequence.stopped()) {
    printError("the scan was stopped; what was found before is shown");
    return 1;
  }
  return 0;
}

}  // namespace qv::cli
