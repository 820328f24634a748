#include "samples/encrypt_backup.h"

#include <sqlite3.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "samples/backup_info_plist.h"
#include "samples/encrypt_crypto.h"
#include "samples/encrypt_plist_writer.h"

namespace qv::samples {

using enc::PlistOut;

namespace {

constexpr std::uint16_t kFileMode = 0x8000 | 0644;
constexpr std::uint16_t kFolderMode = 0x4000 | 0755;
constexpr std::uint32_t kFirstClass = 1;
constexpr std::uint32_t kLastClass = 11;
constexpr std::int64_t kTimestamp = 1700000000;  // Unix seconds, 2023-11-14

// Classes 5 and 9 to 11 are also wrapped by the device key in real keybags.
std::uint32_t wrapOf(std::uint32_t cls) {
  return (cls == 5 || cls >= 9) ? 3 : 2;
}

void putTlv(std::string& out, const char* tag, std::string_view value) {
  out.append(tag, 4);
  std::uint32_t n = static_cast<std::uint32_t>(value.size());
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((n >> s) & 0xFF));
  out.append(value);
}

std::string be32(std::uint32_t v) {
  std::string out;
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
  return out;
}

std::string le32(std::uint32_t v) {
  std::string out;
  for (int s = 0; s <= 24; s += 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
  return out;
}

void putBe(std::string& out, std::uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The keyed archive of one file record, as the `file` column of Manifest.db holds it.
std::string archivedFileBlob(const std::string& relativePath, const std::string& keyBlob,
                             std::uint32_t cls, std::uint64_t size, std::uint16_t mode,
                             std::uint64_t inode, bool keyBehindUid, bool nullKey) {
  std::vector<PlistOut> objects;
  objects.push_back(PlistOut::string_("$null"));
  objects.emplace_back();  // the record, filled below
  std::vector<std::pair<std::string, PlistOut>> record;
  objects.push_back(PlistOut::string_(relativePath));
  record.emplace_back("RelativePath", PlistOut::uid(objects.size() - 1));
  if (!keyBlob.empty()) {
    std::size_t wrapperIndex = objects.size();
    objects.emplace_back();
    std::size_t classIndex = objects.size();
    objects.push_back(PlistOut::dict(
        {{"$classname", PlistOut::string_("NSMutableData")},
         {"$classes",
          PlistOut::array({PlistOut::string_("NSMutableData"), PlistOut::string_("NSData"),
                           PlistOut::string_("NSObject")})}}));
    PlistOut data = PlistOut::data(keyBlob);
    if (keyBehindUid) {
      objects.push_back(data);
      data = PlistOut::uid(objects.size() - 1);
    }
    objects[wrapperIndex] =
        PlistOut::dict({{"NS.data", data}, {"$class", PlistOut::uid(classIndex)}});
    record.emplace_back("EncryptionKey", PlistOut::uid(wrapperIndex));
  } else if (nullKey) {
    record.emplace_back("EncryptionKey", PlistOut::uid(0));  // $null: nil
  }
  record.emplace_back("ProtectionClass", PlistOut::integer_(cls));
  record.emplace_back("Size", PlistOut::integer_(static_cast<std::int64_t>(size)));
  record.emplace_back("Mode", PlistOut::integer_(mode));
  record.emplace_back("Flags", PlistOut::integer_(0));
  record.emplace_back("UserID", PlistOut::integer_(501));
  record.emplace_back("GroupID", PlistOut::integer_(501));
  record.emplace_back("InodeNumber", PlistOut::integer_(static_cast<std::int64_t>(inode)));
  record.emplace_back("Birth", PlistOut::integer_(kTimestamp));
  record.emplace_back("LastModified", PlistOut::integer_(kTimestamp));
  record.emplace_back("LastStatusChange", PlistOut::integer_(kTimestamp));
  objects.push_back(PlistOut::dict(
      {{"$classname", PlistOut::string_("MBFile")},
       {"$classes",
        PlistOut::array({PlistOut::string_("MBFile"), PlistOut::string_("NSObject")})}}));
  record.insert(record.begin(), {"$class", PlistOut::uid(objects.size() - 1)});
  objects[1] = PlistOut::dict(std::move(record));
  PlistOut top = PlistOut::dict({{"$version", PlistOut::integer_(100000)},
                                 {"$archiver", PlistOut::string_("NSKeyedArchiver")},
                                 {"$top", PlistOut::dict({{"root", PlistOut::uid(1)}})},
                                 {"$objects", PlistOut::array(std::move(objects))}});
  return enc::toBinaryPlist(top);
}

void putMbdbString(std::string& out, const std::string* s) {
  if (!s) {
    out += "\xFF\xFF";
    return;
  }
  putBe(out, s->size(), 2);
  out += *s;
}

}  // namespace

EncryptedBackupWriter::EncryptedBackupWriter(std::string folder, EncryptOptions options)
    : folder_(std::move(folder)), options_(std::move(options)) {
  firstError_ = platform::createFolders(folder_);
  if (options_.useForeignKeybag) {
    // The passcode key is unknown here: only the tool derives it, from the password.
    options_.manifestKeyClass = options_.foreignKeybag.protectionClass;
    return;
  }
  std::string salt = enc::derivedBytes(options_.seed, "salt", 20);
  if (options_.era == EncryptedEra::kManifestDb) {
    std::string dpSalt = enc::derivedBytes(options_.seed, "dpsl", 20);
    std::string stage1 = enc::pbkdf2Sha256(options_.password, dpSalt, options_.dpIterations, 32);
    passcodeKey_ = enc::pbkdf2Sha1(stage1, salt, options_.iterations, 32);
  } else {
    passcodeKey_ = enc::pbkdf2Sha1(options_.password, salt, options_.iterations, 32);
  }
}

EncryptedBackupWriter::~EncryptedBackupWriter() = default;

std::string EncryptedBackupWriter::fileIdOf(const std::string& domain,
                                            const std::string& relativePath) {
  return enc::sha1Hex(domain + "-" + relativePath);
}

std::string EncryptedBackupWriter::classKey(std::uint32_t protectionClass) const {
  if (options_.useForeignKeybag && protectionClass == options_.foreignKeybag.protectionClass) {
    return options_.foreignKeybag.classKey;
  }
  return enc::derivedBytes(options_.seed, "class/" + std::to_string(protectionClass), 32);
}

std::string EncryptedBackupWriter::storedPath(const std::string& fileId) const {
  if (options_.era == EncryptedEra::kManifestMbdb) return platform::joinPath(folder_, fileId);
  return platform::joinPath(platform::joinPath(folder_, fileId.substr(0, 2)), fileId);
}

void EncryptedBackupWriter::addFolderRecords(const std::string& domain,
                                             const std::string& relativePath) {
  for (std::size_t slash = relativePath.find('/'); slash != std::string::npos;
       slash = relativePath.find('/', slash + 1)) {
    std::string folderPath = relativePath.substr(0, slash);
    std::string key = domain + "-" + folderPath;
    if (std::find(folderKeys_.begin(), folderKeys_.end(), key) != folderKeys_.end()) continue;
    folderKeys_.push_back(key);
    Record r;
    r.domain = domain;
    r.relativePath = folderPath;
    r.fileId = enc::sha1Hex(key);
    r.mode = kFolderMode;
    r.inode = records_.size() + 1000;
    records_.push_back(std::move(r));
  }
}

std::string EncryptedBackupWriter::addFile(const std::string& domain,
                                           const std::string& relativePath,
                                           std::string_view content,
                                           std::uint32_t protectionClass) {
  addFolderRecords(domain, relativePath);
  Record r;
  r.domain = domain;
  r.relativePath = relativePath;
  r.fileId = enc::sha1Hex(domain + "-" + relativePath);
  r.protectionClass = protectionClass;
  r.size = content.size();
  r.mode = kFileMode;
  r.inode = records_.size() + 1000;
  std::string fileKey = enc::derivedBytes(options_.seed, "file/" + r.fileId, 32);
  r.keyBlob = le32(protectionClass) + enc::aesWrap(classKey(protectionClass), fileKey);

  std::string path = storedPath(r.fileId);
  int rc = kOk;
  if (options_.era != EncryptedEra::kManifestMbdb)
    rc = platform::createFolders(platform::joinPath(folder_, r.fileId.substr(0, 2)));
  if (rc == kOk && !(content.empty() && options_.emptyFiles == EmptyFileForm::kAbsent)) {
    std::string cipher = (content.empty() && options_.emptyFiles == EmptyFileForm::kZeroBytes)
                             ? std::string()
                             : enc::cbcEncrypt(fileKey, content);
    rc = platform::writeWholeFile(path, cipher.data(), cipher.size());
  }
  if (rc != kOk && firstError_ == kOk) firstError_ = rc;
  files_.push_back({domain, relativePath, r.fileId, path, r.size});
  std::string id = r.fileId;
  records_.push_back(std::move(r));
  return rc == kOk ? id : std::string();
}

std::string EncryptedBackupWriter::buildKeybag() const {
  if (options_.useForeignKeybag) {
    const ForeignKeybag& f = options_.foreignKeybag;
    std::string bag;
    putTlv(bag, "VERS", be32(5));
    putTlv(bag, "TYPE", be32(1));
    putTlv(bag, "UUID", enc::derivedBytes(options_.seed, "uuid/bag", 16));
    putTlv(bag, "WRAP", be32(0));
    putTlv(bag, "SALT", f.salt);
    putTlv(bag, "ITER", be32(f.iterations));
    if (!f.dpSalt.empty()) {
      putTlv(bag, "DPIC", be32(f.dpIterations));
      putTlv(bag, "DPSL", f.dpSalt);
    }
    putTlv(bag, "UUID", enc::derivedBytes(options_.seed, "uuid/foreign", 16));
    putTlv(bag, "CLAS", be32(f.protectionClass));
    putTlv(bag, "WRAP", be32(2));
    putTlv(bag, "KTYP", be32(0));
    putTlv(bag, "WPKY", f.wrappedClassKey);
    return bag;
  }
  bool dataProtection = options_.era == EncryptedEra::kManifestDb;
  std::string bag;
  putTlv(bag, "VERS", be32(dataProtection ? 5 : 3));
  putTlv(bag, "TYPE", be32(1));
  putTlv(bag, "UUID", enc::derivedBytes(options_.seed, "uuid/bag", 16));
  putTlv(bag, "HMCK", std::string(40, '\0'));
  putTlv(bag, "WRAP", be32(0));
  putTlv(bag, "SALT", enc::derivedBytes(options_.seed, "salt", 20));
  putTlv(bag, "ITER", be32(options_.iterations));
  if (dataProtection) {
    putTlv(bag, "DPWT", be32(1));
    putTlv(bag, "DPIC", be32(options_.dpIterations));
    putTlv(bag, "DPSL", enc::derivedBytes(options_.seed, "dpsl", 20));
  }
  // Listed from the highest class down, as real backups of this era do.
  for (std::uint32_t cls = kLastClass; cls >= kFirstClass; --cls) {
    putTlv(bag, "UUID", enc::derivedBytes(options_.seed, "uuid/" + std::to_string(cls), 16));
    putTlv(bag, "CLAS", be32(cls));
    putTlv(bag, "WRAP", be32(wrapOf(cls)));
    putTlv(bag, "KTYP", be32(0));
    putTlv(bag, "WPKY", enc::aesWrap(passcodeKey_, classKey(cls)));
  }
  return bag;
}

int EncryptedBackupWriter::writeManifestDb() {
  std::string plainPath = platform::joinPath(folder_, "Manifest.db.plain");
  platform::removeFile(plainPath);
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(plainPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_exec(db,
                      "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath "
                      "TEXT, flags INTEGER, "
                      "file BLOB);"
                      "CREATE INDEX FilesDomainIdx ON Files(domain);"
                      "CREATE INDEX FilesRelativePathIdx ON Files(relativePath);"
                      "CREATE INDEX FilesFlagsIdx ON Files(flags);"
                      "CREATE TABLE Properties (key TEXT PRIMARY KEY, value BLOB);"
                      "BEGIN;",
                      nullptr, nullptr, nullptr);
  }
  sqlite3_stmt* st = nullptr;
  if (rc == SQLITE_OK) {
    rc = sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO Files VALUES (?, ?, ?, ?, ?)", -1, &st,
                            nullptr);
  }
  for (std::size_t i = 0; rc == SQLITE_OK && i < records_.size(); ++i) {
    const Record& r = records_[i];
    std::string blob =
        archivedFileBlob(r.relativePath, r.keyBlob, r.protectionClass, r.size, r.mode, r.inode,
                         options_.keyBehindUid, options_.nullKeysForFolders);
    sqlite3_bind_text(st, 1, r.fileId.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, r.domain.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 3, r.relativePath.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(st, 4, r.keyBlob.empty() ? 2 : options_.keyedFileFlags);
    sqlite3_bind_blob(st, 5, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    rc = sqlite3_step(st) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  if (rc != SQLITE_OK) return rc;

  std::string plain;
  rc = platform::readWholeFile(plainPath, 1u << 30, &plain);
  platform::removeFile(plainPath);
  if (rc != kOk) return rc;
  std::string stored = plain;
  if (options_.era == EncryptedEra::kManifestDb) {
    stored = enc::cbcEncrypt(enc::derivedBytes(options_.seed, "manifest", 32), plain,
                             options_.padManifestDb);
  }
  return platform::writeWholeFile(platform::joinPath(folder_, "Manifest.db"), stored.data(),
                                  stored.size());
}

int EncryptedBackupWriter::writeMbdb() {
  std::string out("mbdb\x05\x00", 6);
  for (const Record& r : records_) {
    putMbdbString(out, &r.domain);
    putMbdbString(out, &r.relativePath);
    putMbdbString(out, nullptr);  // link target
    putMbdbString(out, nullptr);  // data hash
    putMbdbString(out, r.keyBlob.empty() ? nullptr : &r.keyBlob);
    putBe(out, r.mode, 2);
    putBe(out, r.inode, 8);
    putBe(out, 501, 4);
    putBe(out, 501, 4);
    for (int i = 0; i < 3; ++i) putBe(out, static_cast<std::uint64_t>(kTimestamp), 4);
    putBe(out, r.size, 8);
    out.push_back(static_cast<char>(r.keyBlob.empty() ? 0 : r.protectionClass));
    out.push_back(0);  // no properties
  }
  return platform::writeWholeFile(platform::joinPath(folder_, "Manifest.mbdb"), out.data(),
                                  out.size());
}

int EncryptedBackupWriter::writePlists() {
  const char* version = options_.era == EncryptedEra::kManifestDb        ? "14.2"
                        : options_.era == EncryptedEra::kPlainManifestDb ? "10.1"
                                                                         : "9.3";
  std::vector<std::pair<std::string, PlistOut>> manifest = {
      {"BackupKeyBag", PlistOut::data(buildKeybag())},
      {"Lockdown",
       PlistOut::dict({{"ProductVersion", PlistOut::string_(version)},
                       {"DeviceName", PlistOut::string_("Test iPhone")},
                       {"SerialNumber", PlistOut::string_("F2LTESTSERIAL")},
                       {"UniqueDeviceID", PlistOut::string_(enc::toHex(
                                              enc::derivedBytes(options_.seed, "udid", 20)))}})},
      {"Version", PlistOut::string_(options_.era == EncryptedEra::kManifestMbdb ? "9.1" : "10.0")},
      {"IsEncrypted", PlistOut::boolean_(true)},
      {"WasPasscodeSet", PlistOut::boolean_(false)},
      {"Applications",
       PlistOut::dict({{"com.example.notes",
                        PlistOut::dict({{"CFBundleVersion", PlistOut::string_("1.0")}})}})},
  };
  if (options_.era == EncryptedEra::kManifestDb) {
    std::string manifestKey = enc::derivedBytes(options_.seed, "manifest", 32);
    manifest.emplace_back(
        "ManifestKey",
        PlistOut::data(le32(options_.manifestKeyClass) +
                       enc::aesWrap(classKey(options_.manifestKeyClass), manifestKey)));
  }
  PlistOut root = PlistOut::dict(std::move(manifest));
  std::string bytes = options_.plistForm == EncryptedPlistForm::kBinary ? enc::toBinaryPlist(root)
                                                                        : enc::toXmlPlist(root);
  int rc = platform::writeWholeFile(platform::joinPath(folder_, "Manifest.plist"), bytes.data(),
                                    bytes.size());
  if (rc != kOk) return rc;

  DeviceInfo info;
  info.displayName = options_.displayName;
  info.lastBackupDate = options_.lastBackupDate;
  info.phoneNumber = "+1 555 0100";
  info.productVersion = version;
  info.serialNumber = "F2LTESTSERIAL";
  info.uniqueIdentifier = enc::toHex(enc::derivedBytes(options_.seed, "udid", 20));
  rc = writeInfoPlist(folder_, infoPlistText(info));
  if (rc != kOk) return rc;
  PlistOut status = PlistOut::dict({{"IsFullBackup", PlistOut::boolean_(false)},
                                    {"Version", PlistOut::string_("3.3")},
                                    {"BackupState", PlistOut::string_("new")},
                                    {"SnapshotState", PlistOut::string_("finished")}});
  std::string statusBytes = enc::toBinaryPlist(status);
  return platform::writeWholeFile(platform::joinPath(folder_, "Status.plist"), statusBytes.data(),
                                  statusBytes.size());
}

int EncryptedBackupWriter::finish() {
  if (firstError_ != kOk) return firstError_;
  int rc = options_.era == EncryptedEra::kManifestMbdb ? writeMbdb() : writeManifestDb();
  if (rc == kOk) rc = writePlists();
  return rc;
}

int writeEncryptedBackup(const std::string& folder, const std::vector<PlainBackupFile>& files,
                         const EncryptOptions& options, std::vector<EncryptedFile>* written) {
  EncryptedBackupWriter writer(folder, options);
  for (const PlainBackupFile& f : files) {
    writer.addFile(f.domain, f.relativePath, f.content, f.protectionClass);
  }
  int rc = writer.finish();
  if (written) *written = writer.files();
  return rc;
}

}  // namespace qv::samples
