#include "export/unique_path.h"

#include "platform/file.h"
#include "platform/pending_file.h"

namespace qv::output {
namespace {

std::string firstFree(const std::string& path, int from, int* used) {
  // A folder holding more copies of one name than this is not one the job should add to.
  for (int n = from; n <= platform::kMaxNumberedNames; ++n) {
    std::string candidate = platform::numberedPath(path, n);
    if (!platform::pathExists(candidate)) {
      *used = n;
      return candidate;
    }
  }
  return {};
}

}  // namespace

std::string MakeUniquePath(const std::string& path) {
  if (!platform::pathExists(path)) return path;
  int used = 0;
  return firstFree(path, 1, &used);
}

std::string UniquePaths::make(const std::string& path) {
  if (!platform::pathExists(path)) return path;
  auto it = next_.find(path);
  const int from = it == next_.end() ? 1 : it->second;
  int used = 0;
  std::string result = firstFree(path, from, &used);
  // A name freed since (deleted by the user) may be found again by MakeUniquePath; the job
  // simply goes on counting up.
  if (!result.empty()) next_[path] = used + 1;
  return result;
}

}  // namespace qv::output
