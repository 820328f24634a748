// Finding backups under a backup root and reading each one's device description. Paths are
// UTF-8.
#pragma once

#include <string>
#include <vector>

#include "backup/backup_info.h"

namespace qv::backup {

// Appends folder + separator + name for every entry of the folder whose name does not begin
// with "." (files and folders alike, in the order the system lists them). The output is
// appended to, not cleared. False, with the output untouched, when the folder cannot be listed.
bool enumerateFolder(const std::string& folder, std::vector<std::string>* out);

// The entries of every root, one root after the other, each as enumerateFolder lists it (the
// output is appended to). A root that cannot be listed adds nothing; false when none could be.
bool enumerateRoots(const std::vector<std::string>& roots, std::vector<std::string>* out);

// Reads folder/Info.plist into a fresh record (nothing of what info held before survives, so
// one backup's phone number never shows on another), sets its folder (trailing separators
// dropped) and probes for encryption. 0, or 87 with info untouched when the folder has no
// readable Info.plist.
int readBackupFolder(BackupInfo* info, const std::string& folder);

// One record per entry that has an Info.plist (stray files and empty folders yield none),
// sorted newest first by lastBackupDate compared as text without regard to case; the sort is
// stable. The output is cleared first.
void listBackups(const std::vector<std::string>& entries, std::vector<BackupInfo>* out);

// The folder without trailing separators (the separator of a root such as "/" or "C:\" stays).
std::string trimTrailingSeparators(std::string folder);

}  // namespace qv::backup
