#include "tools/decrypt/decrypt_backup.h"

#include <sqlite3.h>

#include <map>
#include <memory>
#include <vector>

#include "db/sqlite_uri.h"
#include "platform/ascii.h"
#include "platform/byte_cursor.h"
#include "platform/corrupt_input.h"
#include "platform/crypto_start.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "tools/decrypt/archived_file.h"
#include "tools/decrypt/crypto.h"
#include "tools/decrypt/keybag.h"
#include "tools/decrypt/keybag_unlock.h"
#include "tools/decrypt/manifest_plist.h"
#include "tools/decrypt/mbdb.h"
#include "tools/decrypt/stored_file.h"

namespace qv::decrypt {

namespace {

constexpr std::uint64_t kMaxManifestPlist = 64u << 20;
// About a million records; a larger file would not fit the 32-bit program anyway.
constexpr std::uint64_t kMaxMbdb = 256u << 20;
constexpr std::size_t kKeyBlobSize = 4 + kWrappedKeySize;

bool isFileId(std::string_view id) {
  if (id.size() != 40) return false;
  for (char c : id) {
    bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};

class BackupDecryptor {
 public:
  BackupDecryptor(const std::string& backup, const std::string& output, DecryptReport& report,
                  DecryptSummary* summary)
      : backup_(backup), output_(output), report_(report), summary_(summary) {}

  int run(std::string_view password) {
    lastCorruption() = "";
    int rc = platform::startGcrypt();
    if (rc != kOk) return fail(rc, "the cryptography library is unusable");
    std::string plistBytes;
    rc = platform::readWholeFile(platform::joinPath(backup_, "Manifest.plist"), kMaxManifestPlist,
                                 &plistBytes);
    if (rc != kOk) return fail(rc, "cannot read Manifest.plist");
    ManifestPlist manifest;
    if ((rc = readManifestPlist(plistBytes, &manifest)) != kOk)
      return fail(rc, "Manifest.plist is damaged");
    if (!manifest.isEncrypted) return fail(kInvalid, "the backup is not encrypted");
    Keybag bag;
    if ((rc = parseKeybag(manifest.keybag, &bag)) != kOk) return fail(rc, "the keybag is damaged");

    std::string passcodeKey;
    if ((rc = derivePasscodeKey(bag, password, &passcodeKey)) != kOk)
      return fail(rc, "key derivation failed");
    rc = unlockKeybag(bag, passcodeKey, &classKeys_);
    if (rc == kWrongPassword) {
      report_.wrongPassword();
      return rc;
    }
    if (rc != kOk) return fail(rc, "the keybag holds no class the password opens");

    std::string manifestDb = platform::joinPath(backup_, "Manifest.db");
    if (platform::isFile(manifestDb)) return runManifestDb(manifest, manifestDb);
    std::string mbdb = platform::joinPath(backup_, "Manifest.mbdb");
    if (platform::isFile(mbdb)) return runMbdb(mbdb);
    return fail(kErrFileNotFound, "the backup has neither Manifest.db nor Manifest.mbdb");
  }

 private:
  int fail(int rc, const std::string& what) {
    std::string text = what;
    // The reader's own words on what was broken, when this failure came from a reader.
    if (rc == kInvalid && *lastCorruption()) text += std::string(" (") + lastCorruption() + ")";
    lastCorruption() = "";
    report_.note(text + " [code " + std::to_string(rc) + "]");
    return rc;
  }

  int runManifestDb(const ManifestPlist& manifest, const std::string& manifestDb) {
    DecipherRequest request;
    request.source = manifestDb;
    request.dest = platform::joinPath(output_, kDecipheredManifestName);
    request.tail = TailRule::kDatabase;
    // Before iOS 10.2 Manifest.db was not enciphered and there is no ManifestKey.
    if (manifest.hasManifestKey) {
      auto cls = classKeys_.find(manifest.manifestKeyClass);
      if (cls == classKeys_.end()) {
        return fail(kInvalid, "ManifestKey names protection class " +
                                  std::to_string(manifest.manifestKeyClass) +
                                  ", which the keybag does not open");
      }
      KeyUnwrapper unwrapper;
      int rc = unwrapper.setKey(cls->second);
      if (rc == kOk) rc = unwrapper.unwrap(manifest.manifestWrappedKey, &request.key);
      if (rc != kOk) return fail(kInvalid, "ManifestKey does not unwrap with its class key");
    }
    // The deciphered manifest goes with the other plaintext, never into the backup folder,
    // which may be read-only and must not gain a file another run could take for its own.
    const bool outputExisted = platform::isFolder(output_);
    int rc = platform::createFolders(output_);
    if (rc != kOk) return fail(rc, "cannot create the output folder");
    DecipherOutcome outcome;
    rc = decipherFile(request, scratch_, &outcome);
    if (rc != kOk) {
      if (!outputExisted) platform::removeFolder(output_);  // nothing written: nothing left
      return fail(rc, "cannot decipher Manifest.db");
    }
    summary_->manifestWritten = true;
    sqlite3* raw = nullptr;
    int src = sqlite3_open_v2(db::immutableSqliteUri(request.dest).c_str(), &raw,
                              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    std::unique_ptr<sqlite3, SqliteCloser> db(raw);
    if (src != SQLITE_OK) return fail(src, "cannot open the deciphered manifest");
    sqlite3_stmt* rawStmt = nullptr;
    src = sqlite3_prepare_v2(db.get(), "SELECT fileID, flags, file FROM Files", -1, &rawStmt,
                             nullptr);
    std::unique_ptr<sqlite3_stmt, StatementFinalizer> stmt(rawStmt);
    if (src != SQLITE_OK) return fail(kQueryFailed, "the deciphered manifest has no Files table");
    while ((src = sqlite3_step(stmt.get())) == SQLITE_ROW) {
      // Regular files (flags 1) carry data; folders and links have no key. A row of other
      // flags whose record holds a key is a file too: its flags are not what decides.
      const bool regular = sqlite3_column_int64(stmt.get(), 1) == 1;
      const unsigned char* idText = sqlite3_column_text(stmt.get(), 0);
      std::string_view id =
          idText ? std::string_view(reinterpret_cast<const char*>(idText),
                                    static_cast<std::size_t>(sqlite3_column_bytes(stmt.get(), 0)))
                 : std::string_view();
      const void* blob = sqlite3_column_blob(stmt.get(), 2);
      std::string_view blobBytes(static_cast<const char*>(blob),
                                 blob ? sqlite3_column_bytes(stmt.get(), 2) : 0);
      ArchivedFile record;
      const int parsed = readArchivedFile(blobBytes, &record);
      if (!regular && (parsed != kOk || !record.hasKey)) {
        lastCorruption() = "";
        continue;  // a folder or a link
      }
      // The id names the output file: anything but 40 hex digits could climb out of the folder.
      if (!isFileId(id)) {
        skip("a Files row has an id that is not 40 hex digits");
        continue;
      }
      std::string fileId = platform::toLowerAscii(id);
      if (parsed != kOk || !record.hasKey) {
        skip(fileId + ": the file record has no usable key");
        continue;
      }
      decryptOne(fileId, record.keyBlob, record.hasProtectionClass ? record.protectionClass : 0,
                 record.hasSize, record.size, /*flat=*/false);
    }
    if (src != SQLITE_DONE) return fail(kQueryFailed, "reading the Files table failed");
    return kOk;
  }

  int runMbdb(const std::string& path) {
    std::string bytes;
    int rc = platform::readWholeFile(path, kMaxMbdb, &bytes);
    if (rc != kOk) return fail(kMbdbOpenFailed, "cannot read Manifest.mbdb");
    std::vector<MbdbRecord> records;
    rc = readMbdb(bytes, &records);
    // Records before the damage are still good; they are deciphered, and the damage reported.
    if (rc != kOk) fail(rc, "Manifest.mbdb is damaged; its readable records are used");
    int folderRc = platform::createFolders(output_);
    if (folderRc != kOk) return fail(folderRc, "cannot create the output folder");
    for (const MbdbRecord& r : records) {
      if (!r.isRegularFile() || r.encryptionKey.empty()) continue;
      std::string fileId = sha1Hex(r.domain + "-" + r.path);
      decryptOne(fileId, r.encryptionKey, r.protectionClass, true, r.size, /*flat=*/true);
    }
    return rc;
  }

  void skip(const std::string& why) {
    lastCorruption() = "";
    ++summary_->skipped;
    report_.note("skipped " + why);
  }

  KeyUnwrapper* unwrapperFor(std::uint32_t cls) {
    auto found = unwrappers_.find(cls);
    if (found != unwrappers_.end()) return found->second.get();
    auto key = classKeys_.find(cls);
    if (key == classKeys_.end()) return nullptr;
    auto unwrapper = std::make_unique<KeyUnwrapper>();
    if (unwrapper->setKey(key->second) != kOk) return nullptr;
    return (unwrappers_[cls] = std::move(unwrapper)).get();
  }

  void decryptOne(const std::string& fileId, std::string_view keyBlob, std::uint32_t recordClass,
                  bool sizeKnown, std::uint64_t size, bool flat) {
    if (keyBlob.size() != kKeyBlobSize) return skip(fileId + ": the wrapped key is not 44 bytes");
    ByteCursor c(keyBlob);
    std::uint32_t blobClass = c.le32();
    std::string_view wrapped = c.bytes(kWrappedKeySize);
    // The class in front of the key decides; the record's own class is the fallback.
    KeyUnwrapper* unwrapper = unwrapperFor(blobClass);
    if (!unwrapper && recordClass != blobClass) unwrapper = unwrapperFor(recordClass);
    if (!unwrapper) return skip(fileId + ": its protection class is not opened by the password");
    DecipherRequest request;
    if (unwrapper->unwrap(wrapped, &request.key) != kOk)
      return skip(fileId + ": its key does not unwrap");

    std::string inFolder = platform::joinPath(backup_, fileId);
    std::string inSubfolder =
        platform::joinPath(platform::joinPath(backup_, fileId.substr(0, 2)), fileId);
    request.source = flat ? inFolder : inSubfolder;
    if (!platform::isFile(request.source)) request.source = flat ? inSubfolder : inFolder;
    request.dest = platform::joinPath(output_, fileId);
    request.sizeKnown = sizeKnown;
    request.size = size;
    if (!platform::isFile(request.source)) {
      // An empty file may have been stored as nothing at all.
      if (!(sizeKnown && size == 0)) return skip(fileId + ": the stored file is missing");
      if (platform::writeWholeFile(request.dest, "", 0) != kOk)
        return skip(fileId + ": cannot write the output");
      report_.filesDone(++summary_->written);
      return;
    }
    DecipherOutcome outcome;
    int rc = decipherFile(request, scratch_, &outcome);
    if (rc == kInvalid) return skip(fileId + ": the stored file is cut short");
    if (rc != kOk)
      return skip(fileId + ": reading or writing failed [code " + std::to_string(rc) + "]");
    if (outcome.sizeMismatch)
      report_.note(fileId + ": deciphered length differs from the recorded size");
    report_.filesDone(++summary_->written);
  }

  std::string backup_;
  std::string output_;
  DecryptReport& report_;
  DecryptSummary* summary_;
  ClassKeys classKeys_;
  std::map<std::uint32_t, std::unique_ptr<KeyUnwrapper>> unwrappers_;
  std::vector<unsigned char> scratch_;
};

}  // namespace

int decryptBackup(const std::string& backupFolder, const std::string& outputFolder,
                  std::string_view password, DecryptReport& report, DecryptSummary* summary) {
  *summary = DecryptSummary();
  BackupDecryptor decryptor(backupFolder, outputFolder, report, summary);
  return decryptor.run(password);
}

}  // namespace qv::decrypt
