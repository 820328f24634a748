// Any bytes as a Manifest.plist: either plist form, then the key extraction.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/decrypt/manifest_plist.h"
#include "tools/decrypt/xml_plist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qv::plist::PlistValue tree;
  qv::decrypt::readAnyPlist(bytes, &tree);
  qv::decrypt::ManifestPlist manifest;
  qv::decrypt::readManifestPlist(bytes, &manifest);
  return 0;
}
