// The skin archive: a zip file held in memory (resource 101 of the program, or a file in tests),
// read through its central directory and inflated with zlib.
//
// Layout read here (all little-endian):
//   end of central directory   signature 0x06054b50 within the last 65,557 bytes
//     +10 u16 total entries, +12 u32 directory size, +16 u32 directory offset, +20 u16 comment
//   central directory entry    signature 0x02014b50, 46 bytes then name, extra, comment
//     +8 u16 flags (bit 0 encrypted), +10 u16 method (0 stored, 8 deflate), +16 u32 CRC-32,
//     +20 u32 compressed size, +24 u32 size, +28/+30/+32 u16 name/extra/comment lengths,
//     +42 u32 local header offset
//   local header               signature 0x04034b50, 30 bytes then name and extra (their lengths
//                              at +26 and +28 may differ from the directory's), then the data
// Invariants enforced: the directory lies inside the archive; every entry's data lies inside the
// archive; sizes are capped before anything is allocated; inflated bytes equal the directory's
// size and CRC-32. Zip64 and encrypted entries are refused.
//
// Names are looked up normalised: "\" becomes "/", ASCII letters lower case, a leading "./"
// dropped. Absolute names, drive names and names with a ".." part are not indexed at all.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qv::framework {

struct ZipLimits {
  std::size_t maxEntries = 20000;
  std::uint32_t maxEntryBytes = 64u << 20;  // one inflated entry
};

class ZipArchive {
 public:
  // Takes the archive's bytes. 0, or 87 when no valid central directory is found (the archive
  // is then empty). Entries with unsafe names or data outside the archive are left out.
  int open(std::string bytes, const ZipLimits& limits = ZipLimits{});

  bool contains(std::string_view name) const;
  // The inflated bytes of an entry. 2 when there is none of that name, 87 for damaged data or an
  // unsupported method, 8 when it is larger than the limit. *out is cleared first.
  int read(std::string_view name, std::string* out) const;
  // Normalised names of all indexed entries, sorted.
  std::vector<std::string> names() const;

  static std::string normaliseName(std::string_view name);
  // False for names that must never be looked up: absolute, drive-qualified, or with "..".
  static bool isSafeName(std::string_view normalised);

 private:
  struct Entry {
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::uint32_t localOffset = 0;
  };
  std::string bytes_;
  std::map<std::string, Entry, std::less<>> entries_;
  ZipLimits limits_;
};

}  // namespace qv::framework
