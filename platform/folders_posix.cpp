#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/error_text.h"
#include "platform/folders.h"
#include "platform/result.h"

#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace qv::platform {
namespace {

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? home : "";
}

void trimTrailingSeparators(std::string* p) {
  while (p->size() > 1 && p->back() == '/') p->pop_back();
}

}  // namespace

int appDataFolder(std::string* out) {
  out->clear();
#ifdef __APPLE__
  if (homeFolder().empty()) return kErrPathNotFound;
  *out = homeFolder() + "/Library/Application Support";
#else
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    *out = xdg;
  } else {
    if (homeFolder().empty()) return kErrPathNotFound;
    *out = homeFolder() + "/.local/share";
  }
#endif
  trimTrailingSeparators(out);
  return kOk;
}

int programFolder(std::string* out) {
  out->clear();
  std::string path;
#ifdef __APPLE__
  char buf[PATH_MAX];
  uint32_t size = sizeof buf;
  if (_NSGetExecutablePath(buf, &size) != 0) return kErrFilenameTooLong;
  path = buf;
#else
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n < 0) return errnoToCode(errno);
  path.assign(buf, static_cast<std::size_t>(n));
#endif
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return kErrPathNotFound;
  *out = slash == 0 ? "/" : path.substr(0, slash);
  return kOk;
}

std::string systemTemporaryFolder() {
  const char* t = std::getenv("TMPDIR");
  return t != nullptr && t[0] != '\0' ? t : "/tmp";
}

std::vector<std::string> defaultBackupRoots() {
#ifdef __APPLE__
  std::string appData;
  if (appDataFolder(&appData) != 0) return {};
  return {appData + "/MobileSync/Backup"};
#else
  return {};
#endif
}

}  // namespace qv::platform
