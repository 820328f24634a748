// The entry point of every program of the project. A program's main file includes this header
// once and defines utf8Main, which receives the arguments after the program's name as UTF-8 on
// every system. On Windows they arrive as UTF-16 through wmain (the build links with -municode),
// so a non-ASCII path or password keeps its characters whatever the console's code page.
#pragma once

#include <string>
#include <vector>

#include "platform/text.h"

// Defined by the program; its answer is the exit status.
int utf8Main(const std::vector<std::string>& args);

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(qv::platform::toUtf8(argv[i]));
  return utf8Main(args);
}
#else
int main(int argc, char** argv) {
  return utf8Main(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
