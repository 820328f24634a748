// A password-protected twin of a plain backup: every stored file that the plain backup's
// manifest names, enciphered under the same key, so a scan of the deciphered twin can be
// compared with a scan of the plain one.
#pragma once

#include <string>

#include "samples/encrypt_backup.h"

namespace qv::samples {

// Reads the manifest of the plain backup in plainFolder and writes the twin into twinFolder.
// Entries without a stored file (folders, links) are left out. 0, or the first failure.
int writeEncryptedTwin(const std::string& plainFolder, const std::string& twinFolder,
                       const EncryptOptions& options);

// The password-protected sample that quenvale-sample adds to a sample root: the twin of the
// sample phone backup (Manifest.db era, small iteration counts), under this entry name and
// unlocked by this password.
inline constexpr char kEncryptedSampleFolderName[] = "e5c1a7b3d9f2046813579bdf02468ace13579bdf";
inline constexpr char kEncryptedSamplePassword[] = "tarnwick sample";
// Writes it into root, beside the plain sample written before. 0, or the first failure.
int writeEncryptedSample(const std::string& root);

}  // namespace qv::samples
