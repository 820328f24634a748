// Small helpers shared by the commands: argument scanning, error lines and JSON text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::cli {

// Reads the arguments of one command: flags (--json), options with a value (--root DIR) and
// positional words. Unknown flags are collected so the command can refuse them.
class ArgScanner {
 public:
  ArgScanner(const std::vector<std::string>& args, std::vector<std::string> flags,
             std::vector<std::string> options);
  bool has(std::string_view flag) const;
  // The value of an option, or empty when it was not given.
  std::string value(std::string_view option) const;
  const std::vector<std::string>& positional() const { return positional_; }
  // The first problem found (unknown flag, option without value), or empty.
  const std::string& error() const { return error_; }
  bool wantsHelp() const { return help_; }

 private:
  std::vector<std::string> seenFlags_;
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::string> positional_;
  std::string error_;
  bool help_ = false;
};

// A command's arguments, read against its flags and options, with the command's usage text
// from the command table (commands.h), so that each usage is written once.
class CommandLine : public ArgScanner {
 public:
  CommandLine(std::string_view command, const std::vector<std::string>& args,
              std::vector<std::string> flags, std::vector<std::string> options);
  const std::string& usage() const { return usage_; }
  // The exit status when the command ends before its work: 0 after printing the usage for
  // --help, 2 after naming an unknown option or a missing value.
  std::optional<int> finishedEarly() const;
  // "quenvale: message" and the usage on stderr; 2.
  int usageError(std::string_view message) const;

 private:
  std::string usage_;
};

// "quenvale: text" on stderr: the one form of every error line.
void printError(std::string_view text);
// "quenvale: CODE: meaning (context)" on stderr; returns 1 for use as an exit status. The
// meaning is the program's own for its codes (result.h) and the system's text for the rest.
int reportFailure(int code, std::string_view context);
// "quenvale: message" on stderr followed by the usage; returns 2.
int reportUsage(std::string_view message, std::string_view usage);

// Writes text to stdout exactly (binary-safe, UTF-8 on every platform).
void writeOut(std::string_view text);

// JSON string literal of UTF-8 text, with control characters and quotes escaped; invalid
// UTF-8 sequences become U+FFFD so the output stays valid JSON.
std::string jsonString(std::string_view utf8);

}  // namespace qv::cli
