#include "platform/disk.h"

#include "platform/os_calls.h"

namespace qv::platform {

int freeDiskBytes(const std::string& path, std::uint64_t* bytes) {
  *bytes = 0;
  return osCalls().freeSpace(path, bytes);
}

int logicalDriveRoots(std::vector<std::string>* roots) {
  roots->clear();
  return osCalls().logicalDrives(roots);
}

int setHiddenAttribute(const std::string& path) {
  return osCalls().setHidden(path);
}

}  // namespace qv::platform
