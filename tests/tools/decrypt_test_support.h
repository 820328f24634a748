// Helpers shared by the decryption-tool tests: a scratch folder removed at the end, a console
// that keeps what the tool printed, and file reading by UTF-8 path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/decrypt/tool_main.h"

namespace qv::decrypt::testing {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

class CapturingConsole : public ToolConsole {
 public:
  void out(const std::string& line) override { outLines.push_back(line); }
  void err(const std::string& line) override { errLines.push_back(line); }
  // What standard input holds for the two-argument form: `input` when hasInput.
  int readPassword(std::string* password) override;
  // The number in the last "Count: N" line; -1 when there was none.
  std::int64_t lastCount() const;
  bool saidWrongPassword() const;

  std::vector<std::string> outLines;
  std::vector<std::string> errLines;
  bool hasInput = false;
  std::string input;
};

std::string readFileOrEmpty(const std::string& path);
// Entry names of a folder, sorted; empty when the folder does not exist.
std::vector<std::string> sortedEntries(const std::string& folder);
// Bytes that differ from file to file, so swapped outputs are noticed.
std::string patternBytes(std::size_t n, unsigned seed);

}  // namespace qv::decrypt::testing
