#include "engine/scan_results.h"

#include <algorithm>

#include "engine/file_types.h"

namespace qv::engine {
namespace {

template <typename Record>
void deletedFirst(std::vector<Record>* records) {
  std::stable_partition(records->begin(), records->end(),
                        [](const Record& r) { return r.deleted != 0; });
}

// One row per map entry: a copy of its latest record, marked deleted when any record is.
template <typename Map, typename Row>
void buildRows(const Map& map, std::vector<Row>* rows) {
  rows->clear();
  rows->reserve(map.size());
  for (const auto& entry : map) {
    if (entry.second.empty()) continue;
    Row row = entry.second.back();
    row.deleted = 0;
    for (const Row& r : entry.second) {
      if (r.deleted != 0) row.deleted = 1;
    }
    rows->push_back(std::move(row));
  }
}

std::uint64_t statisticsSize(std::uint64_t size) {
  return size < kMinItemBytes ? kMinItemBytes : size;
}

CategorySummary ofFiles(const std::vector<FileItem>& items) {
  CategorySummary s;
  s.items = items.size();
  for (const FileItem& item : items) s.bytes += statisticsSize(item.size);
  return s;
}

CategorySummary ofApps(const AppFileMap& apps) {
  CategorySummary s;
  for (const auto& app : apps) {
    s.items += app.second.size();
    for (const AppFileItem& item : app.second) s.bytes += statisticsSize(item.size);
  }
  return s;
}

template <typename Record>
CategorySummary ofRecords(const std::vector<Record>& records) {
  CategorySummary s;
  s.items = records.size();
  for (const Record& r : records) s.deleted += r.deleted != 0 ? 1 : 0;
  s.bytes = s.items * kMinItemBytes;
  return s;
}

}  // namespace

void ScanResults::clear() {
  *this = ScanResults();
}

void buildMessageRows(ScanResults* results) {
  buildRows(results->conversations, &results->messageRows);
  deletedFirst(&results->messageRows);
}

void buildChatRows(ScanResults* results) {
  buildRows(results->whatsappChats, &results->chatRows);
}

void orderContacts(ScanResults* results) {
  deletedFirst(&results->contacts);
}

void orderNotes(ScanResults* results) {
  deletedFirst(&results->notes);
}

void orderCalls(ScanResults* results) {
  std::stable_sort(
      results->calls.begin(), results->calls.end(),
      [](const db::CallRecord& a, const db::CallRecord& b) { return a.date > b.date; });
  deletedFirst(&results->calls);
}

ItemCategory appCategoryOf(const std::wstring& name) {
  const std::size_t dot = name.rfind(L'.');
  const std::wstring extension = dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
  const PreviewKind kind = previewKindOf(extension);
  return kind == PreviewKind::kSound || kind == PreviewKind::kVideo ? ItemCategory::kAppVideos
                                                                    : ItemCategory::kAppPhotos;
}

void splitAppFiles(ScanResults* results) {
  results->appPhotos.clear();
  results->appVideos.clear();
  for (const AppFileItem& item : results->appFiles) {
    AppFileMap& map = appCategoryOf(item.name) == ItemCategory::kAppVideos ? results->appVideos
                                                                           : results->appPhotos;
    map[item.appName].push_back(item);
  }
}

CategorySummary summarize(const ScanResults& r, ItemCategory category) {
  switch (category) {
    case ItemCategory::kCameraRoll:
      return ofFiles(r.cameraRoll);
    case ItemCategory::kPhotoStream:
      return ofFiles(r.photoStream);
    case ItemCategory::kAppPhotos:
      return ofApps(r.appPhotos);
    case ItemCategory::kAppVideos:
      return ofApps(r.appVideos);
    case ItemCategory::kMessages:
      return ofRecords(r.messageRows);
    case ItemCategory::kMessageAttachments:
      return ofFiles(r.messageAttachments);
    case ItemCategory::kContacts:
      return ofRecords(r.contacts);
    case ItemCategory::kCallHistory:
      return ofRecords(r.calls);
    case ItemCategory::kNotes:
      return ofRecords(r.notes);
    case ItemCategory::kWhatsApp:
      return ofRecords(r.chatRows);
    case ItemCategory::kWhatsAppAttachments:
      return ofFiles(r.whatsappAttachments);
    case ItemCategory::kReminder:
    case ItemCategory::kCalendar:
    case ItemCategory::kSafariBookmark:
      break;
  }
  return {};
}

}  // namespace qv::engine
