// Password-protected backups: the engine runs the decryption tool on the current backup and
// then works on the deciphered, flat copy it writes into the temporary folder
// ("QuenvaleTempFile"). The engine's side of it lives in decryption.cpp:
//   RecoveryEngine::decryptBackup     runs the tool, reads its progress, -110 on a wrong password
//   RecoveryEngine::temporaryFolder   the folder for the deciphered copy, chosen once per engine
//   RecoveryEngine::removeDecryptionOutput  deletes what an earlier decryption left
//
// The tool's protocol: it takes backup folder, output folder and password as three arguments,
// prints lines holding "Count:" and the number of files done, and "Wrong password" when the
// keybag does not unlock. Each argument is passed exactly (platform::Process quotes by the
// Windows rules), so a password with spaces, quotes or backslashes arrives as typed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace qv::engine {

// Whether this build can open password-protected backups.
bool decryptionAvailable();

// Below this many free bytes (inclusive) on the work folder's volume, the deciphered copy goes to
// the drive with the most free space instead.
constexpr std::uint64_t kTemporaryFolderMinFree = 15ull * 1024 * 1024 * 1024;
inline constexpr char kTemporaryFolderName[] = "QuenvaleTempFile";
inline constexpr char kDecryptionOutputName[] = "QuenvaleTarnwickBackupPath";

// The program to run for decryption. On Windows the shipped tool (a program without its first
// two bytes) is copied to the work folder as "tool.exe" with "MZ" put back; elsewhere the
// shipped tool is run where it lies. `shippedTool` empty: "tool" (Windows) or
// "quenvale-decrypt" beside the running program. 0, or the failure (87 when it is missing).
int prepareDecryptionTool(const std::string& shippedTool, const std::string& workFolder,
                          std::string* program);

// What one chunk of the tool's output says.
struct ToolOutputChunk {
  bool wrongPassword = false;
  bool hasCount = false;
  std::uint64_t count = 0;  // the number after the first "Count:" (0 when no digits follow)
};
// `previousTail` is the end of the chunk before, so a "Wrong password" split between two reads
// is still seen.
ToolOutputChunk parseToolOutput(std::string_view previousTail, std::string_view chunk);

}  // namespace qv::engine
