// What the media walks make of a manifest entry they keep: which walk it belongs to, the item's
// name and app name, the order of the finished lists, and the value of each progress report.
// All pure functions; the walks themselves live with the engine.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii.h"

namespace qv::engine {

// Longest item or app name kept (the lists and the export paths were built for 260-character
// buffers with their terminator).
constexpr std::size_t kMaxItemName = 259;

// Which photo list an entry belongs to, by its key (domain + "-" + relative path).
enum class PhotoList { kNone, kCameraRoll, kPhotoStream };
PhotoList photoListOfKey(std::string_view key);
// Candidates of the attachment walk: keys containing "/Attachments/".
bool isAttachmentKey(std::string_view key);
// Candidates of the app-file walk: keys containing "AppDomain-".
bool isAppFileKey(std::string_view key);
// App files that are WhatsApp attachments: keys containing "net.whatsapp.WhatsApp".
bool isWhatsAppKey(std::string_view key);

// The name of an entry: the part of its key after the last "/" (the whole key without one), as
// wide text, cut to kMaxItemName by capItemName. Camera Roll and Photo Stream items keep it.
std::wstring entryName(std::string_view key);

// The name of an attachment or app file: the entry's name cut before its last "." (when it has
// one), followed by the extension of the detection result (extensionFromDetection): the
// attachment photo.heic whose bytes are a JPEG becomes photo.JPG.
std::wstring detectedItemName(std::string_view key, std::wstring_view detection);

// The name of a Camera Roll or Photo Stream item: the entry's name when its extension is a
// picture or video extension (file_types.h lists), so IMG_0001.HEIC stays as the phone named
// it; otherwise the detectedItemName. A file that starts like a JPEG but is named
// "IMG_9001.html" or ".hta" becomes IMG_9001.JPG, and opening it never runs what it holds.
std::wstring photoItemName(std::string_view key, std::wstring_view detection);

// Cuts a name to kMaxItemName code units. The extension (from the last "." on) is kept whole
// when it is shorter than the limit, the stem is cut instead; half of a surrogate pair is never
// left at the cut.
std::wstring capItemName(std::wstring name);

// The app an app file belongs to. The key is searched (path included) for "com.", failing that
// for "net."; the app name is the text from the end of that match to the next "-", cut to
// kMaxItemName bytes of UTF-8 at a character boundary. "other" when neither is found or no "-"
// follows: AppDomain-com.example.camera-Documents/a.jpg belongs to "example.camera".
std::wstring appNameFromKey(std::string_view key);

// Sorts items (anything with a wide `name`) by name without regard to ASCII case (letters
// folded to lower case, then code units compared); items of equal names keep their order.
template <typename Item>
void sortItemsByName(std::vector<Item>* items) {
  if (items->size() < 2) return;
  std::stable_sort(items->begin(), items->end(), [](const Item& a, const Item& b) {
    return platform::lessNoCase(std::wstring_view(a.name), std::wstring_view(b.name));
  });
}

// The value a walk reports after `done` of `total` entries: progress + step * share * done /
// total, multiplied before dividing, as an unsigned 32-bit value. The product is formed in 64
// bits, so an index large enough to overflow 32 bits cannot send the bar backwards. `progress`
// alone when total is 0.
std::uint32_t walkReportValue(std::uint32_t progress, std::uint32_t step, std::uint32_t share,
                              std::uint32_t done, std::uint32_t total);

}  // namespace qv::engine
