#include "backup/backup_size.h"

#include <vector>

#include "platform/file.h"
#include "platform/folders.h"

namespace qv::backup {
namespace {

// Adds the files of one folder; subfolders are walked while `depth` allows. False when the
// folder cannot be listed or the walk was stopped.
bool addFolder(const std::string& folder, int depth, const std::atomic<int>* stop,
               std::uint64_t* bytes) {
  std::vector<std::string> names;
  if (platform::listFolder(folder, &names) != 0) return false;
  for (const std::string& name : names) {
    if (stop != nullptr && stop->load() != 0) return false;
    if (name == "." || name == "..") continue;
    const std::string path = platform::joinPath(folder, name);
    std::uint64_t size = 0;
    if (platform::isFile(path)) {
      if (platform::fileSize(path, &size) == 0) *bytes += size;
    } else if (depth > 0 && platform::isFolder(path)) {
      // A subfolder that cannot be listed adds nothing; only a stop ends the walk.
      if (!addFolder(path, depth - 1, stop, bytes) && stop != nullptr && stop->load() != 0)
        return false;
    }
  }
  return true;
}

}  // namespace

bool backupFolderBytes(const std::string& folder, const std::atomic<int>* stop,
                       std::uint64_t* bytes) {
  *bytes = 0;
  return addFolder(folder, 1, stop, bytes);
}

}  // namespace qv::backup
