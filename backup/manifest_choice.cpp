#include "backup/manifest_choice.h"

#include <sqlite3.h>
#include "backup/manifest_db.h"
#include "backup/manifest_mbdb.h"
#include "backup/stored_path.h"

#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"

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

bool hasManifestDb(const std::wstring& folder) {
  return platform::isFile(platform::toUtf8(joinWide(folder, L"Manifest.db")));
}

int readChosenManifest(const std::wstring& folder, bool manifestDb, ManifestIndex* index) {
  index->clear();
  if (manifestDb) {
    std::wstring deciphered = joinWide(folder, L"Manifest.db-decypted");
    if (platform::isFile(platform::toUtf8(deciphered))) return readManifestDb(deciphered, index);
    std::wstring db = joinWide(folder, L"Manifest.db");
    if (!platform::isFile(platform::toUtf8(db))) return kInvalid;
    return readManifestDb(db, index);
  }
  std::wstring mbdb = joinWide(folder, L"Manifest.mbdb");
  if (!platform::isFile(platform::toUtf8(mbdb))) return kInvalid;
  return readManifestMbdb(mbdb, index);
}

}  // namespace qv::backup
