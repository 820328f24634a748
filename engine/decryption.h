// Password-protected backups: the engine runs the decryption tool on the current backup and
// then works on the deciphered, flat copy it writes into the engine's own run folder. The
// engine's side of it lives in decryption.cpp:
//   RecoveryEngine::decryptBackup     runs the tool, reads its progress, -110 on a wrong password
//   RecoveryEngine::temporaryFolder   where run folders are made, chosen once per engine
//   RecoveryEngine::removeDecryptionOutput  deletes the run folder this engine made
//
// The run folder. Every engine that deciphers makes a folder of its own in the temporary
// folder, "run-" + 16 random hex digits, that only its user may enter (0700; on Windows a list
// granting that user alone), holding a lock file it keeps locked while it lives and the
// tool's output folder "QuenvaleTarnwickBackupPath". Two programs deciphering the same backup
// at once (two scans, the GUI and the CLI) never share or empty each other's copy; the engine
// removes its own folder when it goes; a folder whose lock nobody holds was left by a run that
// died (a kill, a crash) and is removed by the next engine that looks, decided by that lock
// test and never by a name.
//
// The tool's protocol: it takes backup folder and output folder as two arguments and the
// password as the first line of its standard input (never on its command line, which every
// local user can read), prints lines holding "Count:" and the number of files done, and
// "Wrong password" when the keybag does not unlock. Each argument is passed exactly
// (platform::Process quotes by the Windows rules), so folders with spaces arrive whole.
#pragma once

#include <cstddef>
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
inline constexpr char kRunFolderPrefix[] = "run-";
inline constexpr char kRunLockName[] = "lock";

// The longest password handed to the tool (it refuses longer ones); no password holds a NUL.
constexpr std::size_t kMaxPasswordBytes = 4096;
// Whether the UTF-8 password can be handed to the tool: not longer than kMaxPasswordBytes and
// without a NUL byte (which would end it early in any program that reads it as text).
bool isAcceptablePassword(std::string_view utf8);

// Removes the run folders in `folder` whose lock no living program holds, with what they hold.
// Links are never followed; folders without a lock file are removed only when empty.
void removeAbandonedRuns(const std::string& folder);

// The program to run for decryption. On Windows the shipped tool (a program without its first
// two bytes) is copied into `runFolder` (the engine's own run folder) as "tool.exe" with "MZ"
// put back; elsewhere the shipped tool is run where it lies. `shippedTool` empty: "tool"
// (Windows) or "quenvale-decrypt" beside the running program. 0, or the failure (87 when it
// is missing).
int prepareDecryptionTool(const std::string& shippedTool, const std::string& runFolder,
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
