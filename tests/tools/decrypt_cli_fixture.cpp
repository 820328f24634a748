// Helper of the command-line tests of quenvale-decrypt: writes an encrypted backup whose
// password is fixed here in the source, and checks what the tool wrote. CTest runs the real
// program between the two with the password as a command-line argument, so the path from the
// command line to the key derivation is tested as the reading program will use it.
//
//   decrypt_cli_fixture make FOLDER CASE     -> FOLDER/backup
//   decrypt_cli_fixture check FOLDER CASE    <- FOLDER/out with Manifest.db-decypted
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/utf8_main.h"
#include "samples/encrypt_backup.h"

namespace {

struct Case {
  const char* name;
  const char* password;
  qv::samples::EncryptedEra era;
};

const Case kCases[] = {
    {"spaces", "correct horse  battery staple", qv::samples::EncryptedEra::kManifestDb},
    {"quotes", "say \"hi\" and \"\"", qv::samples::EncryptedEra::kManifestDb},
    {"backslashes", "tricky \\\" \\\\\" end\\", qv::samples::EncryptedEra::kManifestMbdb},
    {"nonascii", "p\xC3\xA4ssw\xC3\xB6rd \xC3\xB1 \xE5\xAF\x86\xE7\xA0\x81 \xF0\x9F\x94\x91",
     qv::samples::EncryptedEra::kManifestDb},
};

struct File {
  const char* domain;
  const char* path;
  const char* content;
};

const File kFiles[] = {
    {"HomeDomain", "Library/SMS/sms.db", "messages"},
    {"HomeDomain", "Library/empty", ""},
    {"MediaDomain", "Media/Recordings/memo.m4a", "0123456789abcdef"},
};

int make(const std::string& folder, const Case& c) {
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::u8path(folder), ec);
  qv::samples::EncryptOptions o;
  o.password = c.password;
  o.era = c.era;
  std::vector<qv::samples::PlainBackupFile> files;
  for (const File& f : kFiles) files.push_back({f.domain, f.path, f.content});
  return qv::samples::writeEncryptedBackup(qv::platform::joinPath(folder, "backup"), files, o) == 0
             ? 0
             : 1;
}

int check(const std::string& folder, const Case& c) {
  std::string out = qv::platform::joinPath(folder, "out");
  int failures = 0;
  std::vector<std::string> names;
  qv::platform::listFolder(out, &names);
  const bool manifestDb = c.era != qv::samples::EncryptedEra::kManifestMbdb;
  const std::size_t outputs = std::size(kFiles) + (manifestDb ? 1 : 0);
  if (names.size() != outputs) {
    std::fprintf(stderr, "expected %zu output files, found %zu\n", outputs, names.size());
    ++failures;
  }
  for (const File& f : kFiles) {
    std::string bytes;
    std::string id = qv::samples::EncryptedBackupWriter::fileIdOf(f.domain, f.path);
    if (qv::platform::readWholeFile(qv::platform::joinPath(out, id), 1 << 20, &bytes) != 0 ||
        bytes != f.content) {
      std::fprintf(stderr, "%s/%s did not come back\n", f.domain, f.path);
      ++failures;
    }
  }
  bool manifest = qv::platform::isFile(qv::platform::joinPath(out, "Manifest.db-decypted"));
  if (manifest != manifestDb) {
    std::fprintf(stderr, "Manifest.db-decypted %s\n",
                 manifest ? "written for a Manifest.mbdb backup" : "missing");
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}

int run(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: decrypt_cli_fixture make|check FOLDER CASE\n");
    return 2;
  }
  for (const Case& c : kCases) {
    if (args[2] != c.name) continue;
    return args[0] == "make" ? make(args[1], c) : check(args[1], c);
  }
  std::fprintf(stderr, "unknown case %s\n", args[2].c_str());
  return 2;
}

}  // namespace

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
