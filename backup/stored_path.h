// Where a stored file lies inside a backup folder.
//
//   backup                         stored path
//   enciphered                     folder/fileId   (decryption writes a flat folder)
//   has Manifest.db                folder/ab/abcdef...   (two-character subfolders)
//   otherwise (Manifest.mbdb)      folder/fileId
//
// The rules are tested in this order. Every part of the system that opens a stored file forms
// its path here. Paths are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace qv::backup {

std::string storedFilePath(const std::string& folder, std::string_view fileId, bool encrypted,
                           bool hasManifestDb);

// Whether a stored file lies where its path says: a regular file, and neither it nor any
// folder between the backup folder and it (the two-character subfolder) is a link. A backup
// can hold anything, and a link there would hand the scan and the export a file from
// elsewhere on the computer. A path outside the folder is judged by its own name only.
bool storedFileInPlace(const std::string& folder, const std::string& path);

}  // namespace qv::backup
