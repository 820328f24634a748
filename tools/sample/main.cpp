// quenvale-sample DIR: writes a sample backup root into DIR (created if missing): one backup with
// Manifest.db and one with Manifest.mbdb, named in accented Latin and CJK characters, and a
// password-protected twin of the first (password "tarnwick sample").
#include <cstdio>
#include <string>
#include <vector>

#include "platform/error_text.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/utf8_main.h"
#include "samples/backup_sample.h"
#include "samples/encrypt_twin.h"

namespace {

int run(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0] == "--help" || args[0] == "-h") {
    std::fprintf(stderr, "usage: quenvale-sample DIR\n  Writes a sample backup root into DIR.\n");
    return args.size() == 1 ? 0 : 2;
  }
  int rc = qv::samples::writeSampleRoot(args[0]);
  if (rc == 0) rc = qv::samples::writeEncryptedSample(args[0]);
  if (rc != 0) {
    std::fprintf(stderr, "quenvale-sample: %d: %s (writing %s)\n", rc,
                 qv::platform::errorMessage(rc).c_str(), args[0].c_str());
    return 1;
  }
  for (const auto& b : qv::samples::sampleBackups()) {
    std::printf("%s  %s\n", qv::platform::joinPath(args[0], b.folderName).c_str(),
                b.manifestDb ? "Manifest.db" : "Manifest.mbdb");
  }
  std::printf("%s  Manifest.db, password-protected, password: %s\n",
              qv::platform::joinPath(args[0], qv::samples::kEncryptedSampleFolderName).c_str(),
              qv::samples::kEncryptedSamplePassword);
  return 0;
}

}  // namespace

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
