#include "backup/manifest_mbdb.h"

#include <new>

#include "backup/file_id.h"
#include "platform/byte_cursor.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::backup {
namespace {

constexpr std::uint16_t kAbsent = 0xFFFF;
constexpr std::uint16_t kTypeMask = 0xE000;
constexpr std::uint16_t kTypeDirectory = 0x4000;
// inode 8, user 4, group 4, three times 4 each, size 8, protection class 1
constexpr std::size_t kFixedAfterMode = 8 + 4 + 4 + 12 + 8 + 1;

// An absent string reads as empty: both mean "no value" to the index.
std::string_view readString(ByteCursor* cur) {
  std::uint16_t len = cur->be16();
  if (len == kAbsent) return {};
  return cur->bytes(len);
}

// The parts of one record the index uses.
struct Record {
  std::string_view domain;
  std::string_view path;
  std::uint16_t mode = 0;
  bool isEntry() const {
    return !domain.empty() && !path.empty() && (mode & kTypeMask) != kTypeDirectory;
  }
};

// False when the record runs past the end of the bytes: it is no entry, and nothing after it
// can be read.
bool readRecord(ByteCursor* cur, Record* r) {
  r->domain = readString(cur);
  r->path = readString(cur);
  readString(cur);  // link target
  readString(cur);  // data hash
  readString(cur);  // encryption key
  r->mode = cur->be16();
  cur->skip(kFixedAfterMode);
  unsigned properties = cur->u8();
  for (unsigned i = 0; i < properties && cur->ok(); ++i) {
    readString(cur);
    readString(cur);
  }
  return cur->ok();
}

}  // namespace

int parseManifestMbdb(std::string_view bytes, ManifestIndex* index) {
  index->clear();
  if (bytes.size() < 4 || bytes.substr(0, 4) != "mbdb") return kInvalid;

  // A first pass counts the entries, so the index is allocated once: growing it step by step
  // costs as much as the digests.
  Record r;
  std::size_t entries = 0;
  ByteCursor count(bytes);
  if (!count.seek(6)) return kOk;  // the signature alone: no records
  while (count.pos() < count.size() && readRecord(&count, &r)) entries += r.isEntry() ? 1 : 0;
  index->reserve(entries);

  ByteCursor cur(bytes);
  cur.seek(6);
  while (cur.pos() < cur.size() && readRecord(&cur, &r)) {
    if (!r.isEntry()) continue;
    ManifestEntry& entry = index->emplace_back();
    entry.key.reserve(r.domain.size() + 1 + r.path.size());
    entry.key.assign(r.domain);
    entry.key.push_back('-');
    entry.key.append(r.path);
    fileIdOf(entry.key, &entry.fileId);
  }
  return kOk;
}

int readManifestMbdb(const std::string& path, ManifestIndex* index) {
  index->clear();
  if (path.empty()) return kInvalid;
  platform::File file;
  if (file.openRead(path) != 0) return kMbdbOpenFailed;
  std::uint64_t size = 0;
  int rc = file.size(&size);
  if (rc != 0) return rc;
  if (size > kMaxMbdbBytes) return kInvalid;

  std::string bytes;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return kInvalid;
  }
  rc = file.readExactAt(0, bytes.data(), bytes.size());
  if (rc != 0) return rc;
  try {
    return parseManifestMbdb(bytes, index);
  } catch (const std::bad_alloc&) {
    index->clear();
    return kErrNotEnoughMemory;
  }
}

}  // namespace qv::backup
