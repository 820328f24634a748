// Input of bench/decrypt: an encrypted backup with the real iteration counts (ITER 10,000,
// DPIC 10,000,000) holding FILES stored files of BYTES bytes in all, and the same plaintext as
// one AES-256-CBC stream for the reference decryptor.
//
//   bench_decrypt FOLDER [BYTES] [FILES]
// writes FOLDER/backup, FOLDER/stream.bin and FOLDER/expected.sha1 ("<sha1>  <file id>" per
// file) and prints "password=...", "stream-key=<hex>" and "files=N bytes=N".
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "tests/fixtures/encrypt_backup.h"
#include "tests/fixtures/encrypt_crypto.h"

namespace {

constexpr const char* kPassword = "bench password";

// Incompressible, reproducible content.
void fillPattern(std::string& buf, std::uint64_t seed) {
  std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  for (std::size_t i = 0; i < buf.size(); i += 8) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    for (std::size_t k = 0; k < 8 && i + k < buf.size(); ++k)
      buf[i + k] = static_cast<char>(x >> (8 * k));
  }
}

int run(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "usage: bench_decrypt FOLDER [BYTES] [FILES]\n");
    return 2;
  }
  const std::string folder = args[0];
  const std::uint64_t totalBytes = args.size() > 1 ? std::stoull(args[1]) : 1000000000ull;
  const std::uint64_t fileCount = args.size() > 2 ? std::stoull(args[2]) : 5000;
  if (fileCount == 0 || qv::platform::createFolders(folder) != 0) return 1;

  qv::fixtures::EncryptOptions options;
  options.password = kPassword;
  options.iterations = 10000;
  options.dpIterations = 10000000;
  options.seed = "bench";
  qv::fixtures::EncryptedBackupWriter writer(qv::platform::joinPath(folder, "backup"), options);

  const std::string streamKey = qv::fixtures::enc::derivedBytes("bench", "stream", 32);
  qv::fixtures::enc::CbcEncryptStream stream(streamKey);
  qv::platform::File streamFile;
  if (streamFile.openWrite(qv::platform::joinPath(folder, "stream.bin")) != 0) return 1;
  std::string carry;  // plaintext not yet a whole block
  std::string sums;

  // Sizes spread from half to one and a half times the mean; the last file takes the rest.
  const std::uint64_t mean = totalBytes / fileCount;
  std::uint64_t written = 0;
  std::string content;
  for (std::uint64_t i = 0; i < fileCount; ++i) {
    std::uint64_t size =
        i + 1 == fileCount ? totalBytes - written : mean / 2 + (i * 7919 % (mean + 1));
    if (size > totalBytes - written) size = totalBytes - written;
    content.resize(static_cast<std::size_t>(size));
    fillPattern(content, i);
    std::string domain =
        i % 3 == 0 ? "CameraRollDomain" : "AppDomain-com.example.app" + std::to_string(i % 7);
    std::string id =
        writer.addFile(domain, "Media/DCIM/100APPLE/IMG_" + std::to_string(i) + ".JPG", content);
    if (id.empty()) return 1;
    sums += qv::fixtures::enc::sha1Hex(content) + "  " + id + "\n";
    written += size;

    carry += content;
    std::size_t whole = carry.size() / 16 * 16;
    stream.encryptInPlace(carry.data(), whole);
    if (streamFile.write(carry.data(), whole) != 0) return 1;
    carry.erase(0, whole);
  }
  carry.append(16 - carry.size() % 16, static_cast<char>(16 - carry.size() % 16));
  stream.encryptInPlace(carry.data(), carry.size());
  if (streamFile.write(carry.data(), carry.size()) != 0 || streamFile.close() != 0) return 1;
  if (writer.finish() != 0) return 1;
  if (qv::platform::writeWholeFile(qv::platform::joinPath(folder, "expected.sha1"), sums.data(),
                                   sums.size()) != 0) {
    return 1;
  }
  std::printf("password=%s\nstream-key=%s\nfiles=%llu bytes=%llu\n", kPassword,
              qv::fixtures::enc::toHex(streamKey).c_str(),
              static_cast<unsigned long long>(fileCount), static_cast<unsigned long long>(written));
  return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(qv::platform::toUtf8(argv[i]));
  return run(args);
}
#else
int main(int argc, char** argv) {
  return run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
