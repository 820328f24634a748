// Manifest.db: the manifest of newer backups, an SQLite database. Its Files table is read
// straight from the pages where that gives what the SQLite library's query gives, else through
// the library.
//
// Table Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, flags INTEGER,
// file BLOB); only the first three columns are read, and the index follows the table's row
// order (its row ids). Each row gives one entry:
//   fileId = fileID
//   key    = domain, then "-" + relativePath when relativePath is not NULL
// A NULL domain counts as empty. A row whose fileID is not 40 lower-case hexadecimal digits is
// dropped: the id becomes a path under the backup folder, and a crafted one ("../../x") must not
// reach outside it.
#pragma once

#include <string>

#include "backup/manifest_entry.h"

namespace qv::backup {

// Clears the index, then fills it from the database at the (UTF-8) path. 0; the SQLite library's
// code when the database cannot be opened (it is opened read-only, so a missing file gives
// SQLITE_CANTOPEN and is never created); 1006 when the query fails (a file that is not a database,
// no Files table, a damaged page), in which case the rows delivered before the failure stay in
// the index and *failure (when given) holds the SQLite library's words for what happened; 87,
// with an empty index, for a manifest past the index's limits (manifest_entry.h); 8, with an
// empty index, when memory runs out.
//
// The database is never mapped into memory: a mapped manifest of a large device counts whole
// against the program's memory while it is read.
int readManifestDb(const std::string& path, ManifestIndex* index, std::string* failure = nullptr);

}  // namespace qv::backup
