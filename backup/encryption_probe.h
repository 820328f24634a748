// Telling an enciphered backup from a plain one.
#pragma once

#include <string>

namespace qv::backup {

// True when the backup's stored address-book database (file id 31bb7ba8...) does not begin with
// "SQLite" (any case). The stored file is looked for in the layout the folder has (two-character
// subfolders beside a Manifest.db, flat otherwise), then with ".mddata" appended. A backup
// without that file, or whose file cannot be read, counts as plain; so does an empty file, since
// an enciphered file is never empty.
bool probeEncrypted(const std::string& folder);

}  // namespace qv::backup
