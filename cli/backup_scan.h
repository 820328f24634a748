// The scan that `quenvale scan`, `export` and `print` run over one backup folder: read its
// Info.plist, get the password of a password-protected backup, open it and run the chosen
// categories through the engine's scan sequence, with a progress bar on a terminal and Ctrl-C
// stopping the scan at its next report.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "backup/backup_info.h"
#include "engine/recovery_engine.h"
#include "engine/scan_results.h"
#include "engine/scan_sequence.h"
#include "engine/source_factory.h"

namespace qv::cli {

class BackupScan {
 public:
  // barLabel goes before the step's name on the progress bar ("Scanning: ").
  explicit BackupScan(std::string barLabel = {});

  // Reads the backup's Info.plist, gets the password (from standard input's first line with
  // passwordFromStdin, else typed on the terminal) and runs the scan. 0 once the scan has run,
  // whatever it found (see outcome); otherwise the exit status after saying why on stderr.
  int run(const std::string& folder, const engine::CategorySet& chosen, bool passwordFromStdin);

  // How the scan ended: the open's failure first, then a stop, then 0.
  int result() const;
  // Says on stderr why the scan is incomplete and returns the exit status: kWrongPasswordStatus
  // (backup_password.h) for a wrong password; 1 for an open that failed, followed by
  // openConsequence, or for a stopped scan, followed by stopConsequence; 0 for a complete one.
  int reportOutcome(std::string_view openConsequence, std::string_view stopConsequence) const;

  const backup::BackupInfo& info() const { return info_; }
  engine::IPhoneRecoveryParse& source() { return *source_; }
  const engine::ScanResults& results() const { return results_; }

 private:
  std::string barLabel_;
  std::string folder_;
  engine::RecoveryEngine engine_;
  backup::BackupInfo info_;
  std::unique_ptr<engine::IPhoneRecoveryParse> source_;
  engine::ScanResults results_;
  int openResult_ = 0;
  bool stopped_ = false;
};

}  // namespace qv::cli
