#include "platform/file.h"
#include "platform/result.h"
#include "platform/shipped_program.h"

namespace qv::platform {

const char* siblingProgramName(const char* /*windowsName*/, const char* otherName) {
  return otherName;
}

int runnableSibling(const std::string& shipped, const std::string& /*workFolder*/,
                    const std::string& /*runName*/, std::string* program) {
  program->clear();
  if (!isFile(shipped)) return kInvalid;
  *program = shipped;
  return kOk;
}

}  // namespace qv::platform
