// Which manifest a backup is read by.
//
// A backup folder with a file "Manifest.db" is read by that database, every other backup by
// "Manifest.mbdb". The same test (Manifest.db present) chooses the stored-file layout
// (stored_path.h). A password-protected backup's Manifest.db is enciphered: it is read by the
// plain copy "Manifest.db-decypted" that the decryption tool writes into its own output folder,
// never by a file of that name in a backup folder, where anyone could have left one.
#pragma once

#include <string>

#include "backup/manifest_entry.h"

namespace qv::backup {

enum class ManifestKind { kDb, kMbdb };

// "Manifest.db" or "Manifest.mbdb".
const char* manifestKindName(ManifestKind kind);

// One line saying what a manifest result means. The Manifest.db reader passes the SQLite
// library's codes through, which mean something else as system codes, so those are named as
// SQLite's; a failed query is told in the library's own words when the reader kept them
// (`failure`, readManifestDb).
std::string manifestResultText(ManifestKind kind, int code, const std::string& failure = {});

inline constexpr char kDecipheredManifestName[] = "Manifest.db-decypted";

// True when the folder holds a regular file named Manifest.db.
bool hasManifestDb(const std::string& folder);

// Reads the manifest chosen by hasManifestDb (as the caller recorded it when the backup was
// opened) into the index, clearing it first. 87 when the chosen manifest is not there (also
// when Manifest.db has gone since), otherwise what its reader returns.
// *failure, when given, says what went wrong with a Manifest.db (readManifestDb).
int readChosenManifest(const std::string& folder, bool hasManifestDb, ManifestIndex* index,
                       std::string* failure = nullptr);

// The same for a password-protected backup after decryption: the deciphered copy in the
// decryption output folder for the Manifest.db era, the backup's Manifest.mbdb (whose records
// are plain) before it.
int readDecipheredManifest(const std::string& backupFolder, const std::string& decryptionOutput,
                           bool hasManifestDb, ManifestIndex* index,
                           std::string* failure = nullptr);

}  // namespace qv::backup
