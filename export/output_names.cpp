#include "export/output_names.h"

#include <cstdio>

#include "engine/safe_name.h"
#include "platform/text.h"

namespace qv::output {
namespace {

// Bytes the UTF-8 form of text[i] takes, and how many wide units make the character (a
// surrogate pair on Windows).
std::size_t utf8Bytes(std::wstring_view text, std::size_t i, std::size_t* units) {
  *units = 1;
  const std::uint32_t c = static_cast<std::uint32_t>(text[i]);
  if (c < 0x80) return 1;
  if (c < 0x800) return 2;
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
    const std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      *units = 2;
      return 4;
    }
  }
  if (c < 0x10000) return 3;
  return 4;
}

// The longest prefix of text whose UTF-8 form fits in maxBytes, cut between characters.
std::wstring_view utf8Prefix(std::wstring_view text, std::size_t maxBytes) {
  std::size_t bytes = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t units = 1;
    const std::size_t n = utf8Bytes(text, i, &units);
    if (bytes + n > maxBytes) break;
    bytes += n;
    i += units;
  }
  return text.substr(0, i);
}

std::size_t utf8Length(std::wstring_view text) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t units = 1;
    bytes += utf8Bytes(text, i, &units);
    i += units;
  }
  return bytes;
}

// Cuts a name from the backup to maxBytes, keeping an extension of up to 16 bytes.
std::wstring capName(std::wstring_view name, std::size_t maxBytes) {
  if (utf8Length(name) <= maxBytes) return std::wstring(name);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring_view::npos && dot > 0) {
    const std::wstring_view ext = name.substr(dot);
    const std::size_t extBytes = utf8Length(ext);
    if (extBytes <= 16 && extBytes < maxBytes) {
      std::wstring out(utf8Prefix(name.substr(0, dot), maxBytes - extBytes));
      out += ext;
      return out;
    }
  }
  return std::wstring(utf8Prefix(name, maxBytes));
}

}  // namespace

std::wstring safeComponent(std::wstring_view name, std::wstring_view suffix, std::size_t maxBytes) {
  return engine::safeFileName(capName(name, maxBytes) + std::wstring(suffix));
}

bool isInsideRoot(std::string_view root, std::string_view path) {
  while (root.size() > 1 && (root.back() == '/' || root.back() == '\\')) root.remove_suffix(1);
  if (root.empty() || path.size() <= root.size()) return false;
  if (path.substr(0, root.size()) != root) return false;
  std::string_view rest = path.substr(root.size());
  // A root of "/" (or "C:\\") already ends with its separator.
  const bool rootEndsWithSep = root.back() == '/' || root.back() == '\\';
  if (!rootEndsWithSep) {
    if (rest.front() != '/' && rest.front() != '\\') return false;
    rest.remove_prefix(1);
  }
  if (rest.empty()) return false;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view part = rest.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." || part.find(':') != std::string_view::npos)
      return false;
    start = end + 1;
  }
  return true;
}

std::string jobStamp(int year, int month, int day, int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", year, month, day, hour, minute,
                second);
  return text;
}

std::wstring conversationPerson(const db::MessageRecord& row) {
  return row.contactName.empty() ? std::wstring(L"Unknown") : row.contactName;
}

std::wstring conversationBase(const db::MessageRecord& row) {
  std::wstring base = conversationPerson(row);
  if (!row.address.empty()) base += L"(" + row.address + L")";
  return base;
}

std::wstring chatTitle(const db::ChatRecord& row) {
  std::wstring title;
  if (row.memberNames.find(L',') != std::wstring::npos) {
    title = row.partnerName;
  } else if (!row.memberNames.empty()) {
    title = row.memberNames + L"(" + row.memberNumbers + L")";
  } else {
    title = row.memberNumbers;
  }
  return title.empty() ? std::wstring(L"Unknown") : title;
}

const char* categoryFolderName(engine::ItemCategory category) {
  using engine::ItemCategory;
  switch (category) {
    case ItemCategory::kCameraRoll:
      return "Camera Roll";
    case ItemCategory::kPhotoStream:
      return "Photo Stream";
    case ItemCategory::kAppPhotos:
      return "App Photos";
    case ItemCategory::kAppVideos:
      return "App Video";
    case ItemCategory::kMessages:
      return "Message";
    case ItemCategory::kMessageAttachments:
      return "Message Attachments";
    case ItemCategory::kContacts:
      return "Contacts";
    case ItemCategory::kCallHistory:
      return "CallHistory";
    case ItemCategory::kNotes:
      return "Notes";
    case ItemCategory::kWhatsApp:
      return "WhatsApp Message";
    case ItemCategory::kWhatsAppAttachments:
      return "WhatsApp Attachments";
    case ItemCategory::kReminder:
    case ItemCategory::kCalendar:
    case ItemCategory::kSafariBookmark:
      break;
  }
  return "";
}

}  // namespace qv::output
