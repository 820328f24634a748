// The extraction engine: opens one backup and answers everything the pages, the export job and
// the CLI ask of it. One engine lives as long as the program; recovery sources point to it and
// never own it.
//
// What it keeps between calls: the backup list (backup/ does the finding and reading), the
// current backup and its manifest index, the progress arithmetic of a scan, the row-id marks
// that the value-line exports continue from, and copies of the chat results that the chat text
// writers read. Messages are read straight into the caller's map and not copied: nothing reads
// a second copy, and 100,000 messages take about 100 MB of wide text. Operations are grouped by
// file:
//   recovery_engine.cpp   start-up, backups, open, progress, the database steps
//   media_walks.cpp       Camera Roll / Photo Stream, message attachments, app files
//   stored_copy.cpp       preview files, copying stored files out, removing temporary files
//   chat_exports.cpp      QQ and WeChat accounts, chat text, the value-line exports
//   decryption.cpp        password-protected backups
//
// Progress. A scan adds to `progress` step by step; `step` is the share of one step (11, or 10
// for a password-protected backup). Shares: open 1 then step; photos 2 x step; messages,
// contacts, calls, notes step / 2 each; attachments, app files, WhatsApp and WhatsApp
// attachments step each. A plain backup with every category chosen ends at 98.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_info.h"
#include "backup/manifest_choice.h"
#include "backup/manifest_entry.h"
#include "db/message_reader.h"
#include "db/records.h"
#include "engine/items.h"
#include "engine/progress.h"
#include "platform/file.h"
#include "platform/file_lock.h"

namespace qv::engine {

// Paths are UTF-8 throughout the engine. The records the pages hold keep the wide fields they
// show or hand back (BackupInfo::folder, FileItem::storedPath) and the recovery-source interface
// its wide path arguments; those are converted once, where a record is made or a slot is
// entered.
struct EngineSetup {
  // Where preview copies and decryption output go; empty: application data + "QuenvaleTarnwick".
  std::string workFolder;
  // The folder whose entries are the backups; empty: the system's default backup root (none on
  // Linux, where the user names the root).
  std::string backupRoot;
  // False leaves the backup list empty (a caller that opens one named folder needs none).
  bool findBackups = true;
  // The decryption tool as shipped (UTF-8 path); empty: the one beside the program
  // (decryption.h, prepareDecryptionTool).
  std::string decryptionTool;
};

// Row ids the value-line exports number new rows after until a read raises them.
constexpr std::uint64_t kInitialMaxRowId = 20000;

// Stored files of the app databases, by the SHA-1 of their keys.
inline constexpr char kSmsFileId[] = "3d0d7e5fb2ce288813306e4d4636395e047a3d28";
inline constexpr char kAddressBookFileId[] = "31bb7ba8914766d4ba40d6dfb6113c8b614be442";
inline constexpr char kCallHistoryFileId[] = "5a4935c78a5255723f707230a451d79c540d2741";
inline constexpr char kOldCallHistoryFileId[] = "2b2b0084a1bc3a5ac8c27afdf14afb42c61a19ca";
inline constexpr char kNotesFileId[] = "ca3bc056d4da0bbf88b5fb3be254f3b7147e639c";
// Their keys: the write-ahead log the phone keeps beside a database is stored under the key
// with "-wal" appended.
inline constexpr char kSmsKey[] = "HomeDomain-Library/SMS/sms.db";
inline constexpr char kAddressBookKey[] = "HomeDomain-Library/AddressBook/AddressBook.sqlitedb";
inline constexpr char kCallHistoryKey[] = "HomeDomain-Library/CallHistoryDB/CallHistory.storedata";
inline constexpr char kOldCallHistoryKey[] = "WirelessDomain-Library/CallHistory/call_history.db";
inline constexpr char kNotesKey[] = "HomeDomain-Library/Notes/notes.sqlite";
inline constexpr char kNoteStoreKey[] = "AppDomainGroup-group.com.apple.notes-NoteStore.sqlite";

// The preview files in the work folder.
inline constexpr char kPicturePreviewName[] = "tmp.jpg";
inline constexpr char kSoundPreviewName[] = "tmp.wav";
inline constexpr char kVideoPreviewName[] = "tmp.avi";

class RecoveryEngine {
 public:
  // Creates the work folder, removes the run folders that dead runs left in its temporary
  // folder (decryption.h), and finds the backups under the root. Neither failing is fatal: a
  // computer without an application-data folder or a default backup root still gets an engine, with
  // an empty backup list and startResult() telling why.
  RecoveryEngine() : RecoveryEngine(EngineSetup()) {}
  explicit RecoveryEngine(const EngineSetup& setup);
  // Removes the temporary files (preview copies, this engine's run folder).
  ~RecoveryEngine();
  RecoveryEngine(const RecoveryEngine&) = delete;
  RecoveryEngine& operator=(const RecoveryEngine&) = delete;

  // 0, or the first failure of the start-up (work folder, backup root).
  int startResult() const { return startResult_; }

  // --- Backups (backup/discovery.h) ---
  bool enumerateFolder(const std::string& folder, std::vector<std::string>* out) const;
  // Lists the entries of the system's default backup roots (platform::defaultBackupRoots), the
  // first making the backup folder; listBackups then sorts the backups of all of them together,
  // newest first. The code of the application-data lookup when there is no default root.
  int findBackups();
  // The same for a root the user named.
  int findBackupsIn(const std::string& root);
  // The roots the last find listed.
  const std::vector<std::string>& backupRoots() const { return backupRoots_; }
  // One record per backup entry, newest first. 0.
  int listBackups(std::vector<backup::BackupInfo>* out) const;
  int readBackupFolder(backup::BackupInfo* info, const std::string& folder) const;
  bool probeEncrypted(const std::string& folder) const;
  std::string localBackupDate(std::string_view utcText) const;
  // Copies the record into the current backup and makes its folder the backup folder. 0.
  int setCurrentBackup(const backup::BackupInfo& info);
  // The stored file of a file id under the backup folder, in the current backup's layout.
  std::string storedFilePath(std::string_view fileId) const;
  // The stored database of a manifest key, with the write-ahead log the backup stored beside it
  // (key + "-wal") when there is one. A file that is not where its path says (a link, or under
  // a linked folder: backup/stored_path.h) is left out: an empty database path reads as a
  // missing database.
  db::DatabaseFile storedDatabase(std::string_view key) const;

  // Records whether the backup folder has Manifest.db and reads the manifest that this
  // chooses into the index (replaced whole). The reader's result.
  int loadManifest();
  backup::ManifestKind manifestKind() const {
    return hasManifestDb_ ? backup::ManifestKind::kDb : backup::ManifestKind::kMbdb;
  }
  // What went wrong reading the manifest last time, in the SQLite library's words; empty when
  // nothing did or the reader kept no words.
  const std::string& manifestFailure() const { return manifestFailure_; }

  // --- A scan ---
  // The callback every report goes to (null: none) and its user value.
  void setCallback(ProgressCallback callback, void* user);
  // Opens the current backup: forgets every result of the previous open, decrypts a
  // password-protected backup, reads the manifest. Returns the manifest reader's result, or
  // decryption's (-110 wrong password, its failure, or the callback's stop answer) at once.
  int open(const std::wstring& password);

  // The database steps. Each reads its stored database and then adds its share to the progress
  // and reports it. A database the backup does not hold gives 87 and an empty category; the
  // result 2 always means that the callback asked to stop (see databaseStepResult).
  int readMessages(db::ConversationMap* conversations);
  int readContacts(std::vector<db::ContactRecord>* contacts);
  int readCalls(std::vector<db::CallRecord>* calls);
  int readNotes(std::vector<db::NoteRecord>* notes);
  // WhatsApp's chat database; the callback's answer to the closing report is the result.
  int readWhatsApp(db::WhatsAppChatMap* chats);

  // The manifest walks (media_walks.cpp). Each examines every index entry once, reports after
  // each, and ends early with the callback's stop answer; otherwise 0.
  int gatherPhotos(std::vector<FileItem>* cameraRoll, std::vector<FileItem>* photoStream);
  int gatherMessageAttachments(std::vector<FileItem>* items);
  // App media into the list; WhatsApp's attachments are kept for takeWhatsAppAttachments.
  int gatherAppFiles(std::vector<AppFileItem>* items);
  // Hands over what the app-file walk of this open kept (nothing when it did not run), adds
  // `step` and reports; the callback's answer (0 without a callback).
  int takeWhatsAppAttachments(std::vector<FileItem>* items);

  // --- Preview and export primitives (stored_copy.cpp, chat_exports.cpp) ---
  // Copies a stored file of a recognised type to the preview file of its kind (picture, sound,
  // video) in the work folder; *previewPath names it (empty when the type is not recognised).
  // 0; 87 for an unrecognised type or a file that cannot be opened; 30 for a short read; the
  // system's code for a failed write; or the callback's stop answer. The callback always gets a
  // last call with 100.
  int makePreviewFile(const std::wstring& storedPath, std::wstring* previewPath,
                      PreviewCallback callback, void* user);
  // Copies a stored file to the destination (its folder created with parents), reporting after
  // each 64 KiB piece with at most 99, then once with 100, the result and the name the copy
  // was published under: the destination, or the next numbered name when that was taken
  // (stored_copy.cpp). 0; 87 when the source cannot be opened; the system's code when the
  // destination cannot be made or written; 30 for a short read; or the callback's stop answer.
  // On any failure nothing is left at the destination. An empty source gives an empty file.
  int copyStoredFile(const std::wstring& source, const std::wstring& destination,
                     CopyCallback callback, void* user);
  // The message (address-book) rows as value lines appended to outputPath (UTF-8), new rows
  // numbered after the highest row id the last read met. The writer's code.
  int exportMessageLines(const std::string& outputPath);
  int exportContactLines(const std::string& outputPath);
  // Every QQ (WeChat) account database of the index, each account's chats under its key.
  int readQqChats(AccountChatMap* chats);
  int readWechatChats(AccountChatMap* chats);
  // One chat of the last read as UTF-8 text with a byte-order mark and CR LF line ends: per
  // message "<date> <speaker>:" and "    <text>" and an empty line. 0 (also for a chat that
  // is not there: the file is then empty but for the mark), the system's code for a file that
  // cannot be written, or the callback's stop answer.
  int writeWhatsAppChatText(std::int32_t chatKey, const std::wstring& outputPath,
                            CopyCallback callback, void* user);
  int writeQqChatText(const std::wstring& accountKey, const std::wstring& chatKey,
                      const std::wstring& outputPath, CopyCallback callback, void* user);
  int writeWechatChatText(const std::wstring& accountKey, const std::wstring& chatKey,
                          const std::wstring& outputPath, CopyCallback callback, void* user);
  // Deletes the preview files and this engine's run folder with the deciphered copy. 0;
  // failures are ignored.
  int removeTemporaryFiles();
  // The preview file of a kind: work folder + "tmp.jpg", "tmp.wav" or "tmp.avi".
  std::string previewFilePath(const char* name) const;

  // --- Password-protected backups (decryption.cpp) ---
  // Runs the decryption tool on the current backup with the password; *outputFolder receives
  // the folder the deciphered files go to (in this engine's run folder, emptied first). 0,
  // -110 for a wrong password, 87 when the tool cannot start, the run folder cannot be made or
  // the password cannot be handed over (decryption.h), or the callback's stop answer.
  int decryptBackup(const std::wstring& password, std::string* outputFolder);
  // The folder in which run folders are made (decryption.h), chosen at the first call and then
  // kept, even when free space changes: the work folder's QuenvaleTempFile when its volume has
  // more than 15 GiB free, else QuenvaleTempFile on the drive with the most free space (never
  // the root of the whole file system; the work folder's again when that one cannot be
  // created). Hidden. Its parent chain is created.
  std::string temporaryFolder();
  // This engine's run folder + "QuenvaleTarnwickBackupPath"; empty before the first
  // decryption made the run folder.
  std::string decryptionOutputFolder() const;
  // This engine's run folder; empty before the first decryption.
  const std::string& runFolder() const { return runFolder_; }

  // --- State ---
  const std::string& backupFolder() const { return backupFolder_; }
  const std::string& workFolder() const { return workFolder_; }
  const backup::BackupInfo& currentBackup() const { return currentBackup_; }
  const std::vector<std::string>& backupEntries() const { return backupEntries_; }
  const std::vector<std::string>& backupFiles() const { return backupFiles_; }
  const backup::ManifestIndex& index() const { return index_; }
  bool hasManifestDb() const { return hasManifestDb_; }
  int progress() const { return progress_; }
  int step() const { return step_; }
  std::uint64_t maxMessageRowId() const { return maxMessageRowId_; }
  std::uint64_t maxContactRowId() const { return maxContactRowId_; }
  const db::WhatsAppChatMap& whatsappChats() const { return whatsappChats_; }
  const AccountChatMap& qqChats() const { return qqChats_; }
  const AccountChatMap& wechatChats() const { return wechatChats_; }

  // Reports a value: the callback's answer, 0 without a callback.
  int report(int value);

 private:
  // The result of a database step: the reader's code, except that a missing database is 87: a
  // 2 that no stop answer produced (the platform's "file not found", numbered 2 like a cancel,
  // so a missing database never ends the scan as if the user had stopped it) and a 3 ("path
  // not found": a missing two-character folder, or the empty path of a database that is not
  // where its path says, storedDatabase).
  int databaseStepResult(int readerResult) const;
  // Adds to the progress and reports it; the callback's answer.
  int advance(int share);
  int readChatAccounts(bool qq, AccountChatMap* chats);
  template <typename Speaker, typename Messages>
  int writeChatText(const Messages* messages, Speaker speaker, const std::wstring& outputPath,
                    CopyCallback callback, void* user);
  // Makes this engine's run folder in the temporary folder (once), after removing the runs
  // that died there.
  int openRunFolder();
  void removeDecryptionOutput();
  // Opens a stored file where it lies (never through a link); 87 otherwise.
  int openStoredFile(const std::string& path, platform::File* file) const;
  // Fills backupFiles with the stored files of the (enciphered) backup folder.
  void listBackupFiles();

  std::string backupFolder_;
  std::string workFolder_;
  backup::BackupInfo currentBackup_;
  std::vector<std::string> backupRoots_;
  std::vector<std::string> backupEntries_;
  std::vector<std::string> backupFiles_;
  backup::ManifestIndex index_;
  std::string manifestFailure_;
  ProgressCallback callback_ = nullptr;
  void* callbackUser_ = nullptr;
  int progress_ = 0;
  int step_ = 11;
  std::uint64_t maxMessageRowId_ = kInitialMaxRowId;
  std::uint64_t maxContactRowId_ = kInitialMaxRowId;
  bool hasManifestDb_ = false;
  AccountChatMap qqChats_;
  AccountChatMap wechatChats_;
  db::WhatsAppChatMap whatsappChats_;
  std::vector<FileItem> whatsappAttachments_;
  // Set when the callback answered "stop" since the current step began.
  bool stopAnswered_ = false;
  std::string temporaryFolder_;
  std::string runFolder_;
  platform::FileLock runLock_;
  std::string decryptionTool_;
  int startResult_ = 0;
};

}  // namespace qv::engine
