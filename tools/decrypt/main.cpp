// `quenvale-decrypt`: deciphers an encrypted device backup (see tool_main.h).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tools/decrypt/tool_main.h"

namespace {

// Each line is flushed at once: the reader is another process watching a pipe.
class StdConsole : public qv::decrypt::ToolConsole {
 public:
  void out(const std::string& line) override { put(stdout, line); }
  void err(const std::string& line) override { put(stderr, line); }

 private:
  static void put(std::FILE* f, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fputc('\n', f);
    std::fflush(f);
  }
};

int run(const std::vector<std::string>& args) {
  StdConsole console;
  return qv::decrypt::runTool(args, console);
}

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16 and become UTF-8, so a non-ASCII password reaches the key
// derivation as UTF-8 bytes whatever the console code page.
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
