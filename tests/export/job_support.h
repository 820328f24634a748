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

std::string readFile(const std::string& path);

}  // namespace qv::output::testing
