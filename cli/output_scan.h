// What `quenvale export` and `quenvale print` share: the scan of one backup folder that comes
// before them (with a progress bar on a terminal and Ctrl-C stopping it), and the folder that
// holds the HTML templates.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "backup/backup_info.h"
#include "engine/recovery_engine.h"
#include "engine/recovery_source.h"
#include "engine/scan_results.h"
#include "engine/scan_sequence.h"

namespace qv::cli {

// "[#######.............]  35%  label" on one line of stderr, when it is a terminal; redrawn
// only when the text changes.
class StderrBar {
 public:
  StderrBar();
  void draw(int percent, const std::string& label);
  void clear();

 private:
  bool enabled_;
  std::string last_;
};

class OutputScan {
 public:
  OutputScan();
  // Reads the backup's Info.plist, gets the password of a password-protected backup (from
  // standard input's first line with passwordFromStdin, else typed on the terminal) and runs
  // the scan of the chosen categories. 0; otherwise prints why on stderr and returns the exit
  // status (1; kWrongPasswordStatus of backup_password.h for a wrong password).
  int run(const std::string& folder, const engine::CategorySet& chosen,
          bool passwordFromStdin = false);

  const backup::BackupInfo& info() const { return info_; }
  engine::IPhoneRecoveryParse& source() { return *source_; }
  const engine::ScanResults& results() const { return results_; }

 private:
  engine::RecoveryEngine engine_;
  backup::BackupInfo info_;
  std::unique_ptr<engine::IPhoneRecoveryParse> source_;
  engine::ScanResults results_;
};

// Ctrl-C sets this flag while the object lives (the scan's stop flag and the job's cancel are
// pointed at by it); the previous handler comes back afterwards.
class InterruptFlag {
 public:
  explicit InterruptFlag(std::atomic<int>* flag);
  ~InterruptFlag();
  InterruptFlag(const InterruptFlag&) = delete;
  InterruptFlag& operator=(const InterruptFlag&) = delete;

 private:
  void (*previous_)(int);
};

// The application folder whose "template" folder holds the HTML templates: the folder of
// config.ini (languageFolder) when it has them, else the program's folder.
std::string templateHome();

// "quenvale: TEXT" on stderr.
void printError(const std::string& text);

}  // namespace qv::cli
