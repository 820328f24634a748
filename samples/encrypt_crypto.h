// Cryptography for the encrypted-backup fixture: the forward direction of what the decryption
// tool undoes (PBKDF2, RFC 3394 wrapping, AES-256-CBC encryption), written over libgcrypt on
// its own so that a fault in the tool cannot hide behind a shared helper.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::samples::enc {

void initGcrypt();

std::string pbkdf2Sha1(std::string_view password, std::string_view salt, std::uint32_t iterations,
                       std::size_t n);
std::string pbkdf2Sha256(std::string_view password, std::string_view salt, std::uint32_t iterations,
                         std::size_t n);

// RFC 3394 wrap of a 32-byte key with a 32-byte key-encryption key: 40 bytes.
std::string aesWrap(std::string_view kek, std::string_view key);

// RFC 3394 unwrap of 40 bytes into the 32-byte key; empty when the integrity check fails.
std::string aesUnwrap(std::string_view kek, std::string_view wrapped);

// AES-256-CBC with a zero IV; with pad, PKCS#7 padding is added first (a whole block for input
// that is a multiple of 16). Without pad the input must be a multiple of 16.
std::string cbcEncrypt(std::string_view key, std::string_view plain, bool pad = true);

// Streaming AES-256-CBC (zero IV) over whole blocks, for large inputs.
class CbcEncryptStream {
 public:
  explicit CbcEncryptStream(std::string_view key);
  ~CbcEncryptStream();
  CbcEncryptStream(const CbcEncryptStream&) = delete;
  CbcEncryptStream& operator=(const CbcEncryptStream&) = delete;
  // n must be a multiple of 16.
  void encryptInPlace(void* buf, std::size_t n);

 private:
  void* handle_ = nullptr;
};

std::string sha1Hex(std::string_view bytes);
// n bytes that depend only on seed and label (SHA-256 in counter mode): reproducible keys and
// salts.
std::string derivedBytes(std::string_view seed, std::string_view label, std::size_t n);
std::string toHex(std::string_view bytes);

}  // namespace qv::samples::enc
