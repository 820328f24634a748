#include "engine/folder_of.h"

#include "platform/folders.h"

namespace qv::engine {

std::string folderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of(platform::kSep == '\\' ? "\\/" : "/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace qv::engine
