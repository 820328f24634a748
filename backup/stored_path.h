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

}  // namespace qv::backup
