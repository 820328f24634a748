// Any bytes as a skin archive: the directory reader must end and stay inside the buffer, every
// indexed name must be safe, every read must give exactly the declared bytes or a code, and
// every entry built as a layout must give a control tree or nothing, never a crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/builder.h"
#include "framework/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::framework::ZipArchive zip;
  qv::framework::ZipLimits limits;
  limits.maxEntryBytes = 1u << 20;
  zip.open(std::string(reinterpret_cast<const char*>(data), size), limits);
  qv::framework::LayoutBuilder builder(zip);
  for (const std::string& name : zip.names()) {
    if (!qv::framework::ZipArchive::isSafeName(name)) std::abort();
    std::string out;
    int rc = zip.read(name, &out);
    if (rc != 0 && !out.empty()) std::abort();
    if (out.size() > limits.maxEntryBytes) std::abort();
    if (rc == 0) builder.buildControl(name);
  }
  return 0;
}
