#include "framework/zip_archive.h"

#include <zlib.h>

#include "platform/ascii.h"
#include "platform/byte_cursor.h"
#include "platform/result.h"

namespace qv::framework {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kDirSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kMaxComment = 0xFFFF;

// Offset of the end-of-directory record, searched backwards over the longest comment allowed.
bool findEnd(std::string_view b, std::size_t* at) {
  if (b.size() < kEndSize) return false;
  std::size_t lowest = b.size() > kEndSize + kMaxComment ? b.size() - kEndSize - kMaxComment : 0;
  for (std::size_t i = b.size() - kEndSize + 1; i-- > lowest;) {
    ByteCursor c(b.substr(i, 4));
    if (c.le32() == kEndSignature) {
      *at = i;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string ZipArchive::normaliseName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) out.push_back(c == '\\' ? '/' : platform::asciiLower(c));
  while (out.compare(0, 2, "./") == 0) out.erase(0, 2);
  return out;
}

bool ZipArchive::isSafeName(std::string_view n) {
  if (n.empty() || n.front() == '/') return false;
  if (n.size() >= 2 && n[1] == ':') return false;
  std::size_t start = 0;
  for (;;) {
    std::size_t slash = n.find('/', start);
    std::string_view part =
        n.substr(start, slash == std::string_view::npos ? n.npos : slash - start);
    if (part == "..") return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

int ZipArchive::open(std::string bytes, const ZipLimits& limits) {
  bytes_ = std::move(bytes);
  entries_.clear();
  limits_ = limits;
  std::string_view b = bytes_;
  std::size_t endAt = 0;
  if (!findEnd(b, &endAt)) return kInvalid;
  ByteCursor end(b.substr(endAt));
  end.skip(10);
  std::uint16_t total = end.le16();
  std::uint32_t dirSize = end.le32();
  std::uint32_t dirOffset = end.le32();
  // The directory must end where the end record starts or before it (no prefix data assumed).
  if (!end.ok() || dirOffset > endAt || dirSize > endAt - dirOffset) return kInvalid;
  if (total > limits_.maxEntries) return kInvalid;

  ByteCursor dir(b.substr(dirOffset, dirSize));
  for (std::uint16_t i = 0; i < total; ++i) {
    if (dir.le32() != kDirSignature) return entries_.clear(), kInvalid;
    dir.skip(4);  // versions
    std::uint16_t flags = dir.le16();
    Entry e;
    e.method = dir.le16();
    dir.skip(4);  // time, date
    e.crc = dir.le32();
    e.compressedSize = dir.le32();
    e.size = dir.le32();
    std::uint16_t nameLen = dir.le16();
    std::uint16_t extraLen = dir.le16();
    std::uint16_t commentLen = dir.le16();
    dir.skip(8);  // disk, attributes
    e.localOffset = dir.le32();
    std::string_view rawName = dir.bytes(nameLen);
    dir.skip(extraLen);
    dir.skip(commentLen);
    if (!dir.ok()) return entries_.clear(), kInvalid;
    if (flags & 1) continue;  // encrypted: not ours to read
    if (e.size == 0xFFFFFFFFu || e.compressedSize == 0xFFFFFFFFu) continue;  // zip64
    std::string name = normaliseName(rawName);
    if (!name.empty() && name.back() == '/') continue;  // a folder
    if (!isSafeName(name)) continue;
    entries_.emplace(std::move(name), e);  // a repeated name keeps its first entry
  }
  return kOk;
}

bool ZipArchive::contains(std::string_view name) const {
  return entries_.find(normaliseName(name)) != entries_.end();
}

std::vector<std::string> ZipArchive::names() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& kv : entries_) out.push_back(kv.first);
  return out;
}

int ZipArchive::read(std::string_view name, std::string* out) const {
  out->clear();
  auto it = entries_.find(normaliseName(name));
  if (it == entries_.end()) return kErrFileNotFound;
  const Entry& e = it->second;
  if (e.size > limits_.maxEntryBytes) return kErrNotEnoughMemory;
  std::string_view b = bytes_;
  if (e.localOffset > b.size()) return kInvalid;
  ByteCursor local(b.substr(e.localOffset));
  if (local.le32() != kLocalSignature) return kInvalid;
  local.skip(22);
  std::uint16_t nameLen = local.le16();
  std::uint16_t extraLen = local.le16();
  local.skip(nameLen);
  local.skip(extraLen);
  std::string_view data = local.bytes(e.compressedSize);
  if (!local.ok()) return kInvalid;

  if (e.method == 0) {
    if (e.compressedSize != e.size) return kInvalid;
    out->assign(data);
  } else if (e.method == 8) {
    // One spare byte: an entry that inflates to more than its declared size fills it and fails.
    out->resize(static_cast<std::size_t>(e.size) + 1);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return out->clear(), kInvalid;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out->data());
    z.avail_out = static_cast<uInt>(out->size());
    int rc = inflate(&z, Z_FINISH);
    bool whole = rc == Z_STREAM_END && z.total_out == e.size;
    inflateEnd(&z);
    if (!whole) return out->clear(), kInvalid;
    out->resize(e.size);
  } else {
    return kInvalid;
  }
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(out->data()), static_cast<uInt>(out->size()));
  if (crc != e.crc) return out->clear(), kInvalid;
  return kOk;
}

}  // namespace qv::framework
