#include "engine/items.h"

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

char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool sameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

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
    if (sameNoCase(name, kNames[id])) {
      *out = static_cast<ItemCategory>(id);
      return true;
    }
  }
  return false;
}

}  // namespace qv::engine
