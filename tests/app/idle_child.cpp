// A child process for the tests of process handling: it waits the given seconds (default 30)
// and exits with 0, printing a line first so a parent can tell that it runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf8_main.h"

int utf8Main(const std::vector<std::string>& args) {
  const int seconds = args.empty() ? 30 : std::atoi(args[0].c_str());
  std::printf("idle\n");
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return 0;
}
