// A child program for the process tests. Commands, given as arguments:
//   args A B ...    prints each argument framed as [A] on its own line
//   print TEXT      prints TEXT without a newline
//   sleep MS        sleeps MS milliseconds
//   cat             copies standard input to standard output until it closes
//   stderr TEXT     prints TEXT on standard error
//   exit N          ends with exit code N
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int run(const std::vector<std::string>& args) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& cmd = args[i];
    if (cmd == "args") {
      for (++i; i < args.size(); ++i) std::printf("[%s]\n", args[i].c_str());
    } else if (cmd == "print" && i + 1 < args.size()) {
      std::fputs(args[++i].c_str(), stdout);
    } else if (cmd == "stderr" && i + 1 < args.size()) {
      std::fflush(stdout);
      std::fputs(args[++i].c_str(), stderr);
      std::fflush(stderr);
    } else if (cmd == "sleep" && i + 1 < args.size()) {
      std::fflush(stdout);
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(args[++i].c_str())));
    } else if (cmd == "cat") {
      int c;
      while ((c = std::getchar()) != EOF) std::putchar(c);
    } else if (cmd == "exit" && i + 1 < args.size()) {
      std::fflush(stdout);
      return std::atoi(args[++i].c_str());
    }
  }
  std::fflush(stdout);
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
