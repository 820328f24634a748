#include "tools/decrypt/crypto.h"

#include <gcrypt.h>

#include "platform/crypto_start.h"
#include "platform/result.h"
#include "tools/decrypt/keybag.h"

namespace qv::decrypt {

namespace {

gcry_cipher_hd_t hd(void* h) {
  return static_cast<gcry_cipher_hd_t>(h);
}

}  // namespace

int pbkdf2(PbkdfHash hash, std::string_view password, std::string_view salt,
           std::uint32_t iterations, std::size_t outLen, std::string* out) {
  out->assign(outLen, '\0');
  if (platform::startGcrypt() != kOk || iterations == 0) return kInvalid;
  int algo = hash == PbkdfHash::kSha1 ? GCRY_MD_SHA1 : GCRY_MD_SHA256;
  gcry_error_t err = gcry_kdf_derive(password.data(), password.size(), GCRY_KDF_PBKDF2, algo,
                                     salt.data(), salt.size(), iterations, outLen, out->data());
  if (err) {
    out->clear();
    return kInvalid;
  }
  return kOk;
}

std::string sha1Hex(std::string_view bytes) {
  platform::startGcrypt();
  unsigned char digest[20];
  gcry_md_hash_buffer(GCRY_MD_SHA1, digest, bytes.data(), bytes.size());
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char b : digest) {
    hex.push_back(kHex[b >> 4]);
    hex.push_back(kHex[b & 15]);
  }
  return hex;
}

KeyUnwrapper::~KeyUnwrapper() {
  if (handle_) gcry_cipher_close(hd(handle_));
}

int KeyUnwrapper::setKey(std::string_view kek) {
  if (platform::startGcrypt() != kOk || kek.size() != kKeySize) return kInvalid;
  if (!handle_) {
    gcry_cipher_hd_t h = nullptr;
    if (gcry_cipher_open(&h, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_AESWRAP, 0)) return kInvalid;
    handle_ = h;
  }
  return gcry_cipher_setkey(hd(handle_), kek.data(), kek.size()) ? kInvalid : kOk;
}

int KeyUnwrapper::unwrap(std::string_view wrapped, std::string* key) {
  key->clear();
  if (!handle_ || wrapped.size() != kWrappedKeySize) return kInvalid;
  std::string plain(kKeySize, '\0');
  gcry_error_t err =
      gcry_cipher_decrypt(hd(handle_), plain.data(), plain.size(), wrapped.data(), wrapped.size());
  if (gcry_err_code(err) == GPG_ERR_CHECKSUM) return kWrongPassword;
  if (err) return kInvalid;
  *key = std::move(plain);
  return kOk;
}

CbcDecryptor::~CbcDecryptor() {
  if (handle_) gcry_cipher_close(hd(handle_));
}

int CbcDecryptor::start(std::string_view key) {
  if (platform::startGcrypt() != kOk || key.size() != kKeySize) return kInvalid;
  if (!handle_) {
    gcry_cipher_hd_t h = nullptr;
    if (gcry_cipher_open(&h, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_CBC, 0)) return kInvalid;
    handle_ = h;
  }
  static const unsigned char kZeroIv[16] = {};
  if (gcry_cipher_setkey(hd(handle_), key.data(), key.size())) return kInvalid;
  if (gcry_cipher_setiv(hd(handle_), kZeroIv, sizeof kZeroIv)) return kInvalid;
  return kOk;
}

int CbcDecryptor::decrypt(void* buf, std::size_t n) {
  if (!handle_ || n % 16 != 0) return kInvalid;
  if (n == 0) return kOk;
  return gcry_cipher_decrypt(hd(handle_), buf, n, nullptr, 0) ? kInvalid : kOk;
}

}  // namespace qv::decrypt
