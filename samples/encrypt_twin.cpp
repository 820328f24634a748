#include "samples/encrypt_twin.h"

#include <string_view>

#include "backup/manifest_choice.h"
#include "backup/stored_path.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "samples/backup_sample.h"

namespace qv::samples {

int writeEncryptedTwin(const std::string& plainFolder, const std::string& twinFolder,
                       const EncryptOptions& options) {
  const std::string& plain = plainFolder;
  const bool hasDb = backup::hasManifestDb(plain);
  backup::ManifestIndex index;
  int rc = backup::readChosenManifest(plain, hasDb, &index);
  if (rc != kOk) return rc;
  EncryptedBackupWriter writer(twinFolder, options);
  for (const backup::ManifestEntry& entry : index) {
    const std::string stored = backup::storedFilePath(plain, entry.fileId, false, hasDb);
    if (!platform::isFile(stored)) continue;
    std::string content;
    rc = platform::readWholeFile(stored, 1ull << 30, &content);
    if (rc != kOk) return rc;
    // The file id hashes domain + "-" + path, which the key already is; where it is cut does
    // not change the key a reader rebuilds.
    const std::size_t dash = entry.key.find('-');
    if (dash == std::string_view::npos) continue;
    if (writer.addFile(std::string(entry.key.substr(0, dash)),
                       std::string(entry.key.substr(dash + 1)), content) != entry.fileId)
      return kInvalid;
  }
  return writer.finish();
}

int writeEncryptedSample(const std::string& root) {
  std::string plain;
  for (const SampleBackup& b : sampleBackups())
    if (b.manifestDb) plain = platform::joinPath(root, b.folderName);
  EncryptOptions options;
  options.password = kEncryptedSamplePassword;
  options.iterations = 1000;
  options.dpIterations = 1000;
  // The same phone, backed up again with a password half an hour after the plain sample.
  options.displayName = "Zoë's iPhone";
  options.lastBackupDate = "2021-03-14T09:58:21Z";
  return writeEncryptedTwin(plain, platform::joinPath(root, kEncryptedSampleFolderName), options);
}

}  // namespace qv::samples
