// The backup keybag (Manifest.plist's BackupKeyBag): key-derivation parameters and the wrapped
// class keys.
//
// Layout: records back to back until the blob ends, with no padding:
//   offset 0, 4 bytes   tag, four ASCII letters
//   offset 4, 4 bytes   length L, big-endian
//   offset 8, L bytes   value (a 4-byte value is a big-endian number)
// Header records come first: VERS, TYPE, UUID, HMCK, WRAP, SALT (20), ITER, and from iOS 10.2
// on DPWT, DPIC (iterations of the SHA-256 stage) and DPSL (its salt). Each further UUID opens
// one class record: CLAS (class number), WRAP (bit 2: wrapped by the passcode key), KTYP,
// WPKY (40-byte wrapped key), PBKY. Classes come in any order.
//
// Invariants checked: every record's length fits the blob; numeric tags are 4 bytes long;
// SALT and ITER exist; DPSL/DPIC come together or not at all; a WPKY is 40 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::decrypt {

struct KeybagClass {
  std::uint32_t protectionClass = 0;
  std::uint32_t wrap = 0;
  std::string wrappedKey;  // WPKY, 40 bytes when present
};

struct Keybag {
  std::uint32_t type = 0;
  std::string salt;                // SALT
  std::uint32_t iterations = 0;    // ITER, SHA-1 stage
  bool hasDataProtection = false;  // DPSL and DPIC present: the SHA-256 stage runs first
  std::string dpSalt;              // DPSL
  std::uint32_t dpIterations = 0;  // DPIC
  std::vector<KeybagClass> classes;
};

constexpr std::uint32_t kWrapPasscode = 2;
constexpr std::size_t kWrappedKeySize = 40;
constexpr std::size_t kKeySize = 32;

// 0, or kInvalid for a blob that breaks its layout (*out is then empty).
int parseKeybag(std::string_view blob, Keybag* out);

}  // namespace qv::decrypt
