// The extraction engine: opens one backup and answers everything the pages and the CLI ask of
// it. This is the start of the class: the state and operations of backup discovery and of the
// manifest index. The logic itself lives in backup/; the engine holds the state between calls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_info.h"
#include "backup/manifest_choice.h"
#include "backup/manifest_entry.h"

namespace qv::engine {

struct EngineSetup {
  // Where preview copies and decryption output go; empty: application data + "QuenvaleTarnwick".
  std::wstring workFolder;
  // The folder whose entries are the backups; empty: the system's default backup root (none on
  // Linux, where the user names the root).
  std::wstring backupRoot;
  // False leaves the backup list empty (a caller that opens one named folder needs none).
  bool findBackups = true;
};

class RecoveryEngine {
 public:
  // Creates the work folder and finds the backups under the root. Neither failing is fatal: a
  // computer without an application-data folder or a default backup root still gets an engine,
  // with an empty backup list and startResult() telling why.
  RecoveryEngine() : RecoveryEngine(EngineSetup()) {}
  explicit RecoveryEngine(const EngineSetup& setup);

  // 0, or the first failure of the start-up (work folder, backup root).
  int startResult() const { return startResult_; }

  bool enumerateFolder(const std::wstring& folder, std::vector<std::wstring>* out) const;
  // Makes the system's default backup root the backup folder and lists its entries; the code
  // of the application-data lookup when there is no default root.
  int findBackups();
  // The same for a root the user named.
  int findBackupsIn(const std::wstring& root);
  // One record per backup entry, newest first. 0.
  int listBackups(std::vector<backup::BackupInfo>* out) const;
  int readBackupFolder(backup::BackupInfo* info, const std::wstring& folder) const;
  bool probeEncrypted(const std::wstring& folder) const;
  std::string localBackupDate(std::string_view utcText) const;
  // Copies the record into the current backup and makes its folder the backup folder. 0.
  int setCurrentBackup(const backup::BackupInfo& info);
  // The stored file of a file id under the backup folder, in the current backup's layout.
  std::wstring storedFilePath(std::string_view fileId) const;

  // Records whether the backup folder has Manifest.db and reads the manifest that this
  // chooses into the index (replaced whole). The reader's result.
  int loadManifest();
  backup::ManifestKind manifestKind() const {
    return hasManifestDb_ ? backup::ManifestKind::kDb : backup::ManifestKind::kMbdb;
  }

  const std::wstring& backupFolder() const { return backupFolder_; }
  const std::wstring& workFolder() const { return workFolder_; }
  const backup::BackupInfo& currentBackup() const { return currentBackup_; }
  const std::vector<std::wstring>& backupEntries() const { return backupEntries_; }
  const backup::ManifestIndex& index() const { return index_; }
  bool hasManifestDb() const { return hasManifestDb_; }

 private:
  std::wstring backupFolder_;
  std::wstring workFolder_;
  backup::BackupInfo currentBackup_;
  std::vector<std::wstring> backupEntries_;
  backup::ManifestIndex index_;
  bool hasManifestDb_ = false;
  int startResult_ = 0;
};

}  // namespace qv::engine
