#include "tests/export/job_support.h"

#include <algorithm>
#include <atomic>

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace qv::output::testing {
namespace {

engine::EngineSetup setupFor(const std::string& workFolder) {
  engine::EngineSetup setup;
  setup.workFolder = workFolder;
  setup.findBackups = false;
  return setup;
}

void walk(const std::string& folder, const std::string& prefix, std::vector<std::string>* out) {
  std::vector<std::string> names;
  platform::listFolder(folder, &names);
  for (const std::string& name : names) {
    const std::string path = platform::joinPath(folder, name);
    if (platform::isFolder(path)) {
      walk(path, prefix + name + "/", out);
    } else {
      out->push_back(prefix + name);
    }
  }
}

}  // namespace

RecordingSource::RecordingSource(const std::string& workFolder) : engine_(setupFor(workFolder)) {
  attach(&engine_);
}

int RecordingSource::exportMessageLines(const std::string& outputPath) {
  exports.push_back("messages " + outputPath);
  if (exportResult != 0) return exportResult;
  return platform::writeWholeFile(outputPath, "message lines\r\n", 15);
}

int RecordingSource::exportContactLines(const std::string& outputPath) {
  exports.push_back("contacts " + outputPath);
  if (exportResult != 0) return exportResult;
  return platform::writeWholeFile(outputPath, "contact lines\r\n", 15);
}

void Results::result(const std::string& path, int code, const std::string& status) {
  rows.push_back({path, code, status});
}

void Results::progress(int percent, const std::string& path, int, int, int) {
  ++reports;
  if (onProgress) onProgress(percent, path);
}

std::vector<std::string> listTree(const std::string& root) {
  std::vector<std::string> out;
  walk(root, "", &out);
  std::sort(out.begin(), out.end());
  return out;
}

engine::FileItem storedItem(const std::string& path, const wchar_t* name,
                            const std::string& content) {
  platform::writeWholeFile(path, content.data(), content.size());
  engine::FileItem item;
  item.name = name;
  item.size = content.size();
  item.storedPath = platform::toWide(path);
  return item;
}

namespace {

std::atomic<int> g_writes{0};
std::atomic<int> g_failAt{0};
std::atomic<int> g_failWith{0};

int countedWrite(platform::NativeHandle h, const void* buf, std::size_t n, std::size_t* put) {
  if (++g_writes == g_failAt.load()) {
    *put = 0;
    return g_failWith.load();
  }
  return platform::realOsCalls().write(h, buf, n, put);
}

}  // namespace

platform::OsCalls failingWrite(int n, int code) {
  g_writes = 0;
  g_failAt = n;
  g_failWith = code;
  platform::OsCalls calls = platform::realOsCalls();
  calls.write = countedWrite;
  return calls;
}

std::string readFile(const std::string& path) {
  std::string text;
  platform::readWholeFile(path, 1u << 30, &text);
  return text;
}

}  // namespace qv::output::testing
