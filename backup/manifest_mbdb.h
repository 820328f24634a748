// Manifest.mbdb: the byte-packed manifest of older backups, read record by record through a
// window of the file (a megabyte, widened only for a record larger than that), twice: once to
// count entries and key bytes against the index's limits (manifest_entry.h), once to fill it.
//
// All numbers are big-endian.
//   offset 0   4   signature "mbdb" (6D 62 64 62)
//   offset 4   2   format version (ignored)
//   offset 6   ... records, back to back, to the end of the file
//
// A string is a 16-bit length and that many bytes; length 0xFFFF is an absent string with no
// bytes after it, length 0 an empty one. One record:
//   string  domain                kept
//   string  relative path         kept
//   string  link target           read past
//   string  data hash (raw)       read past
//   string  encryption key        read past
//   2       mode                  type bits (mask 0xE000) 0x4000 mark a directory
//   8+4+4   inode, user id, group id
//   4+4+4   modified, accessed, created
//   8       size
//   1       protection class
//   1       property count n
//   n x (string name, string value)
//
// A record with a non-empty domain and path that is not a directory becomes an entry with key
// domain + "-" + path and file id SHA-1(key). A record that would run past the end of the file
// ends the reading; what was read before it stays, and the result is still 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "backup/manifest_entry.h"

namespace qv::backup {

// Larger manifests are refused with 87. A backup of a device with 300,000 files has a manifest
// of about 60 MB, so 256 MiB leaves ample room.
constexpr std::uint64_t kMaxMbdbBytes = 256ull << 20;

// Clears the index, then fills it from the file at the (UTF-8) path. 0; 87 when the path is empty,
// the file is larger than kMaxMbdbBytes, lacks the signature or lists more than the index's
// limits (the index stays empty then); 6009 when it cannot be opened; the platform's code when
// reading it fails (30 when it shrinks while being read).
int readManifestMbdb(const std::string& path, ManifestIndex* index);

// The same on bytes already in memory (clears the index first): 0, or 87 without the signature
// or past the limits.
int parseManifestMbdb(std::string_view bytes, ManifestIndex* index);

}  // namespace qv::backup
