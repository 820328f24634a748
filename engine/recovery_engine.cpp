#include "engine/recovery_engine.h"

#include "backup/backup_date.h"
#include "backup/discovery.h"
#include "backup/encryption_probe.h"
#include "backup/manifest_choice.h"
#include "backup/stored_path.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace qv::engine {

RecoveryEngine::RecoveryEngine(const EngineSetup& setup) {
  workFolder_ = setup.workFolder;
  if (workFolder_.empty()) {
    std::string appData;
    startResult_ = platform::appDataFolder(&appData);
    if (startResult_ == 0)
      workFolder_ = platform::toWide(platform::joinPath(appData, "QuenvaleTarnwick"));
  }
  if (!workFolder_.empty()) {
    int rc = platform::createFolders(platform::toUtf8(workFolder_));
    if (startResult_ == 0) startResult_ = rc;
  }
  if (!setup.findBackups) return;
  int rc = setup.backupRoot.empty() ? findBackups() : findBackupsIn(setup.backupRoot);
  if (startResult_ == 0) startResult_ = rc;
}

bool RecoveryEngine::enumerateFolder(const std::wstring& folder,
                                     std::vector<std::wstring>* out) const {
  return backup::enumerateFolder(folder, out);
}

int RecoveryEngine::findBackups() {
  backupEntries_.clear();
  std::string root = platform::defaultBackupRoot();
  if (root.empty()) {
    // No default root: say why when the application-data folder is the reason.
    std::string appData;
    return platform::appDataFolder(&appData);
  }
  return findBackupsIn(platform::toWide(root));
}

int RecoveryEngine::findBackupsIn(const std::wstring& root) {
  backupFolder_ = backup::trimTrailingSeparators(root);
  backupEntries_.clear();
  // A root that is missing or unreadable simply holds no backups.
  backup::enumerateFolder(backupFolder_, &backupEntries_);
  return 0;
}

int RecoveryEngine::listBackups(std::vector<backup::BackupInfo>* out) const {
  backup::listBackups(backupEntries_, out);
  return 0;
}

int RecoveryEngine::readBackupFolder(backup::BackupInfo* info, const std::wstring& folder) const {
  return backup::readBackupFolder(info, folder);
}

bool RecoveryEngine::probeEncrypted(const std::wstring& folder) const {
  return backup::probeEncrypted(folder);
}

std::string RecoveryEngine::localBackupDate(std::string_view utcText) const {
  return backup::localBackupDate(utcText);
}

int RecoveryEngine::setCurrentBackup(const backup::BackupInfo& info) {
  currentBackup_ = info;
  backupFolder_ = info.folder;
  return 0;
}

std::wstring RecoveryEngine::storedFilePath(std::string_view fileId) const {
  return backup::storedFilePath(backupFolder_, fileId, currentBackup_.encrypted, hasManifestDb_);
}

int RecoveryEngine::loadManifest() {
  hasManifestDb_ = backup::hasManifestDb(backupFolder_);
  return backup::readChosenManifest(backupFolder_, hasManifestDb_, &index_);
}

}  // namespace qv::engine
