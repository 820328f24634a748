// `quenvale list [--root DIR] [--json]`: the backups under a backup root, newest first.
#include <string>
#include <vector>

#include "backup/backup_info.h"
#include "cli/backup_view.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

std::string listJson(const std::vector<backup::BackupInfo>& backups) {
  std::string out = "[";
  for (std::size_t i = 0; i < backups.size(); ++i) {
    out += i == 0 ? "\n  {" : ",\n  {";
    out += backupJsonMembers(backups[i]);
    out += "}";
  }
  out += backups.empty() ? "]\n" : "\n]\n";
  return out;
}

std::string listTable(const std::vector<backup::BackupInfo>& backups) {
  std::vector<std::vector<std::string>> rows = {
      {"NAME", "LAST BACKUP", "SERIAL NUMBER", "PHONE NUMBER", "ENCRYPTED", "FOLDER"}};
  // Every cell but the flag comes from a backup's Info.plist or folder name: shown with its
  // control characters escaped, and measured as shown.
  for (const backup::BackupInfo& b : backups) {
    rows.push_back({terminalText(platform::toUtf8(b.displayName)), terminalText(b.lastBackupDate),
                    terminalText(b.serialNumber), terminalText(b.phoneNumber),
                    b.encrypted ? "yes" : "no", terminalText(platform::toUtf8(b.folder))});
  }
  std::vector<std::size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      std::size_t w = displayWidth(row[c]);
      if (w > widths[c]) widths[c] = w;
    }
  }
  std::string out;
  for (const auto& row : rows) {
    for (std::size_t c = 0; c + 1 < row.size(); ++c) out += padTo(row[c], widths[c]) + "  ";
    out += row.back() + "\n";
  }
  return out;
}

}  // namespace

int runList(const Args& args) {
  CommandLine command("list", args, {"--json"}, {"--root"});
  if (auto status = command.finishedEarly()) return *status;
  if (!command.positional().empty())
    return command.usageError("unexpected argument '" + command.positional()[0] + "'");

  const std::string root = command.value("--root");
  engine::EngineSetup setup;
  if (!root.empty()) {
    // The engine treats a root it cannot list as empty; here the user named it, so say why.
    std::vector<std::string> names;
    int rc = platform::listFolder(root, &names);
    if (rc != 0) return reportFailure(rc, "backup root " + root);
    setup.backupRoot = root;
  } else if (platform::defaultBackupRoots().empty()) {
    return command.usageError("this system has no default backup folder; name one with --root DIR");
  }
  // Without --root, every default root: none of them existing simply means no backups yet.
  engine::RecoveryEngine engine(setup);
  std::vector<backup::BackupInfo> backups;
  engine.listBackups(&backups);

  if (command.has("--json")) {
    writeOut(listJson(backups));
  } else if (backups.empty()) {
    std::string where;
    for (const std::string& r : engine.backupRoots()) where += (where.empty() ? "" : ", ") + r;
    writeOut("No backups under " + where + "\n");
  } else {
    writeOut(listTable(backups));
  }
  return 0;
}

}  // namespace qv::cli
