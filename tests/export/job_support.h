// What the job tests share: a recovery source over a real engine whose value-line exports are
// recorded instead of read from databases, an observer that keeps every result, and a listing
// of the output tree.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/local_recovery.h"
#include "engine/recovery_engine.h"
#include "export/recovery_job.h"
#include "platform/os_calls.h"

namespace qv::output::testing {

// Copies stored files with the engine's own copy (slot 17); the two value-line exports write
// one line naming themselves, or fail with exportResult.
class RecordingSource : public engine::CLocalBuckupRecovery {
 public:
  explicit RecordingSource(const std::string& workFolder);
  int exportMessageLines(const std::string& outputPath) override;
  int exportContactLines(const std::string& outputPath) override;

  std::vector<std::string> exports;
  int exportResult = 0;

 private:
  engine::RecoveryEngine engine_;
};

struct Row {
  std::string path;
  int code;
  std::string status;
};

class Results : public JobObserver {
 public:
  void result(const std::string& path, int code, const std::string& status) override;
  void progress(int percent, const std::string& path, int processed, int total,
                int failed) override;

  std::vector<Row> rows;
  int reports = 0;
  // Called after each report, under the job's lock.
  std::function<void(int percent, const std::string& path)> onProgress;
};

// Every file under root as "relative/path" with "/" separators, sorted.
std::vector<std::string> listTree(const std::string& root);

// Writes content to path as a stored file and returns the item a scan would make of it.
engine::FileItem storedItem(const std::string& path, const wchar_t* name,
                            const std::string& content);

// The operating-system seam with the write numbered n (from 1, counted from this call on)
// failing with the code; every other write is the real one.
platform::OsCalls failingWrite(int n, int code);

std::string readFile(const std::string& path);

}  // namespace qv::output::testing
