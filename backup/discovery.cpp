#include "backup/discovery.h"

#include <algorithm>

#include "backup/encryption_probe.h"
#include "backup/info_plist.h"
#include "backup/stored_path.h"
#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::backup {
namespace {

bool isSeparator(wchar_t c) {
  return c == static_cast<wchar_t>(platform::kSep) || c == L'/';
}

}  // namespace

std::wstring trimTrailingSeparators(std::wstring folder) {
  while (folder.size() > 1 && isSeparator(folder.back()) && folder[folder.size() - 2] != L':')
    folder.pop_back();
  return folder;
}

bool enumerateFolder(const std::wstring& folder, std::vector<std::wstring>* out) {
  std::vector<std::string> names;
  if (platform::listFolder(platform::toUtf8(folder), &names) != 0) return false;
  for (const std::string& name : names) {
    if (name.empty() || name[0] == '.') continue;
    out->push_back(joinWide(folder, platform::toWide(name)));
  }
  return true;
}

int readBackupFolder(BackupInfo* info, const std::wstring& folder) {
  std::wstring trimmed = trimTrailingSeparators(folder);
  std::string plist = platform::toUtf8(joinWide(trimmed, L"Info.plist"));
  platform::File file;
  if (!platform::isFile(plist) || file.openRead(plist) != 0) return kInvalid;

  BackupInfo fresh;
  fresh.folder = trimmed;
  FileSource source(&file);
  LineReader lines(&source);
  applyInfoPlistKeys(&lines, &fresh);
  fresh.encrypted = probeEncrypted(trimmed);
  *info = std::move(fresh);
  return kOk;
}

void listBackups(const std::vector<std::wstring>& entries, std::vector<BackupInfo>* out) {
  out->clear();
  for (const std::wstring& entry : entries) {
    BackupInfo info;
    if (readBackupFolder(&info, entry) == kOk) out->push_back(std::move(info));
  }
  std::stable_sort(out->begin(), out->end(), [](const BackupInfo& a, const BackupInfo& b) {
    return platform::lessNoCase(b.lastBackupDate, a.lastBackupDate);
  });
}

}  // namespace qv::backup
