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

#include "platform/console.h"
#include "platform/utf8_main.h"

namespace {

int run(const std::vector<std::string>& args) {
  qv::platform::useBinaryStdout();
  qv::platform::useBinaryStdin();
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

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
