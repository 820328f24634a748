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

std::string manifestResultText(ManifestKind kind, int code, const std::string& failure) {
  if (kind == ManifestKind::kDb && code != kOk && code != kInvalid && code != kQueryFailed)
    return std::string("SQLite: ") + sqlite3_errstr(code);
  if (!failure.empty() && code != kOk) {
    return (code == kQueryFailed ? "the manifest query failed: " : "refused: ") + failure;
  }
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

int readDbAt(const std::string& path, ManifestIndex* index, std::string* failure) {
  if (!platform::isFile(path)) return kInvalid;
  return readManifestDb(path, index, failure);
}

}  // namespace

int readChosenManifest(const std::string& folder, bool manifestDb, ManifestIndex* index,
                       std::string* failure) {
  index->clear();
  if (failure != nullptr) failure->clear();
  if (manifestDb) return readDbAt(platform::joinPath(folder, "Manifest.db"), index, failure);
  const std::string mbdb = platform::joinPath(folder, "Manifest.mbdb");
  if (!platform::isFile(mbdb)) return kInvalid;
  return readManifestMbdb(mbdb, index);
}

int readDecipheredManifest(const std::string& backupFolder, const std::string& decryptionOutput,
                           bool manifestDb, ManifestIndex* index, std::string* failure) {
  index->clear();
  if (failure != nullptr) failure->clear();
  if (!manifestDb) return readChosenManifest(backupFolder, false, index, failure);
  return readDbAt(platform::joinPath(decryptionOutput, kDecipheredManifestName), index, failure);
}

}  // namespace qv::backup
