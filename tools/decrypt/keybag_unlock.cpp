#include "tools/decrypt/keybag_unlock.h"

#include "platform/corrupt_input.h"
#include "platform/result.h"
#include "tools/decrypt/crypto.h"

namespace qv::decrypt {

int derivePasscodeKey(const Keybag& bag, std::string_view password, std::string* key) {
  key->clear();
  if (!bag.hasDataProtection)
    return pbkdf2(PbkdfHash::kSha1, password, bag.salt, bag.iterations, kKeySize, key);
  std::string stage1;
  int rc = pbkdf2(PbkdfHash::kSha256, password, bag.dpSalt, bag.dpIterations, kKeySize, &stage1);
  if (rc != kOk) return rc;
  return pbkdf2(PbkdfHash::kSha1, stage1, bag.salt, bag.iterations, kKeySize, key);
}

int unlockKeybag(const Keybag& bag, std::string_view passcodeKey, ClassKeys* out) {
  out->clear();
  KeyUnwrapper unwrapper;
  int rc = unwrapper.setKey(passcodeKey);
  if (rc != kOk) return rc;
  ClassKeys keys;
  bool triedAny = false;
  for (const KeybagClass& cls : bag.classes) {
    if (!(cls.wrap & kWrapPasscode) || cls.wrappedKey.empty()) continue;
    triedAny = true;
    std::string key;
    rc = unwrapper.unwrap(cls.wrappedKey, &key);
    if (rc != kOk) return rc;
    // Classes also wrapped by the device key stay locked after this layer: only the passcode-only
    // classes (the ones stored files use) are kept.
    if ((cls.wrap & ~kWrapPasscode) == 0) keys[cls.protectionClass] = std::move(key);
  }
  if (!triedAny) return corrupt("keybag: no class wrapped by the passcode");
  *out = std::move(keys);
  return kOk;
}

}  // namespace qv::decrypt
