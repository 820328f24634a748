#include "cli/cli_io.h"

#include <algorithm>
#include <cstdio>

#include "cli/commands.h"
#include "platform/console.h"
#include "platform/error_text.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::cli {

ArgScanner::ArgScanner(const std::vector<std::string>& args, std::vector<std::string> flags,
                       std::vector<std::string> options) {
  auto known = [](const std::vector<std::string>& list, const std::string& a) {
    return std::find(list.begin(), list.end(), a) != list.end();
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      help_ = true;
    } else if (known(flags, a)) {
      seenFlags_.push_back(a);
    } else if (known(options, a)) {
      if (i + 1 >= args.size()) {
        if (error_.empty()) error_ = "option " + a + " needs a value";
      } else {
        values_.emplace_back(a, args[++i]);
      }
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      if (error_.empty()) error_ = "unknown option " + a;
    } else {
      positional_.push_back(a);
    }
  }
}

bool ArgScanner::has(std::string_view flag) const {
  return std::find(seenFlags_.begin(), seenFlags_.end(), flag) != seenFlags_.end();
}

std::string ArgScanner::value(std::string_view option) const {
  for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
    if (it->first == option) return it->second;
  }
  return {};
}

CommandLine::CommandLine(std::string_view command, const std::vector<std::string>& args,
                         std::vector<std::string> flags, std::vector<std::string> options)
    : ArgScanner(args, std::move(flags), std::move(options)), usage_(usageOf(command)) {}

std::optional<int> CommandLine::finishedEarly() const {
  if (wantsHelp()) {
    writeOut(usage_);
    return 0;
  }
  if (!error().empty()) return usageError(error());
  return std::nullopt;
}

int CommandLine::usageError(std::string_view message) const {
  return reportUsage(message, usage_);
}

void printError(std::string_view text) {
  const std::string line = "quenvale: " + std::string(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

int reportFailure(int code, std::string_view context) {
  std::string line = std::to_string(code) + ": " + platform::resultText(code);
  if (!context.empty()) line += " (" + std::string(context) + ")";
  printError(line);
  return 1;
}

int reportUsage(std::string_view message, std::string_view usage) {
  printError(message);
  std::fwrite(usage.data(), 1, usage.size(), stderr);
  return 2;
}

void writeOut(std::string_view text) {
  platform::writeStdout(text);
}

std::string jsonString(std::string_view utf8) {
  // Round trip through the converter so malformed sequences become U+FFFD.
  const std::string clean = platform::toUtf8(platform::toWide(utf8));
  std::string out;
  out.reserve(clean.size() + 2);
  out.push_back('"');
  for (const char ch : clean) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace qv::cli
