// `quenvale scan`: runs the scan sequence that the GUI's scan page runs, over one backup
// folder, and shows the category tree with counts and sizes (or one JSON object). Ctrl-C stops
// the scan at its next report, and what was found so far is shown.
#include <string>

#include "cli/app_folder.h"
#include "cli/backup_password.h"
#include "cli/backup_scan.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/scan_view.h"
#include "platform/result.h"

namespace qv::cli {

int runScan(const Args& args) {
  CommandLine command("scan", args, {"--json", kPasswordStdinFlag}, {"--only"});
  if (auto status = command.finishedEarly()) return *status;
  if (command.positional().size() != 1) return command.usageError("name one backup folder");
  const std::string& folder = command.positional()[0];
  const bool json = command.has("--json");

  loadLanguages();
  engine::CategorySet chosen;
  if (auto status = chooseCategories(command, "--only", true, &chosen)) return *status;

  BackupScan scan;
  if (int status = scan.run(folder, chosen, command.has(kPasswordStdinFlag)); status != 0)
    return status;
  // What was found is shown even when the open failed or the scan was stopped: the databases
  // are found by fixed names without the manifest. Only a wrong password found nothing.
  if (scan.result() != kWrongPassword || json)
    writeOut(json ? scanJson(scan.result(), scan.info(), scan.results())
                  : scanTreeText(scan.results(), chosen));
  return scan.reportOutcome("; only what was found without its manifest is shown",
                            "what was found before is shown");
}

}  // namespace qv::cli
