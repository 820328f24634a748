#include "export/unique_path.h"

#include "platform/file.h"

namespace qv::output {
namespace {

// Free names looked for per path before giving up; a folder holding more copies of one name
// than this is not one the job should add to.
constexpr int kMaxNumber = 1000000;

struct SplitPath {
  std::string folderAndStem;  // everything before the extension
  std::string extension;
};

SplitPath splitExtension(const std::string& path) {
  const std::size_t sep = path.find_last_of("/\\");
  const std::size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return {path, {}};
  return {path.substr(0, dot), path.substr(dot)};
}

std::string numbered(const SplitPath& split, int n) {
  return split.folderAndStem + "(" + std::to_string(n) + ")" + split.extension;
}

std::string firstFree(const std::string& path, int from, int* used) {
  const SplitPath split = splitExtension(path);
  for (int n = from; n <= kMaxNumber; ++n) {
    std::string candidate = numbered(split, n);
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
