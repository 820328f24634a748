// Writes password-protected backup folders for tests and benchmarks, as the backup program
// writes them: Manifest.plist (binary or XML) with the keybag, every stored file enciphered
// with its own key, and either an enciphered Manifest.db (iOS 10.2 on, two-stage key
// derivation), a plain Manifest.db with no ManifestKey (iOS 10.0 and 10.1), or a plain
// Manifest.mbdb (before iOS 10). Keys and salts come from a seed, so a folder is the same
// every time. Unit tests use small iteration counts; the benchmark uses the real ones.
//
//   samples::EncryptOptions o;  o.password = "p4ss word";
//   samples::EncryptedBackupWriter w(folder, o);
//   w.addFile("HomeDomain", "Library/SMS/sms.db", bytes);
//   ASSERT_EQ(w.finish(), 0);
//
// Damaged variants (a ManifestKey naming a class the keybag lacks, an unpadded Manifest.db,
// empty files stored as nothing) are options; damage to single stored files is done by the
// test on the paths that storedPath() gives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::samples {

enum class EncryptedEra {
  kManifestDb,       // enciphered Manifest.db, ManifestKey, DPSL/DPIC in the keybag
  kPlainManifestDb,  // Manifest.db not enciphered, no ManifestKey, SHA-1 derivation only
  kManifestMbdb,     // Manifest.mbdb, stored files flat in the folder
};

enum class EncryptedPlistForm { kBinary, kXml };

// How a file of 0 bytes is stored.
enum class EmptyFileForm { kPaddingBlock, kZeroBytes, kAbsent };

// A keybag taken from elsewhere (a published line of a real device's keybag) instead of one
// made from the seed: its salts, counts and one wrapped class key, with that class key in the
// clear (found once from the known passcode key). The password then is the one that goes
// with the line, and every file and the manifest use this one class.
struct ForeignKeybag {
  std::string salt;
  std::uint32_t iterations = 0;
  std::string dpSalt;  // empty: no SHA-256 stage
  std::uint32_t dpIterations = 0;
  std::string wrappedClassKey;  // 40 bytes
  std::string classKey;         // 32 bytes
  std::uint32_t protectionClass = 3;
};

struct EncryptOptions {
  std::string password = "password";  // UTF-8
  EncryptedEra era = EncryptedEra::kManifestDb;
  EncryptedPlistForm plistForm = EncryptedPlistForm::kBinary;
  std::uint32_t iterations = 1000;     // ITER, the PBKDF2-HMAC-SHA1 stage (real backups: 10,000)
  std::uint32_t dpIterations = 1000;   // DPIC, the PBKDF2-HMAC-SHA256 stage (real: 10,000,000)
  std::uint32_t manifestKeyClass = 4;  // a class outside 1..11 names a class the keybag lacks
  bool padManifestDb = true;           // false: enciphered without PKCS#7 padding
  EmptyFileForm emptyFiles = EmptyFileForm::kPaddingBlock;
  bool keyBehindUid = false;  // EncryptionKey's NS.data as a UID instead of inline
  // The flags of a Files row whose record has a key: 1 on the phones seen; other values (16,
  // 0) occur, and the row still holds a file to decipher.
  std::int64_t keyedFileFlags = 1;
  // Folder records with an EncryptionKey that refers to $null (no key) instead of none.
  bool nullKeysForFolders = false;
  std::string seed = "quenvale";  // every key and salt derives from it
  bool useForeignKeybag = false;
  ForeignKeybag foreignKeybag;
  // What the backup list shows of it (Info.plist).
  std::string displayName = "Test iPhone";
  std::string lastBackupDate = "2016-05-01T23:30:00Z";  // ISO 8601 in UTC
};

struct EncryptedFile {
  std::string domain;
  std::string relativePath;
  std::string fileId;      // lower-case hex SHA-1 of domain + "-" + relativePath
  std::string storedPath;  // where the enciphered bytes are (may be absent for empty files)
  std::uint64_t size = 0;
};

class EncryptedBackupWriter {
 public:
  // Creates the folder with its parents.
  EncryptedBackupWriter(std::string folder, EncryptOptions options);
  ~EncryptedBackupWriter();
  EncryptedBackupWriter(const EncryptedBackupWriter&) = delete;
  EncryptedBackupWriter& operator=(const EncryptedBackupWriter&) = delete;

  // Enciphers and writes the stored file at once; the manifest gets its record at finish().
  // protectionClass is 1..4 as on devices. Returns the file id ("" when writing failed).
  std::string addFile(const std::string& domain, const std::string& relativePath,
                      std::string_view content, std::uint32_t protectionClass = 3);
  // Writes the manifest, Manifest.plist, Info.plist and Status.plist. 0, or the first failure.
  int finish();

  // Lower-case hex SHA-1 of domain + "-" + relativePath: the name a backup gives a file.
  static std::string fileIdOf(const std::string& domain, const std::string& relativePath);

  const std::vector<EncryptedFile>& files() const { return files_; }
  const std::string& folder() const { return folder_; }
  std::string storedPath(const std::string& fileId) const;
  // The 32-byte class key of a class (for known-answer checks in tests).
  std::string classKey(std::uint32_t protectionClass) const;

 private:
  struct Record {
    std::string domain;
    std::string relativePath;
    std::string fileId;
    std::string keyBlob;  // empty for folders
    std::uint32_t protectionClass = 0;
    std::uint64_t size = 0;
    std::uint16_t mode = 0;
    std::uint64_t inode = 0;
  };
  void addFolderRecords(const std::string& domain, const std::string& relativePath);
  int writeManifestDb();
  int writeMbdb();
  int writePlists();
  std::string buildKeybag() const;

  std::string folder_;
  EncryptOptions options_;
  std::string passcodeKey_;
  std::vector<EncryptedFile> files_;
  std::vector<Record> records_;
  std::vector<std::string> folderKeys_;
  int firstError_ = 0;
};

// One stored file of a backup to write.
struct PlainBackupFile {
  std::string domain;
  std::string relativePath;
  std::string content;
  std::uint32_t protectionClass = 3;
};

// The whole backup in one call: every file, then the manifest and the plists. 0, or the first
// failure. *written (may be null) receives the files with their ids and stored paths.
int writeEncryptedBackup(const std::string& folder, const std::vector<PlainBackupFile>& files,
                         const EncryptOptions& options,
                         std::vector<EncryptedFile>* written = nullptr);

}  // namespace qv::samples
