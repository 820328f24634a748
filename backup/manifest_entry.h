// The manifest index: one flat list of the files a backup stores.
//
// Kept compactly, since a backup lists hundreds of thousands of files and a crafted manifest
// as many as it likes: each entry's file id (40 hex digits) and key lie back to back in one
// text, found by a 32-bit offset, 44 bytes and the key per entry where a pair of strings took
// about 150. An index holds at most kMaxManifestEntries entries and kMaxManifestTextBytes of
// ids and keys; the readers refuse a manifest beyond either (87) rather than fill memory with
// it: a device with 300,000 files needs about 30 MB and a tenth of both limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace qv::backup {

constexpr std::size_t kMaxManifestEntries = 1000000;
constexpr std::size_t kMaxManifestTextBytes = std::size_t{128} << 20;
constexpr std::size_t kFileIdLength = 40;

// One file of the backup, as the index hands it out: views into the index, valid while it is
// not changed.
struct ManifestEntry {
  std::string_view key;     // UTF-8 domain + "-" + relative path (the domain alone without one)
  std::string_view fileId;  // 40 lower-case hex digits naming the stored file
};

class ManifestIndex {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ManifestEntry;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = ManifestEntry;
    Iterator(const ManifestIndex* index, std::size_t i) : index_(index), i_(i) {}
    ManifestEntry operator*() const { return (*index_)[i_]; }
    Iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const Iterator& o) const { return i_ == o.i_; }
    bool operator!=(const Iterator& o) const { return i_ != o.i_; }

   private:
    const ManifestIndex* index_;
    std::size_t i_;
  };

  ManifestIndex() = default;
  // Entries whose id is not kFileIdLength long are left out (tests fill an index by hand).
  ManifestIndex(std::initializer_list<ManifestEntry> entries);

  std::size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  ManifestEntry operator[](std::size_t i) const;
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size()); }

  void clear();
  // Room for the entries and their keys' bytes, taken at once (the readers count first).
  void reserve(std::size_t entries, std::size_t keyBytes);
  // Adds an entry whose key is the parts put together. False, with nothing added, for an id
  // that is not kFileIdLength long or past either limit.
  bool add(std::string_view fileId, std::initializer_list<std::string_view> keyParts);
  // Bytes of ids and keys held.
  std::size_t textBytes() const { return text_.size(); }

 private:
  std::string text_;                   // per entry: its file id, then its key
  std::vector<std::uint32_t> starts_;  // where each entry begins in text_
};

}  // namespace qv::backup
