#include "engine/items.h"

#include "platform/ascii.h"

namespace qv::engine {
namespace {

constexpr const char* kNames[kCategoryCount] = {
    "Camera Roll",          "Photo Stream", "App Photos",   "App Videos",      "Messages",
    "Messages Attachments", "Contacts",     "Call History", "Notes",           "WhatsApp",
    "WhatsApp Attachments", "Reminder",     "Calendar",     "Safari Bookmark",
};

constexpr const char* kOptionNames[kCategoryCount] = {
    "OptCameraRoll",   "OptPhotoStream", "OptAppPhotos",   "OptAppVideos",   "OptMessages",
    "OptMessageAtts",  "OptContacts",    "OptCallHistory", "OptNotes",       "WhatsApp",
    "OptWhatsAppAtts", "OptReminder",    "OptCalendar",    "SafariBookmark",
};

}  // namespace

CategorySet allCategories() {
  return CategorySet().set();
}

bool categoryOfNumber(int number, ItemCategory* out) {
  if (number < 1 || number > kCategoryCount) return false;
  *out = static_cast<ItemCategory>(number - 1);
  return true;
}

const char* categoryName(ItemCategory category) {
  const int id = static_cast<int>(category);
  return id >= 0 && id < kCategoryCount ? kNames[id] : "";
}

const char* categoryOptionName(ItemCategory category) {
  const int id = static_cast<int>(category);
  return id >= 0 && id < kCategoryCount ? kOptionNames[id] : "";
}

bool categoryFromName(std::string_view name, ItemCategory* out) {
  for (int id = 0; id < kCategoryCount; ++id) {
    if (platform::equalsNoCase(name, kNames[id])) {
      *out = static_cast<ItemCategory>(id);
      return true;
    }
  }
  return false;
}

}  // namespace qv::engine
