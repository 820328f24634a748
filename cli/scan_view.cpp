#include "cli/scan_view.h"

#include <vector>

#include "app/formatters.h"
#include "app/message_format.h"
#include "app/settings.h"
#include "cli/backup_view.h"
#include "cli/cli_io.h"
#include "engine/folder_of.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

using engine::ItemCategory;

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

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

// The category whose option text on the category page (current language) is the name.
bool categoryFromPageText(std::string_view name, ItemCategory* out) {
  app::Settings& settings = app::Settings::get();
  app::LanguageSection& page = settings.section(L"PageSpecifyFile");
  for (int id = 0; id < engine::kCategoryCount; ++id) {
    const auto category = static_cast<ItemCategory>(id);
    const std::wstring key = platform::toWide(engine::categoryOptionName(category));
    auto it = page.find(key);
    if (it == page.end() || it->second.empty()) continue;
    if (sameNoCase(platform::toUtf8(it->second), name)) {
      *out = category;
      return true;
    }
  }
  return false;
}

std::string utf8(const std::wstring& text) {
  return platform::toUtf8(text);
}

std::string padLeft(const std::string& text, std::size_t width) {
  const std::size_t cells = displayWidth(text);
  return cells >= width ? text : std::string(width - cells, ' ') + text;
}

}  // namespace

bool parseCategories(std::string_view list, engine::CategorySet* out, std::string* error) {
  out->reset();
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view name = trimBlanks(list.substr(0, comma));
    if (!name.empty()) {
      ItemCategory category;
      if (!engine::categoryFromName(name, &category) && !categoryFromPageText(name, &category)) {
        *error = "unknown category '" + std::string(name) + "'";
        return false;
      }
      out->set(static_cast<int>(category));
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  if (out->none()) {
    *error = "no category named";
    return false;
  }
  return true;
}

std::string scanTreeText(const engine::ScanResults& results, const engine::CategorySet& chosen) {
  struct Group {
    const char* name;
    std::vector<ItemCategory> children;
  };
  const Group groups[] = {
      {"Photos & Videos",
       {ItemCategory::kCameraRoll, ItemCategory::kPhotoStream, ItemCategory::kAppPhotos,
        ItemCategory::kAppVideos}},
      {"Messages & Call logs",
       {ItemCategory::kMessages, ItemCategory::kMessageAttachments, ItemCategory::kContacts,
        ItemCategory::kCallHistory, ItemCategory::kNotes, ItemCategory::kWhatsApp,
        ItemCategory::kWhatsAppAttachments, ItemCategory::kReminder, ItemCategory::kCalendar,
        ItemCategory::kSafariBookmark}},
  };
  std::string out;
  std::uint64_t items = 0;
  std::uint64_t bytes = 0;
  for (const Group& group : groups) {
    out += group.name;
    out += "\n";
    for (ItemCategory category : group.children) {
      if (!chosen.test(static_cast<int>(category))) continue;
      const engine::CategorySummary s = engine::summarize(results, category);
      items += s.items;
      bytes += s.bytes;
      const std::string node =
          std::string(engine::categoryName(category)) + " (" + std::to_string(s.items) + ")";
      out += "  " + padTo(node, 28) + padLeft(std::to_string(s.deleted) + " deleted", 12) +
             padLeft(utf8(app::formatSize(static_cast<std::int64_t>(s.bytes))), 14) + "\n";
    }
  }
  // The scan page's statistics line, with every item checked as a finished scan leaves them.
  std::wstring pattern = app::Settings::get().message(L"MSG0513");
  if (pattern.empty()) pattern = L"You select %s in %d item(s) of %s in %d item(s)";
  const std::wstring size =
      bytes == 0 ? std::wstring(L"0 MB") : app::formatSize(static_cast<std::int64_t>(bytes));
  out += utf8(app::formatMessage(pattern, {size, items, size, items})) + "\n";
  return out;
}

std::string scanJson(int result, const backup::BackupInfo& backup,
                     const engine::ScanResults& results) {
  std::string out = "{\"result\": " + std::to_string(result) + ", \"backup\": {" +
                    backupJsonMembers(backup) + "}, \"categories\": [";
  for (int id = 0; id < engine::kCategoryCount; ++id) {
    const auto category = static_cast<ItemCategory>(id);
    const engine::CategorySummary s = engine::summarize(results, category);
    if (id != 0) out += ", ";
    out += "{\"id\": " + std::to_string(id) +
           ", \"name\": " + jsonString(engine::categoryName(category)) +
           ", \"items\": " + std::to_string(s.items) +
           ", \"deleted\": " + std::to_string(s.deleted) +
           ", \"bytes\": " + std::to_string(s.bytes) + "}";
  }
  out += "]}\n";
  return out;
}

std::string languageFolder() {
  std::string folder;
  if (platform::programFolder(&folder) == 0 &&
      platform::isFile(platform::joinPath(folder, "config.ini"))) {
    return folder;
  }
  // This file lies in cli/ at the top of the source tree.
  folder = engine::folderOf(engine::folderOf(__FILE__));
  if (!folder.empty() && platform::isFile(platform::joinPath(folder, "config.ini"))) return folder;
  return {};
}

}  // namespace qv::cli
