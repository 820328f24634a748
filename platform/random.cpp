#include "platform/random.h"

#include <vector>

#include "platform/result.h"

namespace qv::platform {

int randomHex(std::size_t bytes, std::string* out) {
  out->clear();
  std::vector<unsigned char> raw(bytes);
  const int rc = randomBytes(raw.data(), raw.size());
  if (rc != kOk) return rc;
  static const char kDigits[] = "0123456789abcdef";
  for (unsigned char b : raw) {
    out->push_back(kDigits[b >> 4]);
    out->push_back(kDigits[b & 15]);
  }
  return kOk;
}

}  // namespace qv::platform
