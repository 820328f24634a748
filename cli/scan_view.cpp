#include "cli/scan_view.h"

#include "app/formatters.h"
#include "app/settings.h"
#include "cli/backup_view.h"
#include "export/category_tree.h"
#include "export/selection.h"
#include "platform/ascii.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

using engine::ItemCategory;

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
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
    if (platform::equalsNoCase(platform::toUtf8(it->second), name)) {
      *out = category;
      return true;
    }
  }
  return false;
}

std::string padLeft(const std::string& text, std::size_t width) {
  const std::size_t cells = displayWidth(text);
  return cells >= width ? text : std::string(width - cells, ' ') + text;
}

std::string categoryNames() {
  std::string names;
  for (int id = 0; id < engine::kCategoryCount; ++id) {
    names += (id == 0 ? "" : ", ");
    names += engine::categoryName(static_cast<ItemCategory>(id));
  }
  return names;
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

std::optional<int> chooseCategories(const CommandLine& command, std::string_view option,
                                    bool emptyMeansAll, engine::CategorySet* chosen) {
  const std::string list = command.value(option);
  if (list.empty() && emptyMeansAll) {
    *chosen = engine::allCategories();
    return std::nullopt;
  }
  std::string error;
  if (parseCategories(list, chosen, &error)) return std::nullopt;
  return command.usageError(error + " (categories: " + categoryNames() + ")");
}

std::string scanTreeText(const engine::ScanResults& results, const engine::CategorySet& chosen) {
  // The scan page registers each chosen category when its step ends; the statistics line is
  // theirs, with every item checked as a finished scan leaves them.
  output::CStatisticsObj statistics;
  std::string out;
  for (const output::CategoryGroup& group : output::categoryTree()) {
    out += group.name;
    out += "\n";
    for (ItemCategory category : group.categories) {
      if (!chosen.test(static_cast<int>(category))) continue;
      output::registerCategory(statistics, results, category);
      const engine::CategorySummary s = engine::summarize(results, category);
      out += "  " + padTo(output::categoryNodeText(category, s.items), 28) +
             padLeft(std::to_string(s.deleted) + " deleted", 12) +
             padLeft(platform::toUtf8(app::formatSize(static_cast<std::int64_t>(s.bytes))), 14) +
             "\n";
    }
  }
  out += platform::toUtf8(output::statisticsLine(statistics.totals())) + "\n";
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

}  // namespace qv::cli
