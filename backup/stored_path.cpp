#include "backup/stored_path.h"

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"

namespace qv::backup {

std::string storedFilePath(const std::string& folder, std::string_view fileId, bool encrypted,
                           bool hasManifestDb) {
  if (encrypted || !hasManifestDb) return platform::joinPath(folder, fileId);
  return platform::joinPath(platform::joinPath(folder, fileId.substr(0, 2)), fileId);
}

namespace {

bool isSeparator(char c) {
  return c == '/' || c == platform::kSep;
}

}  // namespace

bool storedFileInPlace(const std::string& folder, const std::string& path) {
  platform::PathInfo info;
  if (platform::osCalls().statLink(path, &info) != 0 || !info.isRegular || info.isLink)
    return false;
  std::size_t from = folder.size();
  while (from > 0 && isSeparator(folder[from - 1])) --from;
  if (path.compare(0, from, folder, 0, from) != 0 || from >= path.size() ||
      !isSeparator(path[from]))
    return true;
  // Each level below the folder, the file itself excluded (looked at above).
  for (std::size_t i = from + 1; i < path.size(); ++i) {
    if (!isSeparator(path[i])) continue;
    if (platform::osCalls().statLink(path.substr(0, i), &info) != 0 || info.isLink) return false;
  }
  return true;
}

}  // namespace qv::backup
