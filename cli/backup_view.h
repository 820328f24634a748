// How the list and info commands show a backup record: JSON objects keyed by the record's field
// names, and text columns measured in terminal cells.
#pragma once

#include <string>
#include <string_view>

#include "backup/backup_info.h"

namespace qv::cli {

// The members of a BackupInfo object, without the braces, in field order:
// "encrypted", "versionAbove11", "lastBackupDate", "phoneNumber", "serialNumber", "folder",
// "displayName".
std::string backupJsonMembers(const backup::BackupInfo& info);

// Terminal cells the UTF-8 text takes: East Asian wide and full-width characters take two.
std::size_t displayWidth(std::string_view utf8);

// The text padded with spaces to the width in cells.
std::string padTo(const std::string& utf8, std::size_t width);

}  // namespace qv::cli
