#include "platform/folders.h"

namespace qv::platform {

std::string joinPath(std::string_view a, std::string_view b) {
  std::string out(a);
  if (!out.empty() && out.back() != kSep && out.back() != '/') out.push_back(kSep);
  out.append(b);
  return out;
}

}  // namespace qv::platform
