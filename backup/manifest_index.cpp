#include "backup/manifest_entry.h"

namespace qv::backup {

ManifestIndex::ManifestIndex(std::initializer_list<ManifestEntry> entries) {
  for (const ManifestEntry& e : entries) add(e.fileId, {e.key});
}

ManifestEntry ManifestIndex::operator[](std::size_t i) const {
  const std::size_t start = starts_[i];
  const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] : text_.size();
  const std::string_view entry(text_.data() + start, end - start);
  return {entry.substr(kFileIdLength), entry.substr(0, kFileIdLength)};
}

void ManifestIndex::clear() {
  // Given back, not kept: the next backup may be far smaller.
  std::string().swap(text_);
  std::vector<std::uint32_t>().swap(starts_);
}

void ManifestIndex::reserve(std::size_t entries, std::size_t keyBytes) {
  if (entries > kMaxManifestEntries) entries = kMaxManifestEntries;
  std::size_t bytes = keyBytes + entries * kFileIdLength;
  if (bytes > kMaxManifestTextBytes) bytes = kMaxManifestTextBytes;
  starts_.reserve(entries);
  text_.reserve(bytes);
}

bool ManifestIndex::add(std::string_view fileId, std::initializer_list<std::string_view> keyParts) {
  if (fileId.size() != kFileIdLength || starts_.size() >= kMaxManifestEntries) return false;
  std::size_t bytes = kFileIdLength;
  for (std::string_view part : keyParts) bytes += part.size();
  if (bytes > kMaxManifestTextBytes - text_.size()) return false;
  starts_.push_back(static_cast<std::uint32_t>(text_.size()));
  text_.append(fileId);
  for (std::string_view part : keyParts) text_.append(part);
  return true;
}

}  // namespace qv::backup
