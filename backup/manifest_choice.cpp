#include "backup/manifest_choice.h"

#include <sqlite3.h>
#include "backup/manifest_db.h"
#include "backup/manifest_mbdb.h"

#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"

namespace qv::backup {

const char* manifestKindName(ManifestKind kind) {
  return kind == ManifestKind::kDb ? "Manifest.db" : "Manifest.mbdb";
}

std::string manifestResultText(ManifestKind kind, int code) {
  if (kind == ManifestKind::kDb && code != kOk && code != kInvalid && code != kQueryFailed)
    return std::string("SQLite: ") + sqlite3_errstr(code);
  switch (code) {
    case kOk:
      return "read";
    case kInvalid:
      return "missing, too large or not a manifest";
    case kQueryFailed:
      return "the manifest query failed (not a manifest database?)";
    case kMbdbOpenFailed:
      return "Manifest.mbdb cannot be opened";
    default:
      return platform::errorMessage(code);
  }
}

bool hasManifestDb(const std::string& folder) {
  return platform::isFile(platform::joinPath(folder, "Manifest.db"));
}

int readChosenManifest(const std::string& folder, bool manifestDb, ManifestIndex* index) {
  index->clear();
  if (manifestDb) {
    const std::string deciphered = platform::joinPath(folder, "Manifest.db-decypted");
    if (platform::isFile(deciphered)) return readManifestDb(deciphered, index);
    const std::string db = platform::joinPath(folder, "Manifest.db");
    if (!platform::isFile(db)) return kInvalid;
    return readManifestDb(db, index);
  }
  const std::string mbdb = platform::joinPath(folder, "Manifest.mbdb");
  if (!platform::isFile(mbdb)) return kInvalid;
  return readManifestMbdb(mbdb, index);
}

}  // namespace qv::backup
