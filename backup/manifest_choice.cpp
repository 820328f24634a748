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

namespace {

int readDbAt(const std::string& path, ManifestIndex* index) {
  if (!platform::isFile(path)) return kInvalid;
  return readManifestDb(path, index);
}

}  // namespace

int readChosenManifest(const std::string& folder, bool manifestDb, ManifestIndex* index) {
  index->clear();
  if (manifestDb) return readDbAt(platform::joinPath(folder, "Manifest.db"), index);
  const std::string mbdb = platform::joinPath(folder, "Manifest.mbdb");
  if (!platform::isFile(mbdb)) return kInvalid;
  return readManifestMbdb(mbdb, index);
}

int readDecipheredManifest(const std::string& backupFolder, const std::string& decryptionOutput,
                           bool manifestDb, ManifestIndex* index) {
  index->clear();
  if (!manifestDb) return readChosenManifest(backupFolder, false, index);
  return readDbAt(platform::joinPath(decryptionOutput, kDecipheredManifestName), index);
}

}  // namespace qv::backup
