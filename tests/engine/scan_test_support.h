// Helpers shared by the engine's scan tests: a progress callback that records what it is told
// and can answer "stop", engines that work in a test's folder, a backup folder with an engine
// opened on it, and whole scans counted by category.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/progress.h"
#include "engine/recovery_engine.h"
#include "samples/backup_builder.h"
#include "samples/sqlite_fixture.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::engine::testing {

// Records every value; answers `answer` from the call numbered stopAtCall on (1-based; 0: never).
struct RecordingCallback {
  std::vector<int> values;
  int stopAtCall = 0;
  int answer = 2;
  static int QV_CALLBACK call(void* user, int value);
};

// An engine that works in workFolder and finds no backups of its own; decryptionTool empty:
// the one beside the program.
std::unique_ptr<RecoveryEngine> engineIn(const std::string& workFolder,
                                         const std::string& decryptionTool = std::string());

// Reads the backup in folder and makes it the engine's current one; false (with a test
// failure) when it cannot be read.
bool makeCurrent(RecoveryEngine* engine, const std::string& folder);

// The item count of every category, in category order, after a scan of every category of the
// backup in folder through the factory's source. The open's result goes to openResult; without
// one the open must succeed.
std::vector<std::size_t> scanCounts(RecoveryEngine* engine, const std::string& folder,
                                    const std::wstring& password, int* openResult = nullptr);

// A backup folder in a temporary folder, written through a BackupBuilder, and an engine whose
// work folder lies beside it.
class TestBackup {
 public:
  explicit TestBackup(samples::ManifestLayout layout = samples::ManifestLayout::kDb,
                      const std::string& productVersion = "14.3");
  samples::BackupBuilder& builder() { return *builder_; }
  const std::string& folder() const { return builder_->folder(); }
  std::string workFolder() const;
  // Finishes the manifest, makes an engine, makes this backup current and opens it. Null (with
  // a test failure) when any of it fails.
  std::unique_ptr<RecoveryEngine> open(RecordingCallback* recorder = nullptr);

 private:
  fixtures::TempFolder temp_;
  std::unique_ptr<samples::BackupBuilder> builder_;
  std::string productVersion_;
};

// The bytes of a database a fixture builder writes (built in a scratch file, then read back).
std::string builtDatabase(int (*build)(const std::string& path, samples::SqliteFixture* db));

std::wstring W(const std::string& utf8);
std::string U(const std::wstring& wide);

}  // namespace qv::engine::testing
