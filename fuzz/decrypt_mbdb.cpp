// Any bytes as a Manifest.mbdb, as the decryption tool reads it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/decrypt/mbdb.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<qv::decrypt::MbdbRecord> records;
  qv::decrypt::readMbdb(std::string_view(reinterpret_cast<const char*>(data), size), &records);
  return 0;
}
