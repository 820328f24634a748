#include "tools/decrypt/stored_file.h"

#include <algorithm>
#include <cstring>

#include "platform/corrupt_input.h"
#include "platform/file.h"
#include "platform/result.h"
#include "tools/decrypt/crypto.h"

namespace qv::decrypt {

namespace {

constexpr std::size_t kChunk = 4u << 20;  // a multiple of 16
constexpr std::size_t kBlock = 16;
constexpr char kSqliteMagic[] = "SQLite format 3";  // 16 bytes with its NUL

std::uint64_t pkcs7Length(std::uint64_t total, const unsigned char* lastBlock) {
  unsigned n = lastBlock[kBlock - 1];
  if (n < 1 || n > kBlock || n > total) return total;
  for (unsigned i = 0; i < n; ++i) {
    if (lastBlock[kBlock - 1 - i] != n) return total;
  }
  return total - n;
}

// Page size from the SQLite header (offset 16, big-endian; 1 stands for 65536); 0 if invalid.
std::uint32_t sqlitePageSize(const unsigned char* header) {
  std::uint32_t v = (static_cast<std::uint32_t>(header[16]) << 8) | header[17];
  if (v == 1) return 65536;
  bool powerOfTwo = v >= 512 && v <= 32768 && (v & (v - 1)) == 0;
  return powerOfTwo ? v : 0;
}

}  // namespace

std::uint64_t keptLength(std::uint64_t total, const unsigned char* lastBlock, TailRule tail,
                         bool sizeKnown, std::uint64_t size, std::uint32_t pageSize,
                         bool* sizeMismatch) {
  *sizeMismatch = false;
  if (total == 0) return 0;
  if (tail == TailRule::kDatabase) {
    // Stripping "padding" from an unpadded database would cut its last page.
    if (pageSize != 0 && total % pageSize == 0) return total;
    return pkcs7Length(total, lastBlock);
  }
  if (sizeKnown && size <= total && total - size <= kBlock) return size;
  *sizeMismatch = sizeKnown;
  return pkcs7Length(total, lastBlock);
}

int decipherFile(const DecipherRequest& request, std::vector<unsigned char>& scratch,
                 DecipherOutcome* outcome) {
  *outcome = DecipherOutcome();
  bool plain = request.key.empty();
  platform::File in;
  int rc = in.openRead(request.source);
  if (rc != kOk) return rc;
  std::uint64_t total = 0;
  rc = in.size(&total);
  if (rc != kOk) return rc;
  // CBC works on whole blocks: anything else was cut short or appended to.
  if (!plain && total % kBlock != 0) return corrupt("stored file: length is not a multiple of 16");
  // Whole blocks, but fewer than the recorded size needs: the end of the file is gone.
  if (!plain && request.sizeKnown && total < request.size)
    return corrupt("stored file: shorter than its recorded size");

  CbcDecryptor cipher;
  if (!plain && (rc = cipher.start(request.key)) != kOk) return rc;
  if (scratch.size() < kChunk) scratch.resize(kChunk);

  std::string partial = request.dest + kPartialSuffix;
  platform::File out;
  rc = out.openWrite(partial);
  if (rc != kOk) return rc;
  std::uint32_t pageSize = 0;
  std::uint64_t offset = 0;
  while (rc == kOk && offset < total) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, total - offset));
    rc = in.readExactAt(offset, scratch.data(), n);
    if (rc == kOk && !plain) rc = cipher.decrypt(scratch.data(), n);
    if (rc != kOk) break;
    if (offset == 0 && request.tail == TailRule::kDatabase) {
      // A manifest that does not open as SQLite was deciphered with the wrong key.
      if (n < 100 || std::memcmp(scratch.data(), kSqliteMagic, sizeof kSqliteMagic) != 0) {
        rc = corrupt("manifest: deciphered bytes are not an SQLite database");
        break;
      }
      pageSize = sqlitePageSize(scratch.data());
    }
    std::size_t keep = n;
    if (!plain && offset + n == total) {
      std::uint64_t kept =
          keptLength(total, scratch.data() + n - kBlock, request.tail, request.sizeKnown,
                     request.size, pageSize, &outcome->sizeMismatch);
      keep = static_cast<std::size_t>(kept - offset);  // kept >= total - 16 >= offset
    }
    rc = out.write(scratch.data(), keep);
    outcome->written += keep;
    offset += n;
  }
  if (rc == kOk && request.tail == TailRule::kDatabase && total == 0) {
    rc = corrupt("manifest: empty database file");
  }
  int closed = out.close();
  if (rc == kOk) rc = closed;
  if (rc == kOk) rc = platform::renameFile(partial, request.dest);
  if (rc != kOk) {
    platform::removeFile(partial);
    outcome->written = 0;
  }
  return rc;
}

}  // namespace qv::decrypt
