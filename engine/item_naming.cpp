#include "engine/item_naming.h"

#include "engine/file_types.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool isHighSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

// The first n code units, stepping back over a lone high surrogate at the cut.
std::wstring_view headOf(std::wstring_view s, std::size_t n) {
  if (s.size() <= n) return s;
  if (n > 0 && isHighSurrogate(s[n - 1])) --n;
  return s.substr(0, n);
}

std::string_view nameOfKey(std::string_view key) {
  const std::size_t slash = key.rfind('/');
  return slash == std::string_view::npos ? key : key.substr(slash + 1);
}

}  // namespace

PhotoList photoListOfKey(std::string_view key) {
  if (contains(key, "CameraRollDomain-Media/DCIM/")) return PhotoList::kCameraRoll;
  if (contains(key, "MediaDomain-Media/PhotoStreamsData/")) return PhotoList::kPhotoStream;
  return PhotoList::kNone;
}

bool isAttachmentKey(std::string_view key) {
  return contains(key, "/Attachments/");
}
bool isAppFileKey(std::string_view key) {
  return contains(key, "AppDomain-");
}
bool isWhatsAppKey(std::string_view key) {
  return contains(key, "net.whatsapp.WhatsApp");
}

std::wstring capItemName(std::wstring name) {
  if (name.size() <= kMaxItemName) return name;
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && name.size() - dot < kMaxItemName) {
    const std::wstring_view view(name);
    const std::wstring_view ext = view.substr(dot);
    std::wstring out(headOf(view.substr(0, dot), kMaxItemName - ext.size()));
    out += ext;
    return out;
  }
  return std::wstring(headOf(name, kMaxItemName));
}

std::wstring entryName(std::string_view key) {
  return capItemName(platform::toWide(nameOfKey(key)));
}

std::wstring detectedItemName(std::string_view key, std::wstring_view detection) {
  std::wstring name = platform::toWide(nameOfKey(key));
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  name += extensionFromDetection(detection);
  return capItemName(std::move(name));
}

std::wstring photoItemName(std::string_view key, std::wstring_view detection) {
  std::wstring name = entryName(key);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) {
    const PreviewKind kind = previewKindOf(std::wstring_view(name).substr(dot));
    if (kind == PreviewKind::kPicture || kind == PreviewKind::kVideo) return name;
  }
  return detectedItemName(key, detection);
}

std::wstring appNameFromKey(std::string_view key) {
  std::size_t match = key.find("com.");
  if (match == std::string_view::npos) match = key.find("net.");
  if (match == std::string_view::npos) return L"other";
  const std::size_t dash = key.find('-', match + 1);
  if (dash == std::string_view::npos) return L"other";
  const std::size_t start = match + 4;  // "com." and "net." hold no "-", so dash >= start
  std::string_view name = key.substr(start, dash - start);
  if (name.size() > kMaxItemName) {
    std::size_t cut = kMaxItemName;
    // Step back to the lead byte of the character the cut would split.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name = name.substr(0, cut);
  }
  return platform::toWide(name);
}

std::uint32_t walkReportValue(std::uint32_t progress, std::uint32_t step, std::uint32_t share,
                              std::uint32_t done, std::uint32_t total) {
  if (total == 0) return progress;
  // floor(a * done / total) in two exact parts, so that no product leaves 64 bits.
  const std::uint64_t a = std::uint64_t{step} * share;
  const std::uint64_t part = a / total * done + a % total * done / total;
  return static_cast<std::uint32_t>(progress + part);
}

}  // namespace qv::engine
