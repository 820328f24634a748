// Any bytes as a Manifest.mbdb: the reader must end, stay inside the buffer and yield only
// entries whose file id is the digest of their key.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "backup/file_id.h"
#include "backup/manifest_mbdb.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::backup::ManifestIndex index;
  qv::backup::parseManifestMbdb(std::string_view(reinterpret_cast<const char*>(data), size),
                                &index);
  for (const qv::backup::ManifestEntry& e : index) {
    if (!qv::backup::isFileId(e.fileId) || e.fileId != qv::backup::fileIdOf(e.key)) std::abort();
  }
  return 0;
}
