#include <cstdint>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/shipped_program.h"

namespace qv::platform {
namespace {

// A shipped tool is a few megabytes; anything far larger is not one.
constexpr std::uint64_t kMaxSiblingBytes = 256ull * 1024 * 1024;

}  // namespace

const char* siblingProgramName(const char* windowsName, const char* /*otherName*/) {
  return windowsName;
}

int runnableSibling(const std::string& shipped, const std::string& workFolder,
                    const std::string& runName, std::string* program) {
  program->clear();
  if (!isFile(shipped)) return kInvalid;
  std::string bytes;
  int rc = readWholeFile(shipped, kMaxSiblingBytes, &bytes);
  if (rc != kOk) return rc;
  if (bytes.size() < 2) return kInvalid;
  bytes[0] = 'M';
  bytes[1] = 'Z';
  const std::string runnable = joinPath(workFolder, runName + ".exe");
  rc = writeWholeFile(runnable, bytes.data(), bytes.size());
  if (rc != kOk) return rc;
  *program = runnable;
  return kOk;
}

}  // namespace qv::platform
