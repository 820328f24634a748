// What the job tests share: a recovery source over a real engine whose value-line exports are
// recorded instead of read from databases, an observer that keeps every result, a listing of
// the output tree, and a fixture that runs jobs over hand-made scan results in a fresh folder.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/local_recovery.h"
#include "engine/recovery_engine.h"
#include "export/recovery_job.h"
#include "platform/folders.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::output::testing {

using engine::ItemCategory;
using platform::joinPath;
using Tree = std::vector<std::string>;

// The stamp every job of the tests runs with, so the names it makes are known.
constexpr char kStamp[] = "20240102030405";

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

std::string readFile(const std::string& path);

// n bytes of "abc...z" repeated.
std::string letters(std::size_t n);

// The setup of a job over these results, with the shipped templates.
JobSetup jobSetup(const std::string& outputRoot, engine::IPhoneRecoveryParse* source,
                  const engine::ScanResults* results, const CStatisticsObj* statistics);

// A job over hand-made results: the output root is "out" in a fresh folder, stored files go to
// "stored" and the source's work folder is "work" beside it. Nothing is registered for export
// until the test does it.
class JobFixture : public ::testing::Test {
 protected:
  JobFixture();

  // A stored file with the content, as the item a scan would make of it.
  engine::FileItem file(const wchar_t* name, const std::string& content);
  // The path of "relative/path" under the output root.
  std::string out(const std::string& relative) const;
  JobSetup setup();
  // A job over the results with its templates loaded.
  std::unique_ptr<RecoveryJob> makeJob(JobObserver* observer);
  // Runs a new job, kept in job_, that reports to observer_.
  int run();

  fixtures::TempFolder tmp_;
  std::string root_;
  std::string stored_;
  RecordingSource source_;
  engine::ScanResults results_;
  CStatisticsObj stats_;
  Results observer_;
  std::unique_ptr<RecoveryJob> job_;
  int next_ = 0;
};

}  // namespace qv::output::testing
