// Replays fuzz inputs without libFuzzer: every file named on the command line, and every file
// inside every folder named, goes once through LLVMFuzzerTestOneInput. A crash or sanitizer
// report fails the run; a clean pass prints how many inputs were replayed.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/utf8_main.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int replayOne(const std::string& path) {
  std::string bytes;
  int rc = qv::platform::readWholeFile(path, 64u << 20, &bytes);
  if (rc != 0) {
    std::fprintf(stderr, "replay: cannot read %s (code %d)\n", path.c_str(), rc);
    return 1;
  }
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

int run(const std::vector<std::string>& args) {
  int replayed = 0;
  int failed = 0;
  for (const std::string& arg : args) {
    if (qv::platform::isFolder(arg)) {
      std::vector<std::string> names;
      qv::platform::listFolder(arg, &names);
      for (const std::string& name : names) {
        std::string path = qv::platform::joinPath(arg, name);
        if (!qv::platform::isFile(path)) continue;
        failed += replayOne(path);
        ++replayed;
      }
    } else {
      failed += replayOne(arg);
      ++replayed;
    }
  }
  std::printf("replayed %d inputs, %d unreadable\n", replayed, failed);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
