#include "export/selection.h"

namespace qv::output {
namespace {

using engine::ItemCategory;

template <typename Files>
void addFiles(CStatisticsObj& s, StatKey parent, const Files& files) {
  for (std::size_t i = 0; i < files.size(); ++i) s.addItem(parent, i, files[i].size, false);
}

template <typename Records>
void addRecords(CStatisticsObj& s, StatKey parent, const Records& records) {
  for (std::size_t i = 0; i < records.size(); ++i)
    s.addItem(parent, i, engine::kMinItemBytes, records[i].deleted != 0);
}

void addApps(CStatisticsObj& s, StatKey parent, const engine::AppFileMap& apps) {
  for (const auto& [app, files] : apps) addFiles(s, s.addGroup(parent, app), files);
}

}  // namespace

void registerCategory(CStatisticsObj& s, const engine::ScanResults& r, ItemCategory category) {
  const StatKey group = s.addCategory(engine::categoryNumber(category));
  if (group == kNoRecord) return;
  switch (category) {
    case ItemCategory::kCameraRoll:
      return addFiles(s, group, r.cameraRoll);
    case ItemCategory::kPhotoStream:
      return addFiles(s, group, r.photoStream);
    case ItemCategory::kAppPhotos:
      return addApps(s, group, r.appPhotos);
    case ItemCategory::kAppVideos:
      return addApps(s, group, r.appVideos);
    case ItemCategory::kMessages:
      return addRecords(s, group, r.messageRows);
    case ItemCategory::kMessageAttachments:
      return addFiles(s, group, r.messageAttachments);
    case ItemCategory::kContacts:
      return addRecords(s, group, r.contacts);
    case ItemCategory::kCallHistory:
      return addRecords(s, group, r.calls);
    case ItemCategory::kNotes:
      return addRecords(s, group, r.notes);
    case ItemCategory::kWhatsApp:
      return addRecords(s, group, r.chatRows);
    case ItemCategory::kWhatsAppAttachments:
      return addFiles(s, group, r.whatsappAttachments);
    case ItemCategory::kReminder:
    case ItemCategory::kCalendar:
    case ItemCategory::kSafariBookmark:
      return;
  }
}

void registerAll(CStatisticsObj& statistics, const engine::ScanResults& results) {
  for (int id = 0; id < engine::kCategoryCount; ++id)
    registerCategory(statistics, results, static_cast<ItemCategory>(id));
}

}  // namespace qv::output
