// How the commands that scan read their category list, and how `quenvale scan` shows what a
// scan found: the category tree of export/category_tree.h (a node per chosen category with its
// count, deleted count and size, then the statistics line) and the JSON object.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "backup/backup_info.h"
#include "cli/cli_io.h"
#include "engine/scan_results.h"
#include "engine/scan_sequence.h"

namespace qv::cli {

// Reads "Camera Roll,messages, WhatsApp Attachments": names as the category tree shows them or
// as the category page of the current language does, separated by commas, any ASCII case,
// blanks around names ignored. False with *error naming the first unknown name.
bool parseCategories(std::string_view list, engine::CategorySet* out, std::string* error);

// The categories named by the option's value, or all of them when the option is empty and
// emptyMeansAll. The exit status of a usage error (naming every category) for a bad list.
std::optional<int> chooseCategories(const CommandLine& command, std::string_view option,
                                    bool emptyMeansAll, engine::CategorySet* chosen);

// The category tree, then the statistics line of the scan page.
std::string scanTreeText(const engine::ScanResults& results, const engine::CategorySet& chosen);

// {"result": CODE, "backup": {...}, "categories": [{"id": 0, "name": "Camera Roll", "items": N,
// "deleted": D, "bytes": B}, ... all fourteen in order]} and a line end.
std::string scanJson(int result, const backup::BackupInfo& backup,
                     const engine::ScanResults& results);

}  // namespace qv::cli
