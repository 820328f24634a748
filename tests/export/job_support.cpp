#include "tests/export/job_support.h"

#include <algorithm>

#include "export/doc_template.h"
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

std::string readFile(const std::string& path) {
  std::string text;
  platform::readWholeFile(path, 1u << 30, &text);
  return text;
}

std::string letters(std::size_t n) {
  std::string bytes(n, '\0');
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>('a' + i % 26);
  return bytes;
}

JobSetup jobSetup(const std::string& outputRoot, engine::IPhoneRecoveryParse* source,
                  const engine::ScanResults* results, const CStatisticsObj* statistics) {
  JobSetup s;
  s.outputRoot = outputRoot;
  s.templateFolder = templateFolder(QV_SOURCE_DIR);
  s.deviceName = "Test Phone";
  s.source = source;
  s.results = results;
  s.statistics = statistics;
  return s;
}

JobFixture::JobFixture()
    : root_(joinPath(tmp_.path(), "out")),
      stored_(joinPath(tmp_.path(), "stored")),
      source_(joinPath(tmp_.path(), "work")) {
  platform::createFolders(stored_);
}

engine::FileItem JobFixture::file(const wchar_t* name, const std::string& content) {
  return storedItem(joinPath(stored_, std::to_string(next_++)), name, content);
}

std::string JobFixture::out(const std::string& relative) const {
  std::string path = root_;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    path = joinPath(path, relative.substr(start, end - start));
    start = end + 1;
  }
  return path;
}

JobSetup JobFixture::setup() {
  return jobSetup(root_, &source_, &results_, &stats_);
}

std::unique_ptr<RecoveryJob> JobFixture::makeJob(JobObserver* observer) {
  auto job = std::make_unique<RecoveryJob>(setup(), *observer);
  EXPECT_EQ(job->loadTemplates(), 0);
  return job;
}

int JobFixture::run() {
  job_ = makeJob(&observer_);
  return job_->run(kStamp);
}

}  // namespace qv::output::testing
