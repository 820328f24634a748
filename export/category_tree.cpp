#include "export/category_tree.h"

#include <cstdint>

#include "app/formatters.h"
#include "app/message_format.h"
#include "app/settings.h"

namespace qv::output {
namespace {

using engine::ItemCategory;

std::wstring sizeText(std::uint64_t bytes) {
  return bytes == 0 ? std::wstring(L"0 MB") : app::formatSize(static_cast<std::int64_t>(bytes));
}

}  // namespace

const std::vector<CategoryGroup>& categoryTree() {
  static const std::vector<CategoryGroup> groups = {
      {"Photos & Videos",
       {ItemCategory::kCameraRoll, ItemCategory::kPhotoStream, ItemCategory::kAppPhotos,
        ItemCategory::kAppVideos}},
      {"Messages & Call logs",
       {ItemCategory::kMessages, ItemCategory::kMessageAttachments, ItemCategory::kContacts,
        ItemCategory::kCallHistory, ItemCategory::kNotes, ItemCategory::kWhatsApp,
        ItemCategory::kWhatsAppAttachments, ItemCategory::kReminder, ItemCategory::kCalendar,
        ItemCategory::kSafariBookmark}},
  };
  return groups;
}

std::string categoryNodeText(ItemCategory category, std::size_t count) {
  return std::string(engine::categoryName(category)) + " (" + std::to_string(count) + ")";
}

std::wstring statisticsLine(const Counts& totals) {
  std::wstring pattern = app::Settings::get().message(L"MSG0513");
  if (pattern.empty()) pattern = L"You select %s in %d item(s) of %s in %d item(s)";
  return app::formatMessage(pattern, {sizeText(totals.selectedBytes()), totals.selected(),
                                      sizeText(totals.bytes), totals.items});
}

}  // namespace qv::output
