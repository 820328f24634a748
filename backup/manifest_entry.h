// The manifest index: one flat list of the files a backup stores.
#pragma once

#include <string>
#include <vector>

namespace qv::backup {

// One file of the backup.
struct ManifestEntry {
  std::string key;     // UTF-8 domain + "-" + relative path (the domain alone without a path)
  std::string fileId;  // 40 lower-case hex digits naming the stored file
};

using ManifestIndex = std::vector<ManifestEntry>;

}  // namespace qv::backup
