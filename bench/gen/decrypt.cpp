// Input of bench/decrypt: an encrypted backup with the real iteration counts (ITER 10,000,
// DPIC 10,000,000) holding FILES stored files of BYTES bytes in all, and the same plaintext as
// one AES-256-CBC stream for the reference decryptor.
//
//   bench_decrypt FOLDER [BYTES] [FILES]
// writes FOLDER/backup, FOLDER/stream.bin and FOLDER/expected.sha1 ("<sha1>  <file id>" per
// file) and prints "password=...", "stream-key=<hex>" and "files=N bytes=N".
//
//   bench_decrypt vector FOLDER NAME
// writes FOLDER/backup and FOLDER/expected.sha1 around the keybag line NAME, a published keybag
// (of real devices, two of them) with DPIC 10,000,000, and prints "password=...": the tool must
// open it with that password only. `bench_decrypt vector list` prints the names.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/utf8_main.h"
#include "samples/encrypt_backup.h"
#include "samples/encrypt_crypto.h"

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

std::string unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

// Keybag lines with the real counts (ITER 10,000, DPIC 10,000,000); numbers decimal, the rest
// hex, with the passcode key each one gives.
struct KeybagLine {
  const char* name;
  const char* password;
  const char* wpky;
  const char* salt;
  const char* dpsl;
  const char* passcodeKey;
};

const KeybagLine kLines[] = {
    {"example-14800", "hashcat",
     "8b715f516ff8e64442c478c2d9abb046fc6979ab079007d3dbcef3ddd84217f4c3db01362d88fa68",
     "2353363784073608264337337723324886300850", "425b4bb4e200b5fd4c66979c9caca31716052063",
     "aaedbb211064488c143d639b527786f63362c24f81203be94caf2efcf6f398b8"},
    {"device-1", "75966",
     "626711969caae23df508e651fa071254593d97384e76fed148cd0f3958e0beace281310f49cdc019",
     "f4aa09135e119c474548436d29bd9830242b3cb5", "6ba58ebbae1fed3cb11e0e8b4ce6d49be0282e11",
     "3ccbe1b9f5efdc3ed2e2bf3ff60456332a353beeaf45487248c5d640f44a49f4"},
    {"device-2", "rickastleyftw",
     "6156796dfab06a60017beaed787d42477bd9bb1fa72d196f468a86e79fed2fe0dcb55bb2206b8001",
     "f034055dc86c9b1774a9e01d515b7b29b05f90b0", "353941cce18704300d424e01ca215c6cb6488c6a",
     "c264e6e8752e9eca69b34d02d394f8ace0806c8a25881e448f8544bb7be9c5ff"},
};

int runVector(const std::string& folder, const std::string& name) {
  for (const KeybagLine& line : kLines) {
    if (name == "list") {
      std::printf("%s\n", line.name);
      continue;
    }
    if (name != line.name) continue;
    qv::samples::EncryptOptions options;
    options.password = line.password;
    options.useForeignKeybag = true;
    qv::samples::ForeignKeybag& bag = options.foreignKeybag;
    bag.salt = unhex(line.salt);
    bag.iterations = 10000;
    bag.dpSalt = unhex(line.dpsl);
    bag.dpIterations = 10000000;
    bag.wrappedClassKey = unhex(line.wpky);
    // The class key in the clear, from the passcode key the line is known to give.
    bag.classKey = qv::samples::enc::aesUnwrap(unhex(line.passcodeKey), bag.wrappedClassKey);
    if (bag.classKey.empty()) {
      std::fprintf(stderr, "bench_decrypt: %s does not unwrap with its passcode key\n", line.name);
      return 1;
    }
    std::vector<qv::samples::PlainBackupFile> files = {
        {"HomeDomain", "Library/SMS/sms.db", "messages of " + name, 3},
        {"HomeDomain", "Library/empty", "", 3},
        {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", std::string(100000, 'j'), 3},
    };
    std::vector<qv::samples::EncryptedFile> written;
    if (qv::samples::writeEncryptedBackup(qv::platform::joinPath(folder, "backup"), files, options,
                                          &written) != 0) {
      return 1;
    }
    std::string sums;
    for (std::size_t i = 0; i < files.size(); ++i) {
      sums += qv::samples::enc::sha1Hex(files[i].content) + "  " + written[i].fileId + "\n";
    }
    if (qv::platform::writeWholeFile(qv::platform::joinPath(folder, "expected.sha1"), sums.data(),
                                     sums.size()) != 0) {
      return 1;
    }
    std::printf("password=%s\n", line.password);
    return 0;
  }
  return name == "list" ? 0 : 2;
}

int run(const std::vector<std::string>& args) {
  if (args.size() == 3 && args[0] == "vector") return runVector(args[1], args[2]);
  if (args.empty()) {
    std::fprintf(stderr, "usage: bench_decrypt FOLDER [BYTES] [FILES]\n");
    return 2;
  }
  const std::string folder = args[0];
  const std::uint64_t totalBytes = args.size() > 1 ? std::stoull(args[1]) : 1000000000ull;
  const std::uint64_t fileCount = args.size() > 2 ? std::stoull(args[2]) : 5000;
  if (fileCount == 0 || qv::platform::createFolders(folder) != 0) return 1;

  qv::samples::EncryptOptions options;
  options.password = kPassword;
  options.iterations = 10000;
  options.dpIterations = 10000000;
  options.seed = "bench";
  qv::samples::EncryptedBackupWriter writer(qv::platform::joinPath(folder, "backup"), options);

  const std::string streamKey = qv::samples::enc::derivedBytes("bench", "stream", 32);
  qv::samples::enc::CbcEncryptStream stream(streamKey);
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
    sums += qv::samples::enc::sha1Hex(content) + "  " + id + "\n";
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
              qv::samples::enc::toHex(streamKey).c_str(),
              static_cast<unsigned long long>(fileCount), static_cast<unsigned long long>(written));
  return 0;
}

}  // namespace

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
