#include "backup/discovery.h"

#include <algorithm>

#include "backup/encryption_probe.h"
#include "backup/info_plist.h"
#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::backup {
namespace {

bool isSeparator(char c) {
  return c == platform::kSep || c == '/';
}

}  // namespace

std::string trimTrailingSeparators(std::string folder) {
  while (folder.size() > 1 && isSeparator(folder.back()) && folder[folder.size() - 2] != ':')
    folder.pop_back();
  return folder;
}

bool enumerateFolder(const std::string& folder, std::vector<std::string>* out) {
  std::vector<std::string> names;
  if (platform::listFolder(folder, &names) != 0) return false;
  for (const std::string& name : names) {
    if (name.empty() || name[0] == '.') continue;
    out->push_back(platform::joinPath(folder, name));
  }
  return true;
}

bool enumerateRoots(const std::vector<std::string>& roots, std::vector<std::string>* out) {
  bool any = false;
  for (const std::string& root : roots) any = enumerateFolder(root, out) || any;
  return any;
}

int readBackupFolder(BackupInfo* info, const std::string& folder) {
  const std::string trimmed = trimTrailingSeparators(folder);
  const std::string plist = platform::joinPath(trimmed, "Info.plist");
  platform::File file;
  if (!platform::isFile(plist) || file.openRead(plist) != 0) return kInvalid;

  BackupInfo fresh;
  fresh.folder = platform::toWide(trimmed);
  char magic[8] = {};
  std::size_t got = 0;
  file.readAt(0, magic, sizeof magic, &got);
  if (isBinaryInfoPlist(std::string_view(magic, got))) {
    std::string bytes;
    // A damaged or oversized binary plist still lists the backup, without its fields.
    if (platform::readWholeFile(plist, kMaxBinaryInfoPlist, &bytes) == kOk)
      applyBinaryInfoPlist(bytes, &fresh);
  } else {
    FileSource source(&file);
    LineReader lines(&source);
    applyInfoPlistKeys(&lines, &fresh);
  }
  fresh.encrypted = probeEncrypted(trimmed);
  *info = std::move(fresh);
  return kOk;
}

void listBackups(const std::vector<std::string>& entries, std::vector<BackupInfo>* out) {
  out->clear();
  for (const std::string& entry : entries) {
    BackupInfo info;
    if (readBackupFolder(&info, entry) == kOk) out->push_back(std::move(info));
  }
  std::stable_sort(out->begin(), out->end(), [](const BackupInfo& a, const BackupInfo& b) {
    return platform::lessNoCase(b.lastBackupDate, a.lastBackupDate);
  });
}

}  // namespace qv::backup
