// The sample backup root that quenvale-sample writes and the CLI tests read: one backup with
// Manifest.db (iOS 17.2, a phone) and one with Manifest.mbdb (iOS 9.3.5, a tablet without a
// phone number), with display names in accented Latin and CJK characters. The phone holds the
// phone's own databases (appdb_phone.h), the chat apps' (appdb_whatsapp.h) and media in every
// media category (media_samples.h); the tablet a notes table and one Camera Roll photo.
#pragma once

#include <string>
#include <vector>

namespace qv::samples {

struct SampleBackup {
  std::string folderName;    // entry name under the root
  std::string displayName;   // UTF-8
  std::string localDateUtc;  // the stored date, ISO 8601 UTC
  bool manifestDb;
  std::size_t manifestEntries;  // entries a reader of its manifest yields
  std::size_t storedFiles;      // entries whose stored file exists
};

// The backups writeSampleRoot writes, oldest first.
const std::vector<SampleBackup>& sampleBackups();

// Writes the sample backups into root (created with parents). 0 or the first failure.
int writeSampleRoot(const std::string& root);
// Writes one of them into root (created with parents). 0 or the first failure.
int writeSampleBackup(const std::string& root, const SampleBackup& backup);

}  // namespace qv::samples
