#include "engine/recovery_engine.h"

#include "backup/backup_date.h"
#include "backup/discovery.h"
#include "backup/encryption_probe.h"
#include "backup/file_id.h"
#include "backup/manifest_choice.h"
#include "backup/stored_path.h"
#include "db/call_reader.h"
#include "db/contact_reader.h"
#include "db/note_reader.h"
#include "db/notestore_reader.h"
#include "db/whatsapp_reader.h"
#include "engine/chat_database.h"
#include "engine/decryption.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

// The message reader reports through a plain function of its own; this one hands its values on.
int forwardReport(void* engine, std::uint32_t value) {
  return static_cast<RecoveryEngine*>(engine)->report(static_cast<int>(value));
}

}  // namespace

RecoveryEngine::RecoveryEngine(const EngineSetup& setup) {
  workFolder_ = setup.workFolder;
  decryptionTool_ = setup.decryptionTool;
  if (workFolder_.empty()) {
    std::string appData;
    startResult_ = platform::appDataFolder(&appData);
    if (startResult_ == 0) workFolder_ = platform::joinPath(appData, "QuenvaleTarnwick");
  }
  if (!workFolder_.empty()) {
    int rc = platform::createFolders(workFolder_);
    if (startResult_ == 0) startResult_ = rc;
  }
  removeTemporaryFiles();
  // Run folders of engines that died; those of living ones stay (decryption.h).
  if (!workFolder_.empty())
    removeAbandonedRuns(platform::joinPath(workFolder_, kTemporaryFolderName));
  if (!setup.findBackups) return;
  int rc = setup.backupRoot.empty() ? findBackups() : findBackupsIn(setup.backupRoot);
  if (startResult_ == 0) startResult_ = rc;
}

RecoveryEngine::~RecoveryEngine() {
  removeTemporaryFiles();
}

bool RecoveryEngine::enumerateFolder(const std::string& folder,
                                     std::vector<std::string>* out) const {
  return backup::enumerateFolder(folder, out);
}

int RecoveryEngine::findBackups() {
  backupEntries_.clear();
  backupRoots_.clear();
  for (const std::string& root : platform::defaultBackupRoots())
    backupRoots_.push_back(backup::trimTrailingSeparators(root));
  if (backupRoots_.empty()) {
    // No default root: say why when the application-data folder is the reason.
    std::string appData;
    return platform::appDataFolder(&appData);
  }
  backupFolder_ = backupRoots_.front();
  // A root that is missing or unreadable simply holds no backups.
  backup::enumerateRoots(backupRoots_, &backupEntries_);
  return 0;
}

int RecoveryEngine::findBackupsIn(const std::string& root) {
  backupFolder_ = backup::trimTrailingSeparators(root);
  backupRoots_.assign(1, backupFolder_);
  backupEntries_.clear();
  backup::enumerateFolder(backupFolder_, &backupEntries_);
  return 0;
}

int RecoveryEngine::listBackups(std::vector<backup::BackupInfo>* out) const {
  backup::listBackups(backupEntries_, out);
  return 0;
}

int RecoveryEngine::readBackupFolder(backup::BackupInfo* info, const std::string& folder) const {
  return backup::readBackupFolder(info, folder);
}

bool RecoveryEngine::probeEncrypted(const std::string& folder) const {
  return backup::probeEncrypted(folder);
}

std::string RecoveryEngine::localBackupDate(std::string_view utcText) const {
  return backup::localBackupDate(utcText);
}

int RecoveryEngine::setCurrentBackup(const backup::BackupInfo& info) {
  currentBackup_ = info;
  backupFolder_ = platform::toUtf8(info.folder);
  return 0;
}

std::string RecoveryEngine::storedFilePath(std::string_view fileId) const {
  return backup::storedFilePath(backupFolder_, fileId, currentBackup_.encrypted, hasManifestDb_);
}

db::DatabaseFile RecoveryEngine::storedDatabase(std::string_view key) const {
  std::string path = storedFilePath(backup::fileIdOf(key));
  if (!backup::storedFileInPlace(backupFolder_, path)) path.clear();
  std::string wal = storedFilePath(backup::fileIdOf(std::string(key) + "-wal"));
  if (!backup::storedFileInPlace(backupFolder_, wal) || !platform::isFile(wal)) wal.clear();
  return db::DatabaseFile(std::move(path), std::move(wal));
}

int RecoveryEngine::loadManifest() {
  hasManifestDb_ = backup::hasManifestDb(backupFolder_);
  return backup::readChosenManifest(backupFolder_, hasManifestDb_, &index_, &manifestFailure_);
}

void RecoveryEngine::setCallback(ProgressCallback callback, void* user) {
  callback_ = callback;
  callbackUser_ = user;
}

int RecoveryEngine::report(int value) {
  if (callback_ == nullptr) return 0;
  const int answer = callback_(callbackUser_, value);
  if (answer != 0) stopAnswered_ = true;
  return answer;
}

int RecoveryEngine::advance(int share) {
  progress_ += share;
  return report(progress_);
}

int RecoveryEngine::open(const std::wstring& password) {
  progress_ = 0;
  step_ = 11;
  stopAnswered_ = false;
  report(0);
  // Nothing of the previous open survives: its results, and the row-id marks that the value-line
  // exports would otherwise continue from another backup's numbers.
  backupFiles_.clear();
  backupEntries_.clear();
  index_.clear();
  manifestFailure_.clear();
  whatsappAttachments_.clear();
  whatsappChats_.clear();
  qqChats_.clear();
  wechatChats_.clear();
  maxMessageRowId_ = kInitialMaxRowId;
  maxContactRowId_ = kInitialMaxRowId;
  hasManifestDb_ = backup::hasManifestDb(backupFolder_);

  std::string outputFolder;
  int result = kOk;
  if (currentBackup_.encrypted) {
    step_ = 10;
    listBackupFiles();
    const int rc = decryptBackup(password, &outputFolder);
    if (rc != kOk) return rc;
    backupFiles_.clear();
    backup::enumerateFolder(outputFolder, &backupFiles_);
    result = backup::readDecipheredManifest(backupFolder_, outputFolder, hasManifestDb_, &index_,
                                            &manifestFailure_);
  } else {
    progress_ = 1;
    report(1);
    // A plain backup is read by its own manifest, whatever else lies beside it.
    result = backup::readChosenManifest(backupFolder_, hasManifestDb_, &index_, &manifestFailure_);
  }
  // The deciphered copy is flat and holds every stored file: from now on paths lead there.
  if (!outputFolder.empty()) {
    backupFolder_ = outputFolder;
    currentBackup_.folder = platform::toWide(outputFolder);
  }
  advance(step_);
  return result;
}

void RecoveryEngine::listBackupFiles() {
  // The files of the backup folder, then those of each of its subfolders (one level): what the
  // decryption tool works through, so its count scales the progress.
  std::vector<std::string> entries;
  backup::enumerateFolder(backupFolder_, &entries);
  std::vector<std::string> subfolders;
  for (std::string& entry : entries) {
    if (platform::isFolder(entry))
      subfolders.push_back(std::move(entry));
    else
      backupFiles_.push_back(std::move(entry));
  }
  for (const std::string& folder : subfolders) backup::enumerateFolder(folder, &backupFiles_);
}

int RecoveryEngine::databaseStepResult(int readerResult) const {
  if (readerResult == kCancelled && !stopAnswered_) return kInvalid;
  if (readerResult == kErrPathNotFound) return kInvalid;
  return readerResult;
}

int RecoveryEngine::readMessages(db::ConversationMap* conversations) {
  stopAnswered_ = false;
  db::ReadProgress progress;
  progress.callback = callback_ != nullptr ? forwardReport : nullptr;
  progress.user = this;
  progress.base = static_cast<std::uint32_t>(progress_);
  progress.step = static_cast<std::uint32_t>(step_);
  std::uint64_t maxRowId = maxMessageRowId_;
  int rc = db::ReadMessages(storedDatabase(kSmsKey), storedDatabase(kAddressBookKey), conversations,
                            progress, &maxRowId);
  if (rc == kOk) maxMessageRowId_ = maxRowId;
  rc = databaseStepResult(rc);
  advance(step_ / 2);
  return rc;
}

int RecoveryEngine::readContacts(std::vector<db::ContactRecord>* contacts) {
  stopAnswered_ = false;
  std::uint64_t maxRowId = maxContactRowId_;
  int rc = db::ReadContacts(storedDatabase(kAddressBookKey), currentBackup_.versionAbove11 ? 1 : 0,
                            contacts, &maxRowId);
  if (rc == kOk) maxContactRowId_ = maxRowId;
  rc = databaseStepResult(rc);
  advance(step_ / 2);
  return rc;
}

int RecoveryEngine::readCalls(std::vector<db::CallRecord>* calls) {
  stopAnswered_ = false;
  db::DatabaseFile history = storedDatabase(kCallHistoryKey);
  if (!platform::isFile(history.path)) history = storedDatabase(kOldCallHistoryKey);
  int rc = db::ReadCalls(history, storedDatabase(kAddressBookKey),
                         currentBackup_.versionAbove11 ? 1 : 0, calls);
  rc = databaseStepResult(rc);
  advance(step_ / 2);
  return rc;
}

int RecoveryEngine::readNotes(std::vector<db::NoteRecord>* notes) {
  stopAnswered_ = false;
  // The notes of iOS 9 and later live in NoteStore.sqlite; the older notes.sqlite can still be
  // there beside it (a phone upgraded from iOS 8 keeps it). Both are read, the older first.
  std::vector<db::NoteRecord> list;
  int rc = db::ReadNotes(storedDatabase(kNotesKey), &list);
  const db::DatabaseFile store = storedDatabase(kNoteStoreKey);
  if (platform::isFile(store.path)) {
    const int modern = db::ReadNoteStore(store, &list);
    if (rc != kOk) rc = modern;
  }
  if (rc == kOk) *notes = std::move(list);
  rc = databaseStepResult(rc);
  advance(step_ / 2);
  return rc;
}

int RecoveryEngine::readWhatsApp(db::WhatsAppChatMap* chats) {
  stopAnswered_ = false;
  whatsappChats_.clear();
  const auto chatDb = findChatDatabase(index_, ChatDatabase::kWhatsApp);
  // Without a chat database the category stays empty; the reader's code is not the step's.
  if (chatDb) db::ReadWhatsApp(storedDatabase(chatDb->key), chats);
  whatsappChats_ = *chats;
  return advance(step_);
}

int RecoveryEngine::takeWhatsAppAttachments(std::vector<FileItem>* items) {
  *items = whatsappAttachments_;
  return advance(step_);
}

}  // namespace qv::engine
