#include "tests/tools/decrypt_test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>

#include "platform/file.h"
#include "platform/folders.h"

namespace qv::decrypt::testing {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  static std::atomic<unsigned> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path p = fs::temp_directory_path() /
               ("qv-decrypt-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(p);
  path_ = p.u8string();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  fs::remove_all(fs::u8path(path_), ec);
}

std::string ScratchFolder::operator/(const std::string& name) const {
  return platform::joinPath(path_, name);
}

int CapturingConsole::readPassword(std::string* password) {
  if (!hasInput) return ToolConsole::readPassword(password);
  *password = input;
  return 0;
}

std::int64_t CapturingConsole::lastCount() const {
  for (auto it = outLines.rbegin(); it != outLines.rend(); ++it) {
    if (it->rfind("Count: ", 0) == 0) return std::stoll(it->substr(7));
  }
  return -1;
}

bool CapturingConsole::saidWrongPassword() const {
  return std::find(outLines.begin(), outLines.end(), "Wrong password") != outLines.end();
}

std::string readFileOrEmpty(const std::string& path) {
  std::string bytes;
  platform::readWholeFile(path, 1u << 30, &bytes);
  return bytes;
}

std::vector<std::string> sortedEntries(const std::string& folder) {
  std::vector<std::string> names;
  platform::listFolder(folder, &names);
  std::sort(names.begin(), names.end());
  return names;
}

std::string patternBytes(std::size_t n, unsigned seed) {
  std::string out(n, '\0');
  std::uint32_t x = seed * 2654435761u + 12345u;
  for (char& c : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x & 0xFF);
  }
  return out;
}

}  // namespace qv::decrypt::testing
