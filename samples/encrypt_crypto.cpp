#include "samples/encrypt_crypto.h"

#include <gcrypt.h>

#include <cstdio>
#include <cstdlib>

#include "platform/crypto_start.h"

namespace qv::samples::enc {

namespace {

[[noreturn]] void die(const char* what) {
  std::fprintf(stderr, "encrypted-backup fixture: %s\n", what);
  std::abort();
}

std::string pbkdf2(int algo, std::string_view password, std::string_view salt,
                   std::uint32_t iterations, std::size_t n) {
  initGcrypt();
  std::string out(n, '\0');
  if (gcry_kdf_derive(password.data(), password.size(), GCRY_KDF_PBKDF2, algo, salt.data(),
                      salt.size(), iterations, n, out.data())) {
    die("PBKDF2 failed");
  }
  return out;
}

gcry_cipher_hd_t openCipher(int mode, std::string_view key) {
  initGcrypt();
  gcry_cipher_hd_t h = nullptr;
  if (gcry_cipher_open(&h, GCRY_CIPHER_AES256, mode, 0) ||
      gcry_cipher_setkey(h, key.data(), key.size())) {
    die("cannot set up AES");
  }
  return h;
}

}  // namespace

void initGcrypt() {
  if (platform::startGcrypt() != 0) die("libgcrypt too old");
}

std::string pbkdf2Sha1(std::string_view password, std::string_view salt, std::uint32_t iterations,
                       std::size_t n) {
  return pbkdf2(GCRY_MD_SHA1, password, salt, iterations, n);
}

std::string pbkdf2Sha256(std::string_view password, std::string_view salt, std::uint32_t iterations,
                         std::size_t n) {
  return pbkdf2(GCRY_MD_SHA256, password, salt, iterations, n);
}

std::string aesWrap(std::string_view kek, std::string_view key) {
  gcry_cipher_hd_t h = openCipher(GCRY_CIPHER_MODE_AESWRAP, kek);
  std::string out(key.size() + 8, '\0');
  if (gcry_cipher_encrypt(h, out.data(), out.size(), key.data(), key.size()))
    die("AES wrap failed");
  gcry_cipher_close(h);
  return out;
}

std::string aesUnwrap(std::string_view kek, std::string_view wrapped) {
  if (wrapped.size() < 24) return std::string();
  gcry_cipher_hd_t h = openCipher(GCRY_CIPHER_MODE_AESWRAP, kek);
  std::string out(wrapped.size() - 8, '\0');
  bool ok = gcry_cipher_decrypt(h, out.data(), out.size(), wrapped.data(), wrapped.size()) == 0;
  gcry_cipher_close(h);
  return ok ? out : std::string();
}

std::string cbcEncrypt(std::string_view key, std::string_view plain, bool pad) {
  std::string buf(plain);
  if (pad) buf.append(16 - plain.size() % 16, static_cast<char>(16 - plain.size() % 16));
  if (buf.size() % 16 != 0) die("CBC input is not whole blocks");
  CbcEncryptStream stream(key);
  stream.encryptInPlace(buf.data(), buf.size());
  return buf;
}

CbcEncryptStream::CbcEncryptStream(std::string_view key) {
  gcry_cipher_hd_t h = openCipher(GCRY_CIPHER_MODE_CBC, key);
  static const unsigned char kZeroIv[16] = {};
  gcry_cipher_setiv(h, kZeroIv, sizeof kZeroIv);
  handle_ = h;
}

CbcEncryptStream::~CbcEncryptStream() {
  gcry_cipher_close(static_cast<gcry_cipher_hd_t>(handle_));
}

void CbcEncryptStream::encryptInPlace(void* buf, std::size_t n) {
  if (n == 0) return;
  if (gcry_cipher_encrypt(static_cast<gcry_cipher_hd_t>(handle_), buf, n, nullptr, 0))
    die("CBC encryption failed");
}

std::string toHex(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out;
}

std::string sha1Hex(std::string_view bytes) {
  initGcrypt();
  unsigned char digest[20];
  gcry_md_hash_buffer(GCRY_MD_SHA1, digest, bytes.data(), bytes.size());
  return toHex(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

std::string derivedBytes(std::string_view seed, std::string_view label, std::size_t n) {
  initGcrypt();
  std::string out;
  for (std::uint32_t counter = 0; out.size() < n; ++counter) {
    std::string input =
        std::string(seed) + "/" + std::string(label) + "/" + std::to_string(counter);
    unsigned char digest[32];
    gcry_md_hash_buffer(GCRY_MD_SHA256, digest, input.data(), input.size());
    out.append(reinterpret_cast<const char*>(digest), sizeof digest);
  }
  out.resize(n);
  return out;
}

}  // namespace qv::samples::enc
