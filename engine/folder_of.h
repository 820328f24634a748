// The folder part of a UTF-8 path (everything before its last separator; "/" counts as one on
// Windows too); empty when the path has none.
#pragma once

#include <string>

namespace qv::engine {

std::string folderOf(const std::string& path);

}  // namespace qv::engine
