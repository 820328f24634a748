// Any bytes as the archived file record of one Manifest.db row.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/decrypt/archived_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::decrypt::ArchivedFile file;
  qv::decrypt::readArchivedFile(std::string_view(reinterpret_cast<const char*>(data), size), &file);
  return 0;
}
