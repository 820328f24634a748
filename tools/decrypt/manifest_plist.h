// What the tool needs from a backup's Manifest.plist (binary or XML form).
//
// Keys read: IsEncrypted (bool), BackupKeyBag (data, the keybag of keybag.h), ManifestKey
// (data, from iOS 10.2 on: 4-byte little-endian protection class, then the 40-byte wrapped key
// of Manifest.db) and Lockdown/ProductVersion (string, for messages only).
//
// Invariants checked: the top value is a dict; BackupKeyBag is data; ManifestKey, when present,
// is data of exactly 44 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::decrypt {

struct ManifestPlist {
  bool isEncrypted = false;
  std::string keybag;
  bool hasManifestKey = false;
  std::uint32_t manifestKeyClass = 0;
  std::string manifestWrappedKey;  // 40 bytes
  std::string productVersion;
};

// 0, or kInvalid (*out is then empty).
int readManifestPlist(std::string_view bytes, ManifestPlist* out);

}  // namespace qv::decrypt
