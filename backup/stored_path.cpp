#include "backup/stored_path.h"

#include "platform/folders.h"

namespace qv::backup {

std::string storedFilePath(const std::string& folder, std::string_view fileId, bool encrypted,
                           bool hasManifestDb) {
  if (encrypted || !hasManifestDb) return platform::joinPath(folder, fileId);
  return platform::joinPath(platform::joinPath(folder, fileId.substr(0, 2)), fileId);
}

}  // namespace qv::backup
