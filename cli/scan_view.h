// How `quenvale scan` reads its category list and shows what a scan found: the category tree
// as the scan page shows it (a child node per chosen category, with its count, deleted count
// and size) and the JSON object.
#pragma once

#include <string>
#include <string_view>

#include "backup/backup_info.h"
#include "engine/scan_results.h"
#include "engine/scan_sequence.h"

namespace qv::cli {

// Reads "Camera Roll,messages, WhatsApp Attachments": names as the category tree shows them or
// as the category page of the current language does, separated by commas, any ASCII case,
// blanks around names ignored. False with *error naming the first unknown name.
bool parseCategories(std::string_view list, engine::CategorySet* out, std::string* error);

// The category tree, then the statistics line of the scan page.
std::string scanTreeText(const engine::ScanResults& results, const engine::CategorySet& chosen);

// {"result": CODE, "backup": {...}, "categories": [{"id": 0, "name": "Camera Roll", "items": N,
// "deleted": D, "bytes": B}, ... all fourteen in order]} and a line end.
std::string scanJson(int result, const backup::BackupInfo& backup,
                     const engine::ScanResults& results);

// The folder holding config.ini and Languages/: beside the program when it is there (an
// installed or packaged program), otherwise the top of the source tree the program was built
// from (a build tree on Linux); empty when neither holds config.ini.
std::string languageFolder();

}  // namespace qv::cli
