// Writes one backup folder for tests: its manifest (Manifest.db through the real SQLite
// library, or Manifest.mbdb byte by byte) and the stored files in the layout that goes with it
// (two-character subfolders beside Manifest.db, flat beside Manifest.mbdb).
//
//   samples::BackupBuilder b(folder, samples::ManifestLayout::kDb);
//   b.addFile("HomeDomain", "Library/SMS/sms.db", bytes);     // record + stored file
//   b.addDirectory("HomeDomain", "Library/SMS");
//   ASSERT_EQ(b.finish(), 0);                                 // writes the manifest
//
// Records of every kind can be added; raw records (absent strings, properties, odd modes) go
// through addRecord. Later fixtures add app databases with addDatabase.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::samples {

enum class ManifestLayout { kDb, kMbdb };

// How the stored file of a record is written.
enum class StoredAs {
  kPlain,   // named by its file id
  kMddata,  // file id + ".mddata"
  kNone,    // not written: a manifest record without its file
};

// File type bits of a record's mode.
constexpr std::uint16_t kModeFile = 0x8000 | 0644;
constexpr std::uint16_t kModeDirectory = 0x4000 | 0755;
constexpr std::uint16_t kModeSymlink = 0xA000 | 0755;

// One record as Manifest.mbdb holds it; nullopt strings are written absent (length 0xFFFF).
struct MbdbRecord {
  std::optional<std::string> domain;
  std::optional<std::string> relativePath;
  std::optional<std::string> linkTarget;
  std::optional<std::string> dataHash;
  std::optional<std::string> encryptionKey;
  std::uint16_t mode = kModeFile;
  std::uint64_t inode = 0;
  std::uint32_t userId = 501;
  std::uint32_t groupId = 501;
  std::uint32_t modified = 1462145400;
  std::uint32_t accessed = 1462145400;
  std::uint32_t created = 1462145400;
  std::uint64_t size = 0;
  std::uint8_t protectionClass = 4;
  std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> properties;
};

// The bytes of one record, and of a whole Manifest.mbdb (signature, version 5.0, records).
std::string encodeMbdbRecord(const MbdbRecord& record);
std::string encodeMbdb(const std::vector<MbdbRecord>& records);

// SHA-1 of domain + "-" + relativePath as 40 lower-case hex digits: the name a backup gives a file.
std::string fileIdFor(std::string_view domain, std::string_view relativePath);

// Bytes that look like an enciphered file (no "SQLite" header), the same for the same seed.
std::string pseudoRandomBytes(std::size_t n, std::uint32_t seed);

class BackupBuilder {
 public:
  // Creates the folder (with parents). Paths are UTF-8.
  BackupBuilder(std::string folder, ManifestLayout layout);

  const std::string& folder() const { return folder_; }
  ManifestLayout layout() const { return layout_; }

  // A regular file: a manifest record and its stored file. Returns the file id.
  std::string addFile(const std::string& domain, const std::string& relativePath,
                      std::string_view bytes, StoredAs stored = StoredAs::kPlain);
  // A real SQLite database built by running sql, stored as a regular file. Returns the file id.
  std::string addDatabase(const std::string& domain, const std::string& relativePath,
                          const std::string& sql, StoredAs stored = StoredAs::kPlain);
  void addDirectory(const std::string& domain, const std::string& relativePath);
  void addSymlink(const std::string& domain, const std::string& relativePath,
                  const std::string& target);
  // A record exactly as given. In a Manifest.db it becomes a row: fileID from domain and path,
  // absent strings as NULL, flags from the mode.
  void addRecord(const MbdbRecord& record);
  // Manifest.db only: a row exactly as given (NULL for nullopt).
  void addDbRow(std::optional<std::string> fileId, std::optional<std::string> domain,
                std::optional<std::string> relativePath, int flags);
  // Bytes of the blob column of every later Manifest.db row (real ones are a few hundred bytes).
  void setDbFileBlobSize(std::size_t n) { blobSize_ = n; }

  // Where the stored file of an id lies in this layout.
  std::string storedPath(const std::string& fileId) const;
  // Writes a stored file directly (no record). 0 or the platform's code.
  int writeStored(const std::string& fileId, std::string_view bytes, StoredAs stored);

  // Writes the manifest. 0, or the first failure met since construction.
  int finish();

  std::size_t recordCount() const { return records_.size() + dbRows_.size(); }

 private:
  struct DbRow {
    std::optional<std::string> fileId, domain, relativePath;
    int flags;
  };
  int writeManifestDb();
  int writeManifestMbdb();
  void note(int rc) {
    if (failure_ == 0) failure_ = rc;
  }

  std::string folder_;
  ManifestLayout layout_;
  std::vector<MbdbRecord> records_;
  std::vector<DbRow> dbRows_;  // in the order rows go into Files
  std::size_t blobSize_ = 48;
  int failure_ = 0;
};

// Runs sql on a new SQLite database at path (UTF-8). 0 or the SQLite code.
int makeSqliteDatabase(const std::string& path, const std::string& sql);

}  // namespace qv::samples
