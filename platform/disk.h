// Volumes: free space, the logical drives, and the hidden attribute of a folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::platform {

// Total free bytes on the volume holding the path.
int freeDiskBytes(const std::string& path, std::uint64_t* bytes);
// Root paths of the logical drives, in the order the system lists them.
int logicalDriveRoots(std::vector<std::string>* roots);
// Marks a file or folder hidden (Windows); elsewhere only checks that it exists.
int setHiddenAttribute(const std::string& path);

}  // namespace qv::platform
