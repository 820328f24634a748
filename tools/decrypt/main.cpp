// `quenvale-decrypt`: deciphers an encrypted device backup (see tool_main.h).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/utf8_main.h"
#include "tools/decrypt/tool_main.h"

namespace {

// Each line is flushed at once: the reader is another process watching a pipe.
class StdConsole : public qv::decrypt::ToolConsole {
 public:
  void out(const std::string& line) override { put(stdout, line); }
  void err(const std::string& line) override { put(stderr, line); }
  int readPassword(std::string* password) override {
    return qv::platform::readStdinLine(qv::decrypt::kMaxPasswordBytes, password);
  }

 private:
  static void put(std::FILE* f, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fputc('\n', f);
    std::fflush(f);
  }
};

int run(const std::vector<std::string>& args) {
  // Deciphered files are plaintext of someone's phone: nobody else may read them, at any time.
  qv::platform::keepNewFilesPrivate();
  StdConsole console;
  return qv::decrypt::runTool(args, console);
}

}  // namespace

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
