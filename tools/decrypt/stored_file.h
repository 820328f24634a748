// Deciphering one stored file (or the manifest database) into its output name.
//
// An enciphered file is one AES-256-CBC stream with a zero IV over the whole file, so its length
// is a multiple of 16. The plaintext normally ends with PKCS#7 padding, but writers differ, so
// the bytes kept are decided from what is known about the plaintext (keptLength below).
// The output is written under a temporary name beside its final name and renamed into place
// only when complete: a failure or a crash never leaves a partly written file under the name
// that readers look for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::decrypt {

enum class TailRule {
  kStoredFile,  // trust the recorded size when the surplus fits one block, else PKCS#7
  kDatabase,    // an SQLite file is whole pages: a length that is a multiple of the page size
                // had no padding; otherwise PKCS#7
};

struct DecipherRequest {
  std::string source;
  std::string dest;
  std::string key;  // 32 bytes; empty: the source is plain and is copied as it is
  TailRule tail = TailRule::kStoredFile;
  bool sizeKnown = false;
  std::uint64_t size = 0;
};

struct DecipherOutcome {
  std::uint64_t written = 0;
  bool sizeMismatch = false;  // the recorded size could not be honoured
};

constexpr const char* kPartialSuffix = ".qvtmp";

// 0; kInvalid for a ciphertext whose length is not a multiple of 16 or is below the recorded
// size (cut short) or, with
// kDatabase, a plaintext that is not an SQLite file (wrong key); otherwise the system's code.
// scratch is a reusable buffer.
int decipherFile(const DecipherRequest& request, std::vector<unsigned char>& scratch,
                 DecipherOutcome* outcome);

// Plaintext bytes to keep of a deciphered stream of `total` bytes whose last 16 bytes are
// lastBlock. pageSize is the SQLite page size for kDatabase (0 when unknown).
std::uint64_t keptLength(std::uint64_t total, const unsigned char* lastBlock, TailRule tail,
                         bool sizeKnown, std::uint64_t size, std::uint32_t pageSize,
                         bool* sizeMismatch);

}  // namespace qv::decrypt
