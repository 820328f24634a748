// Deciphering a whole encrypted backup: the work of the `quenvale-decrypt` tool.
//
// Order: read Manifest.plist; parse the keybag; derive the passcode key and unlock every
// passcode-wrapped class (a failure here is a wrong password, and nothing has been written);
// then, for a backup with Manifest.db, decipher it with the ManifestKey into
// "Manifest.db-decypted" in the output folder and walk its Files table; for an older backup, walk
// Manifest.mbdb. Each regular file with a wrapped key is deciphered flat into the output folder
// under its file id. A file that cannot be deciphered (missing, cut short, key that does not
// unwrap) is skipped and reported; the others go on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::decrypt {

// How the run speaks to whoever started it.
class DecryptReport {
 public:
  virtual ~DecryptReport() = default;
  // Another file was written; count is the number written so far.
  virtual void filesDone(std::uint64_t count) = 0;
  // The keybag did not unlock with the password.
  virtual void wrongPassword() = 0;
  // A message for the user. Never holds text taken from the backup other than file ids, so it
  // cannot be mistaken for the progress or wrong-password texts.
  virtual void note(const std::string& text) = 0;
};

struct DecryptSummary {
  std::uint64_t written = 0;
  std::uint64_t skipped = 0;     // regular files with a key that could not be written
  bool manifestWritten = false;  // Manifest.db-decypted
};

constexpr const char* kDecipheredManifestName = "Manifest.db-decypted";

// 0 when the backup was deciphered (summary.skipped tells whether every file was);
// kWrongPassword; kInvalid for a backup that is not encrypted or whose manifest or keybag is
// damaged; kMbdbOpenFailed / a system code when a manifest cannot be read.
int decryptBackup(const std::string& backupFolder, const std::string& outputFolder,
                  std::string_view password, DecryptReport& report, DecryptSummary* summary);

}  // namespace qv::decrypt
