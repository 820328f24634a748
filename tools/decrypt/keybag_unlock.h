// Unlocking a backup keybag with the user's password.
//
// The passcode key comes from the password by PBKDF2: with the iOS 10.2 data-protection
// parameters (DPSL, DPIC) first PBKDF2-HMAC-SHA256 over the password, then PBKDF2-HMAC-SHA1 over
// that result with SALT and ITER; without them PBKDF2-HMAC-SHA1 over the password alone. The
// choice follows the keybag, never the product version. Every class wrapped by the passcode
// key is then unwrapped; a failed RFC 3394 check on any of them means the password is wrong.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "tools/decrypt/keybag.h"

namespace qv::decrypt {

// Class number -> the 32-byte class key, for the classes that the passcode alone unwraps.
using ClassKeys = std::map<std::uint32_t, std::string>;

// The 32-byte passcode key. The password is taken as the bytes given (UTF-8 for non-ASCII).
int derivePasscodeKey(const Keybag& bag, std::string_view password, std::string* key);

// 0 with every passcode-only class key; kWrongPassword when any passcode-wrapped class fails its
// check; kInvalid when the keybag holds no passcode-wrapped class at all (nothing could be
// opened, and a wrong password could not even be told).
int unlockKeybag(const Keybag& bag, std::string_view passcodeKey, ClassKeys* out);

}  // namespace qv::decrypt
