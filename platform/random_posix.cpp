#include <unistd.h>

#include <cerrno>

#include "platform/error_text.h"
#include "platform/random.h"
#include "platform/result.h"

#ifdef __APPLE__
#include <sys/random.h>
#endif

namespace qv::platform {

int randomBytes(void* out, std::size_t n) {
  auto* p = static_cast<unsigned char*>(out);
  while (n > 0) {
    const std::size_t part = n < 256 ? n : 256;  // the most one call gives
    if (::getentropy(p, part) != 0) return errnoToCode(errno);
    p += part;
    n -= part;
  }
  return kOk;
}

}  // namespace qv::platform
