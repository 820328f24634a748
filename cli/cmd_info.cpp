// `quenvale info FOLDER [--json]`: one backup's device information and its manifest, read as
// opening the backup would read it.
#include <cstdio>
#include <string>

#include "backup/backup_info.h"
#include "backup/manifest_choice.h"
#include "cli/backup_view.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "engine/recovery_engine.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

std::string infoText(const backup::BackupInfo& b, backup::ManifestKind kind, std::size_t entries,
                     int result, const std::string& failure) {
  // Every value comes from the backup: shown with its control characters escaped.
  auto line = [](const char* label, const std::string& value) {
    return padTo(label, 17) + terminalText(value) + "\n";
  };
  std::string out;
  out += line("Folder:", platform::toUtf8(b.folder));
  out += line("Display name:", platform::toUtf8(b.displayName));
  out += line("Last backup:", b.lastBackupDate);
  out += line("Serial number:", b.serialNumber);
  out += line("Phone number:", b.phoneNumber);
  out += line("Product version:", b.productVersion);
  out += line("iOS above 11:", b.versionAbove11 ? "yes" : "no");
  out += line("Encrypted:", b.encrypted ? "yes" : "no");
  std::string manifest = std::string(backup::manifestKindName(kind)) + ", " +
                         std::to_string(entries) + " entries, result " + std::to_string(result) +
                         " (" + backup::manifestResultText(kind, result, failure) + ")";
  out += line("Manifest:", manifest);
  return out;
}

}  // namespace

int runInfo(const Args& args) {
  CommandLine command("info", args, {"--json"}, {});
  if (auto status = command.finishedEarly()) return *status;
  if (command.positional().size() != 1) return command.usageError("name one backup folder");
  const std::string& folder = command.positional()[0];

  engine::EngineSetup setup;
  setup.findBackups = false;
  engine::RecoveryEngine engine(setup);
  backup::BackupInfo info;
  int rc = engine.readBackupFolder(&info, folder);
  if (rc != 0) return reportFailure(rc, folder + ": no readable Info.plist");
  engine.setCurrentBackup(info);
  int manifestResult = engine.loadManifest();
  backup::ManifestKind kind = engine.manifestKind();
  std::size_t entries = engine.index().size();

  if (command.has("--json")) {
    writeOut("{" + backupJsonMembers(info) +
             ", \"manifest\": {\"kind\": " + jsonString(backup::manifestKindName(kind)) +
             ", \"entries\": " + std::to_string(entries) +
             ", \"result\": " + std::to_string(manifestResult) + "}}\n");
  } else {
    writeOut(infoText(info, kind, entries, manifestResult, engine.manifestFailure()));
  }
  if (manifestResult != kOk) {
    // The SQLite library's codes mean something else as system codes; name them as what they are.
    printError(std::to_string(manifestResult) + ": " +
               backup::manifestResultText(kind, manifestResult, engine.manifestFailure()) + " (" +
               folder + ")");
    return 1;
  }
  return 0;
}

}  // namespace qv::cli
