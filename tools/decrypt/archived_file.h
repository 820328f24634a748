// The `file` column of Manifest.db: a binary plist holding a keyed archive of one file record
// (class MBFile).
//
// Archive shape: top dict {$version, $archiver, $top: {root: UID}, $objects: [...]}; a UID is an
// index into $objects. $top.root leads to the record dict, whose EncryptionKey leads (through
// UIDs, and through the NS.data value of a data-wrapper dict) to 44 bytes: a 4-byte
// little-endian protection class and the 40-byte wrapped file key. ProtectionClass and Size are
// integers, stored inline or behind a UID. A UID may stand wherever a value may (the record,
// the key, its NS.data, the integers); a UID of the "$null" object (index 0) is nil.
//
// Invariants checked: the archive has $objects and a record dict; every UID is inside $objects;
// UID chains are followed at most kMaxUidSteps times (archives may loop).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::decrypt {

struct ArchivedFile {
  bool hasKey = false;
  std::string keyBlob;  // 44 bytes when hasKey
  bool hasProtectionClass = false;
  std::uint32_t protectionClass = 0;
  bool hasSize = false;
  std::uint64_t size = 0;
};

constexpr int kMaxUidSteps = 16;

// 0 (hasKey false when the record has no EncryptionKey, as folders do), or kInvalid.
int readArchivedFile(std::string_view blob, ArchivedFile* out);

}  // namespace qv::decrypt
