#include "tests/engine/scan_test_support.h"

#include <gtest/gtest.h>

#include "engine/scan_results.h"
#include "engine/scan_sequence.h"
#include "engine/source_factory.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "samples/backup_info_plist.h"

namespace qv::engine::testing {

int QV_CALLBACK RecordingCallback::call(void* user, int value) {
  auto* self = static_cast<RecordingCallback*>(user);
  self->values.push_back(value);
  if (self->stopAtCall > 0 && static_cast<int>(self->values.size()) >= self->stopAtCall)
    return self->answer;
  return 0;
}

std::unique_ptr<RecoveryEngine> engineIn(const std::string& workFolder,
                                         const std::string& decryptionTool) {
  EngineSetup setup;
  setup.workFolder = workFolder;
  setup.findBackups = false;
  setup.decryptionTool = decryptionTool;
  return std::make_unique<RecoveryEngine>(setup);
}

bool makeCurrent(RecoveryEngine* engine, const std::string& folder) {
  backup::BackupInfo info;
  const int rc = engine->readBackupFolder(&info, folder);
  EXPECT_EQ(rc, 0) << folder;
  engine->setCurrentBackup(info);
  return rc == 0;
}

std::vector<std::size_t> scanCounts(RecoveryEngine* engine, const std::string& folder,
                                    const std::wstring& password, int* openResult) {
  makeCurrent(engine, folder);
  auto source = createSource(SourceKind::kLocalBackup, engine);
  ScanResults results;
  ScanControl control;
  ScanObserver quiet;
  ScanSequence sequence(*source, allCategories(), results, control, quiet);
  sequence.run(password);
  if (openResult != nullptr) {
    *openResult = sequence.openResult();
  } else {
    EXPECT_EQ(sequence.openResult(), 0);
  }
  std::vector<std::size_t> counts;
  for (int id = 0; id < kCategoryCount; ++id)
    counts.push_back(summarize(results, static_cast<ItemCategory>(id)).items);
  return counts;
}

TestBackup::TestBackup(samples::ManifestLayout layout, const std::string& productVersion)
    : builder_(std::make_unique<samples::BackupBuilder>(platform::joinPath(temp_.path(), "backup"),
                                                        layout)),
      productVersion_(productVersion) {}

std::string TestBackup::workFolder() const {
  return platform::joinPath(temp_.path(), "work");
}

std::unique_ptr<RecoveryEngine> TestBackup::open(RecordingCallback* recorder) {
  samples::DeviceInfo device;
  device.productVersion = productVersion_;
  EXPECT_EQ(samples::writeInfoPlist(folder(), samples::infoPlistText(device)), 0);
  EXPECT_EQ(builder_->finish(), 0);
  auto engine = engineIn(workFolder());
  makeCurrent(engine.get(), folder());
  if (recorder != nullptr) engine->setCallback(&RecordingCallback::call, recorder);
  const int rc = engine->open(L"");
  EXPECT_EQ(rc, 0);
  if (rc != 0) return nullptr;
  return engine;
}

std::string builtDatabase(int (*build)(const std::string& path, samples::SqliteFixture* db)) {
  fixtures::TempFolder scratch;
  const std::string path = scratch.file("built.sqlite");
  samples::SqliteFixture db;
  EXPECT_EQ(build(path, &db), 0);
  std::string bytes;
  EXPECT_EQ(platform::readWholeFile(path, std::uint64_t{1} << 30, &bytes), 0);
  return bytes;
}

std::wstring W(const std::string& utf8) {
  return platform::toWide(utf8);
}

std::string U(const std::wstring& wide) {
  return platform::toUtf8(wide);
}

}  // namespace qv::engine::testing
