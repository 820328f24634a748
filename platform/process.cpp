#include "platform/process.h"

namespace qv::platform {

std::string quoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');  // escape the run and the quote itself
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, '\\');  // they now stand before the closing quote
  out.push_back('"');
  return out;
}

std::string commandLine(const std::string& program, const std::vector<std::string>& args) {
  // The program name is split by different rules (no escapes), so it is always quoted plainly.
  std::string line = "\"" + program + "\"";
  for (const std::string& a : args) line += " " + quoteArgument(a);
  return line;
}

}  // namespace qv::platform
