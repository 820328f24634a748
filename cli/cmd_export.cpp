// `quenvale export`: scans the backup, checks every item (or, with --deleted-only, only the rows
// marked deleted) and runs the recovery job into DIR, as the GUI's export window does. A progress
// bar goes to stderr when it is a terminal; Ctrl-C cancels the job at its next report (what was
// written stays, and the finishing steps still run). The output is the result list, failures first,
// one "PATH<TAB>STATUS" line each, then the count line; --json prints one object instead.
#include <string>
#include <vector>

#include "app/message_format.h"
#include "app/settings.h"
#include "cli/app_folder.h"
#include "cli/backup_password.h"
#include "cli/backup_scan.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "cli/scan_view.h"
#include "engine/items.h"
#include "export/doc_template.h"
#include "export/recovery_job.h"
#include "export/selection.h"
#include "export/statistics.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/stop_signals.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

struct ResultRow {
  std::string path;
  std::string status;
};

// The result list as the export window keeps it: a failure goes to the top, a success to the
// end; and the progress line.
class ResultList : public output::JobObserver {
 public:
  void result(const std::string& path, int code, const std::string& status) override {
    if (code != kOk) {
      rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(failures), {path, status});
      ++failures;
    } else {
      rows.push_back({path, status});
    }
  }
  void progress(int percent, const std::string& path, int, int, int) override {
    bar.draw(percent, "Recovering: " + path);
  }

  std::vector<ResultRow> rows;
  std::size_t failures = 0;
  ProgressBar bar;
};

std::string countLine(int processed, int total, int failed) {
  std::wstring pattern = app::Settings::get().message(L"MSG1102");
  if (pattern.empty()) pattern = L"Processed %d of %d items: %d recovered, %d failed";
  return platform::toUtf8(
      app::formatMessage(pattern, {processed, total, processed - failed, failed}));
}

}  // namespace

int runExport(const Args& args) {
  CommandLine command("export", args, {"--json", "--deleted-only", kPasswordStdinFlag},
                      {"--out", "--only"});
  if (auto status = command.finishedEarly()) return *status;
  if (command.positional().size() != 1) return command.usageError("name one backup folder");
  const std::string out = command.value("--out");
  if (out.empty()) return command.usageError("name the output folder with --out DIR");
  const std::string& folder = command.positional()[0];
  const bool json = command.has("--json");

  loadLanguages();
  engine::CategorySet chosen;
  if (auto status = chooseCategories(command, "--only", true, &chosen)) return *status;

  // The templates are checked before the scan, which can take long.
  const std::string templates = output::templateFolder(templateHome());
  output::CStatisticsObj statistics;
  ResultList list;
  BackupScan scanned("Scanning: ");
  output::JobSetup setup;
  setup.outputRoot = out;
  setup.templateFolder = templates;
  setup.statistics = &statistics;
  setup.results = &scanned.results();
  output::RecoveryJob probe(setup, list);
  int rc = probe.loadTemplates();
  if (rc != kOk) {
    std::wstring text = app::Settings::get().message(L"MSG1104");
    return reportFailure(rc, probe.missingTemplate() + ": " + platform::toUtf8(text));
  }

  if (int status = scanned.run(folder, chosen, command.has(kPasswordStdinFlag)); status != 0)
    return status;
  if (int status = scanned.reportOutcome("", "nothing was written"); status != 0) return status;
  output::registerAll(statistics, scanned.results());
  if (command.has("--deleted-only")) {
    for (int id = 0; id < engine::kCategoryCount; ++id)
      statistics.setDeletedOnly(engine::categoryNumber(static_cast<engine::ItemCategory>(id)),
                                true);
  }

  setup.deviceName = platform::toUtf8(scanned.info().displayName);
  setup.source = &scanned.source();
  output::RecoveryJob job(setup, list);
  rc = job.loadTemplates();
  if (rc != kOk) return reportFailure(rc, job.missingTemplate());
  {
    platform::StopSignals stop(job.cancelFlag());
    rc = job.run();
  }
  list.bar.clear();

  if (json) {
    // The job's result: 2 for a cancel, else its first failure, never 0 when an item failed.
    std::string text = "{\"result\": " + std::to_string(job.result()) +
                       ", \"processed\": " + std::to_string(job.processed()) +
                       ", \"failed\": " + std::to_string(job.failed()) +
                       ", \"total\": " + std::to_string(job.total()) + ", \"rows\": [";
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
      text += (i == 0 ? "" : ", ");
      text += "{\"path\": " + jsonString(list.rows[i].path) +
              ", \"status\": " + jsonString(list.rows[i].status) + "}";
    }
    writeOut(text + "]}\n");
  } else {
    std::string text;
    for (const ResultRow& row : list.rows) text += row.path + "\t" + row.status + "\n";
    text += countLine(job.processed(), job.total(), job.failed()) + "\n";
    writeOut(text);
  }
  if (rc == kCancelled) {
    printError("the recovery was cancelled; what was written so far stays in " + out);
    return 1;
  }
  if (job.failed() > 0) {
    printError(std::to_string(job.failed()) + " item(s) could not be recovered");
    return 1;
  }
  return 0;
}

}  // namespace qv::cli
