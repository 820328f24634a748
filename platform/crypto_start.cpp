#include "platform/crypto_start.h"

#include <gcrypt.h>

#include "platform/result.h"

namespace qv::platform {

int startGcrypt() {
  static const int result = [] {
    if (gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) return kOk;
    if (!gcry_check_version("1.6.0")) return kInvalid;
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return kOk;
  }();
  return result;
}

}  // namespace qv::platform
