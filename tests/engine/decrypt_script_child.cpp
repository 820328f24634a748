// Stands in for the decryption tool in the driver's tests. Called as the tool is (backup folder
// and output folder; the password on standard input), it writes the arguments it received, one
// per line, then "stdin: " and the first line of its standard input, to "<backup folder>.args",
// and then follows "<backup folder>.script":
//   print TEXT    writes TEXT (with "\n" turned into a line end) and flushes: one chunk
//   sleep MS      waits, so the chunks before and after reach the reader apart
//   file NAME     writes an empty file NAME into the output folder
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/console.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/utf8_main.h"

namespace {

std::string unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out.push_back('\n');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

int run(const std::vector<std::string>& args) {
  if (args.size() < 2) return 64;
  std::string received;
  for (const std::string& a : args) received += a + "\n";
  std::string input;
  qv::platform::readStdinLine(1 << 20, &input);
  received += "stdin: " + input + "\n";
  qv::platform::writeWholeFile(args[0] + ".args", received.data(), received.size());
  std::string script;
  qv::platform::readWholeFile(args[0] + ".script", 1 << 20, &script);
  std::size_t start = 0;
  while (start < script.size()) {
    std::size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    const std::string line = script.substr(start, end - start);
    start = end + 1;
    const std::size_t space = line.find(' ');
    const std::string command = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (command == "print") {
      const std::string text = unescape(rest);
      std::fwrite(text.data(), 1, text.size(), stdout);
      std::fflush(stdout);
    } else if (command == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(rest.c_str())));
    } else if (command == "file") {
      qv::platform::writeWholeFile(qv::platform::joinPath(args[1], rest), "", 0);
    }
  }
  return 0;
}

}  // namespace

int utf8Main(const std::vector<std::string>& args) {
  return run(args);
}
