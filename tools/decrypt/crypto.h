// The cryptography of encrypted backups, over libgcrypt: PBKDF2, RFC 3394 key unwrapping and
// AES-256-CBC with a zero IV.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::decrypt {

enum class PbkdfHash { kSha1, kSha256 };

// PBKDF2 with the given HMAC hash; *out gets outLen bytes. 0, or kInvalid.
int pbkdf2(PbkdfHash hash, std::string_view password, std::string_view salt,
           std::uint32_t iterations, std::size_t outLen, std::string* out);

// Lower-case hex SHA-1 of bytes: the file id of domain + "-" + relative path.
std::string sha1Hex(std::string_view bytes);

// RFC 3394 unwrapping of 40-byte wrapped keys with one 32-byte key-encryption key.
class KeyUnwrapper {
 public:
  KeyUnwrapper() = default;
  ~KeyUnwrapper();
  KeyUnwrapper(const KeyUnwrapper&) = delete;
  KeyUnwrapper& operator=(const KeyUnwrapper&) = delete;

  int setKey(std::string_view kek);
  // 0 with the 32-byte key; kWrongPassword when the integrity check fails (the key-encryption
  // key is not the one that wrapped it); kInvalid for a wrapped key that is not 40 bytes.
  int unwrap(std::string_view wrapped, std::string* key);

 private:
  void* handle_ = nullptr;
};

// AES-256-CBC decryption of one stream that starts with a zero IV; successive calls continue
// the chain.
class CbcDecryptor {
 public:
  CbcDecryptor() = default;
  ~CbcDecryptor();
  CbcDecryptor(const CbcDecryptor&) = delete;
  CbcDecryptor& operator=(const CbcDecryptor&) = delete;

  int start(std::string_view key);
  // Deciphers n bytes in place; n must be a multiple of 16.
  int decrypt(void* buf, std::size_t n);

 private:
  void* handle_ = nullptr;
};

}  // namespace qv::decrypt
