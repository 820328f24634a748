#include "backup/file_id.h"

#include <gcrypt.h>

#include "platform/crypto_start.h"

namespace qv::backup {

void fileIdOf(std::string_view key, std::string* out) {
  // SHA-1 is in every libgcrypt, so hashing goes on even if the start-up found an old one.
  platform::startGcrypt();
  unsigned char digest[20];
  gcry_md_hash_buffer(GCRY_MD_SHA1, digest, key.data(), key.size());
  static const char kHex[] = "0123456789abcdef";
  out->resize(40);
  char* p = &(*out)[0];
  for (unsigned char b : digest) {
    *p++ = kHex[b >> 4];
    *p++ = kHex[b & 15];
  }
}

std::string fileIdOf(std::string_view key) {
  std::string id;
  fileIdOf(key, &id);
  return id;
}

bool isFileId(std::string_view text) {
  if (text.size() != 40) return false;
  // Every manifest row goes through here, so one table look-up per character.
  static const struct LowerHex {
    bool is[256] = {};
    LowerHex() {
      for (const char* c = "0123456789abcdef"; *c != '\0'; ++c)
        is[static_cast<unsigned char>(*c)] = true;
    }
  } kLowerHex;
  bool ok = true;
  for (char c : text) ok &= kLowerHex.is[static_cast<unsigned char>(c)];
  return ok;
}

}  // namespace qv::backup
