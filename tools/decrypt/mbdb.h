// Manifest.mbdb, the file list of backups made before iOS 10. It is not enciphered, even in an
// encrypted backup; each record carries its file's wrapped key.
//
// Layout (integers big-endian):
//   offset 0, 6 bytes   "mbdb" 05 00
//   then records back to back until the end of the file:
//     string domain, string path, string link target, string data hash, string encryption key
//       (a string is a 2-byte length and that many bytes; length 0xFFFF means absent)
//     2 mode, 8 inode, 4 user id, 4 group id, 4+4+4 times, 8 size, 1 protection class,
//     1 property count, then that many pairs (string name, string value)
// The encryption key, when present, is 44 bytes: 4-byte little-endian protection class and the
// 40-byte wrapped file key. A regular file has mode & 0xF000 == 0x8000. Stored files lie flat
// in the backup folder, named by the lower-case hex SHA-1 of domain + "-" + path.
//
// Invariants checked: the magic; every string and fixed block fits the file; the last record
// ends exactly at the end of the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::decrypt {

struct MbdbRecord {
  std::string domain;
  std::string path;
  std::string encryptionKey;  // empty when absent
  std::uint16_t mode = 0;
  std::uint64_t size = 0;
  std::uint8_t protectionClass = 0;

  bool isRegularFile() const { return (mode & 0xF000) == 0x8000; }
};

// 0, or kInvalid (*out then holds the records read before the damage).
int readMbdb(std::string_view bytes, std::vector<MbdbRecord>* out);

}  // namespace qv::decrypt
