// The three manifest walks: Camera Roll and Photo Stream, message attachments, app files with
// WhatsApp's attachments. Each is one pass over the index with substring tests on the keys;
// only candidates are opened, and only their first 512 bytes are read (file_types.h). A stored
// file that is missing, unreadable or of no recognised type is simply not an item.
//
// Reports: after each entry the walk reports progress + step x share x done / total (unsigned
// 32-bit, multiplied before dividing; item_naming.h), where done counts the reports made so far.
// A candidate whose stored file is missing is passed over without a report, as the walks over
// Camera Roll and attachments always did. A non-zero answer ends the walk and is its result;
// the lists are still sorted and the step's share still added.
#include <cstdint>
#include <limits>
#include <string>

#include "backup/stored_path.h"
#include "engine/file_types.h"
#include "engine/item_naming.h"
#include "engine/recovery_engine.h"
#include "engine/safe_name.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

// One walk's report arithmetic.
class WalkReports {
 public:
  WalkReports(RecoveryEngine& engine, std::size_t entries, std::uint32_t share)
      : engine_(engine),
        base_(static_cast<std::uint32_t>(engine.progress())),
        step_(static_cast<std::uint32_t>(engine.step())),
        share_(share),
        total_(entries > std::numeric_limits<std::uint32_t>::max()
                   ? std::numeric_limits<std::uint32_t>::max()
                   : static_cast<std::uint32_t>(entries)) {}

  // Counts one more entry and reports; the callback's answer.
  int next() {
    if (done_ < total_) ++done_;
    return engine_.report(static_cast<int>(walkReportValue(base_, step_, share_, done_, total_)));
  }

 private:
  RecoveryEngine& engine_;
  std::uint32_t base_, step_, share_, total_;
  std::uint32_t done_ = 0;
};

// The stored file's size, or false when there is no such file where its path says (a link, or
// a file under a linked folder, is passed over like a missing file: backup/stored_path.h).
bool storedSize(const std::string& folder, const std::string& path, std::uint64_t* size) {
  return backup::storedFileInPlace(folder, path) && platform::fileSize(path, size) == kOk;
}

// The detection result of a stored file; empty when it is not of a recognised type.
std::wstring recognised(const std::string& path, DetectionCounter* counter) {
  std::wstring detection;
  if (detectFileType(path, counter, &detection) != kOk) detection.clear();
  return detection;
}

}  // namespace

int RecoveryEngine::gatherPhotos(std::vector<FileItem>* cameraRoll,
                                 std::vector<FileItem>* photoStream) {
  DetectionCounter counter;
  WalkReports reports(*this, index_.size(), 2);
  int result = kOk;
  for (const backup::ManifestEntry& entry : index_) {
    const PhotoList list = photoListOfKey(entry.key);
    if (list != PhotoList::kNone) {
      const std::string path = storedFilePath(entry.fileId);
      std::uint64_t size = 0;
      if (!storedSize(backupFolder_, path, &size)) continue;
      const std::wstring detection = recognised(path, &counter);
      if (!detection.empty()) {
        FileItem item{size, safeFileName(photoItemName(entry.key, detection)),
                      platform::toWide(path)};
        (list == PhotoList::kCameraRoll ? cameraRoll : photoStream)->push_back(std::move(item));
      }
    }
    if (int answer = reports.next()) {
      result = answer;
      break;
    }
  }
  sortItemsByName(cameraRoll);
  sortItemsByName(photoStream);
  advance(2 * step_);
  return result;
}

int RecoveryEngine::gatherMessageAttachments(std::vector<FileItem>* items) {
  DetectionCounter counter;
  WalkReports reports(*this, index_.size(), 1);
  int result = kOk;
  for (const backup::ManifestEntry& entry : index_) {
    if (isAttachmentKey(entry.key)) {
      const std::string path = storedFilePath(entry.fileId);
      std::uint64_t size = 0;
      if (!storedSize(backupFolder_, path, &size)) continue;
      const std::wstring detection = recognised(path, &counter);
      if (!detection.empty() && size != 0) {
        items->push_back(FileItem{size, safeFileName(detectedItemName(entry.key, detection)),
                                  platform::toWide(path)});
      }
    }
    if (int answer = reports.next()) {
      result = answer;
      break;
    }
  }
  sortItemsByName(items);
  advance(step_);
  return result;
}

int RecoveryEngine::gatherAppFiles(std::vector<AppFileItem>* items) {
  whatsappAttachments_.clear();
  DetectionCounter counter;
  WalkReports reports(*this, index_.size(), 2);
  int result = kOk;
  for (const backup::ManifestEntry& entry : index_) {
    if (isAppFileKey(entry.key)) {
      const std::string path = storedFilePath(entry.fileId);
      std::uint64_t size = 0;
      const bool inPlace = storedSize(backupFolder_, path, &size);
      const std::wstring detection = inPlace ? recognised(path, &counter) : std::wstring();
      if (!detection.empty()) {
        std::wstring name = safeFileName(detectedItemName(entry.key, detection));
        if (isWhatsAppKey(entry.key)) {
          if (size != 0)
            whatsappAttachments_.push_back(FileItem{size, std::move(name), platform::toWide(path)});
        } else {
          items->push_back(AppFileItem{size, safeFileName(appNameFromKey(entry.key)),
                                       std::move(name), platform::toWide(path)});
        }
      }
    }
    if (int answer = reports.next()) {
      result = answer;
      break;
    }
  }
  sortItemsByName(items);
  sortItemsByName(&whatsappAttachments_);
  advance(step_);
  return result;
}

}  // namespace qv::engine
