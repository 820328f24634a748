#include <windows.h>
// windows.h first: bcrypt.h builds on it.
#include <bcrypt.h>

#include "platform/random.h"
#include "platform/result.h"

namespace qv::platform {

int randomBytes(void* out, std::size_t n) {
  auto* p = static_cast<unsigned char*>(out);
  while (n > 0) {
    const ULONG part = n > 0x10000000u ? 0x10000000u : static_cast<ULONG>(n);
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, p, part, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
      return kInvalid;
    p += part;
    n -= part;
  }
  return kOk;
}

}  // namespace qv::platform
