#include "samples/backup_builder.h"

#include <gcrypt.h>
#include <sqlite3.h>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"

namespace qv::samples {
namespace {

void putBe(std::string* out, std::uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putString(std::string* out, const std::optional<std::string>& s) {
  if (!s) {
    putBe(out, 0xFFFF, 2);
    return;
  }
  putBe(out, s->size(), 2);
  out->append(*s);
}

int flagsForMode(std::uint16_t mode) {
  switch (mode & 0xE000) {
    case 0x4000:
      return 2;
    case 0xA000:
      return 4;
    default:
      return 1;
  }
}

// The columns of the backup program's own manifest database.
const char kManifestSchema[] =
    "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, flags INTEGER, "
    "file BLOB);"
    "CREATE TABLE Properties (key TEXT PRIMARY KEY, value BLOB);";

void bindOptional(sqlite3_stmt* stmt, int col, const std::optional<std::string>& v) {
  if (v) {
    sqlite3_bind_text(stmt, col, v->data(), static_cast<int>(v->size()), SQLITE_TRANSIENT);
  } else {
    sqlite3_bind_null(stmt, col);
  }
}

}  // namespace

std::string encodeMbdbRecord(const MbdbRecord& r) {
  std::string out;
  putString(&out, r.domain);
  putString(&out, r.relativePath);
  putString(&out, r.linkTarget);
  putString(&out, r.dataHash);
  putString(&out, r.encryptionKey);
  putBe(&out, r.mode, 2);
  putBe(&out, r.inode, 8);
  putBe(&out, r.userId, 4);
  putBe(&out, r.groupId, 4);
  putBe(&out, r.modified, 4);
  putBe(&out, r.accessed, 4);
  putBe(&out, r.created, 4);
  putBe(&out, r.size, 8);
  putBe(&out, r.protectionClass, 1);
  putBe(&out, r.properties.size(), 1);
  for (const auto& p : r.properties) {
    putString(&out, p.first);
    putString(&out, p.second);
  }
  return out;
}

std::string encodeMbdb(const std::vector<MbdbRecord>& records) {
  std::string out("mbdb\x05\x00", 6);
  for (const MbdbRecord& r : records) out += encodeMbdbRecord(r);
  return out;
}

std::string fileIdFor(std::string_view domain, std::string_view relativePath) {
  std::string key;
  key.append(domain).append("-").append(relativePath);
  unsigned char digest[20];
  gcry_md_hash_buffer(GCRY_MD_SHA1, digest, key.data(), key.size());
  static const char kHex[] = "0123456789abcdef";
  std::string id;
  for (unsigned char b : digest) {
    id.push_back(kHex[b >> 4]);
    id.push_back(kHex[b & 15]);
  }
  return id;
}

std::string pseudoRandomBytes(std::size_t n, std::uint32_t seed) {
  std::uint32_t x = seed * 2654435761u + 1;
  std::string out(n, '\0');
  for (std::size_t i = 0; i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    out[i] = static_cast<char>(x >> 24);
  }
  // Never begin like a database, whatever the seed.
  if (n > 0 && (out[0] == 'S' || out[0] == 's')) out[0] = static_cast<char>(0x9C);
  return out;
}

int makeSqliteDatabase(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  int closed = sqlite3_close(db);
  return rc != SQLITE_OK ? rc : closed;
}

BackupBuilder::BackupBuilder(std::string folder, ManifestLayout layout)
    : folder_(std::move(folder)), layout_(layout) {
  note(platform::createFolders(folder_));
}

std::string BackupBuilder::storedPath(const std::string& fileId) const {
  if (layout_ == ManifestLayout::kMbdb) return platform::joinPath(folder_, fileId);
  return platform::joinPath(platform::joinPath(folder_, fileId.substr(0, 2)), fileId);
}

int BackupBuilder::writeStored(const std::string& fileId, std::string_view bytes, StoredAs stored) {
  if (stored == StoredAs::kNone) return 0;
  std::string path = storedPath(fileId);
  if (layout_ == ManifestLayout::kDb) {
    int rc = platform::createFolders(platform::joinPath(folder_, fileId.substr(0, 2)));
    if (rc != 0) return rc;
  }
  if (stored == StoredAs::kMddata) path += ".mddata";
  return platform::writeWholeFile(path, bytes.data(), bytes.size());
}

std::string BackupBuilder::addFile(const std::string& domain, const std::string& relativePath,
                                   std::string_view bytes, StoredAs stored) {
  MbdbRecord r;
  r.domain = domain;
  r.relativePath = relativePath;
  r.size = bytes.size();
  r.inode = recordCount() + 1000;
  addRecord(r);
  std::string id = fileIdFor(domain, relativePath);
  note(writeStored(id, bytes, stored));
  return id;
}

std::string BackupBuilder::addDatabase(const std::string& domain, const std::string& relativePath,
                                       const std::string& sql, StoredAs stored) {
  std::string id = fileIdFor(domain, relativePath);
  MbdbRecord r;
  r.domain = domain;
  r.relativePath = relativePath;
  addRecord(r);
  if (stored == StoredAs::kNone) return id;
  note(writeStored(id, "", stored));  // makes the subfolder; SQLite writes the file
  std::string path = storedPath(id) + (stored == StoredAs::kMddata ? ".mddata" : "");
  note(platform::removeFile(path));
  note(makeSqliteDatabase(path, sql));
  return id;
}

void BackupBuilder::addDirectory(const std::string& domain, const std::string& relativePath) {
  MbdbRecord r;
  r.domain = domain;
  r.relativePath = relativePath;
  r.mode = kModeDirectory;
  addRecord(r);
}

void BackupBuilder::addSymlink(const std::string& domain, const std::string& relativePath,
                               const std::string& target) {
  MbdbRecord r;
  r.domain = domain;
  r.relativePath = relativePath;
  r.linkTarget = target;
  r.mode = kModeSymlink;
  addRecord(r);
}

void BackupBuilder::addRecord(const MbdbRecord& record) {
  if (layout_ == ManifestLayout::kMbdb) {
    records_.push_back(record);
    return;
  }
  std::optional<std::string> id;
  id = fileIdFor(record.domain.value_or(""), record.relativePath.value_or(""));
  dbRows_.push_back({id, record.domain, record.relativePath, flagsForMode(record.mode)});
}

void BackupBuilder::addDbRow(std::optional<std::string> fileId, std::optional<std::string> domain,
                             std::optional<std::string> relativePath, int flags) {
  if (layout_ != ManifestLayout::kDb) {
    note(kInvalid);
    return;
  }
  dbRows_.push_back({std::move(fileId), std::move(domain), std::move(relativePath), flags});
}

int BackupBuilder::finish() {
  if (failure_ != 0) return failure_;
  return layout_ == ManifestLayout::kDb ? writeManifestDb() : writeManifestMbdb();
}

int BackupBuilder::writeManifestMbdb() {
  std::string bytes = encodeMbdb(records_);
  return platform::writeWholeFile(platform::joinPath(folder_, "Manifest.mbdb"), bytes.data(),
                                  bytes.size());
}

int BackupBuilder::writeManifestDb() {
  std::string path = platform::joinPath(folder_, "Manifest.db");
  platform::removeFile(path);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, kManifestSchema, nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  if (rc == SQLITE_OK)
    rc = sqlite3_prepare_v2(db, "INSERT INTO Files VALUES (?, ?, ?, ?, ?)", -1, &insert, nullptr);
  // The blob column holds an archived file record in real backups; here, filler of that size.
  std::string blob = "bplist00" + std::string(blobSize_ > 8 ? blobSize_ - 8 : 0, '\x11');
  for (const DbRow& row : dbRows_) {
    if (rc != SQLITE_OK) break;
    bindOptional(insert, 1, row.fileId);
    bindOptional(insert, 2, row.domain);
    bindOptional(insert, 3, row.relativePath);
    sqlite3_bind_int(insert, 4, row.flags);
    sqlite3_bind_blob(insert, 5, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
    rc = sqlite3_step(insert);
    rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  int closed = sqlite3_close(db);
  return rc != SQLITE_OK ? rc : closed;
}

}  // namespace qv::samples
