// The extraction engine's shared item types: the fourteen content categories and the media and
// app-file items that the manifest walks produce. The database categories use the records of
// db/records.h; the engine only adds the map that holds QQ and WeChat chats per account.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "db/records.h"

namespace qv::engine {

// The content categories, numbered from 0 in the order of the category page, the category
// tree and the scan. The selection statistics and the export job number them from 1.
enum class ItemCategory : int {
  kCameraRoll = 0,
  kPhotoStream = 1,
  kAppPhotos = 2,
  kAppVideos = 3,
  kMessages = 4,
  kMessageAttachments = 5,
  kContacts = 6,
  kCallHistory = 7,
  kNotes = 8,
  kWhatsApp = 9,
  kWhatsAppAttachments = 10,
  kReminder = 11,
  kCalendar = 12,
  kSafariBookmark = 13,
};
constexpr int kCategoryCount = 14;

// The number the selection statistics, the export job and the print give a category: its id
// + 1 (1 Camera Roll ... 14 Safari Bookmark).
constexpr int categoryNumber(ItemCategory category) {
  return static_cast<int>(category) + 1;
}
// The category of such a number; false for a number outside 1..14.
bool categoryOfNumber(int number, ItemCategory* out);

// A choice of categories, bit i standing for the category with id i.
using CategorySet = std::bitset<kCategoryCount>;
CategorySet allCategories();

// The category's name as the category tree shows it ("Camera Roll", "Messages Attachments");
// "" for a value outside the fourteen.
const char* categoryName(ItemCategory category);
// The category of a name, compared without regard to ASCII case; false when none matches.
bool categoryFromName(std::string_view name, ItemCategory* out);
// The name of the category's option on the category page ("OptCameraRoll", "WhatsApp"), the
// key of its text in the language file's "PageSpecifyFile" section.
const char* categoryOptionName(ItemCategory category);

// One media or attachment file: Camera Roll, Photo Stream, Messages Attachments and WhatsApp
// Attachments. `size` is the stored file's whole size: a video of more than 4 GiB keeps its true
// size (its low 32 bits could be 0, which would drop it as an empty file).
struct FileItem {
  std::uint64_t size = 0;
  std::wstring name;        // shown and used on export; safe as a file name (safe_name.h)
  std::wstring storedPath;  // full path of the stored file
};

// One media file of an installed app; the scan results split them into App Photos and App
// Videos by the extension of `name`.
struct AppFileItem {
  std::uint64_t size = 0;
  std::wstring appName;  // from the domain ("example.camera"), or "other"; safe as a folder name
  std::wstring name;
  std::wstring storedPath;
};

// QQ and WeChat chats of every account found: account key -> that account's chats.
using AccountChatMap = std::map<std::wstring, db::ChatRowMap>;

}  // namespace qv::engine
