// Any bytes as a keybag. Key derivation is left out: its cost is the iteration count, not the
// bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/decrypt/keybag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::decrypt::Keybag bag;
  qv::decrypt::parseKeybag(std::string_view(reinterpret_cast<const char*>(data), size), &bag);
  return 0;
}
