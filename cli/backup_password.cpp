#include "cli/backup_password.h"

#include "cli/cli_io.h"
#include "engine/decryption.h"
#include "platform/console.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::cli {
std::string unusablePassword(const std::string& typed) {
  if (typed.find('\0') != std::string::npos)
    return "the password holds a NUL byte, which would cut it short; no password was used";
  if (typed.size() > engine::kMaxPasswordBytes) {
    return "the password is longer than " + std::to_string(engine::kMaxPasswordBytes) +
           " bytes, more than any backup password; no password was used";
  }
  return {};
}

int obtainPassword(const backup::BackupInfo& info, const std::string& folder, bool fromStdin,
                   std::wstring* password) {
  password->clear();
  if (!info.encrypted) return 0;
  std::string typed;
  if (fromStdin) {
    if (platform::readStdinLine(engine::kMaxPasswordBytes, &typed) != kOk) {
      printError(folder + " is a password-protected backup and standard input held no password");
      return 1;
    }
  } else if (platform::stdinIsTerminal()) {
    if (platform::readHiddenLine("Password for the backup " + folder + ": ", &typed) != kOk) {
      printError("no password was typed");
      return 1;
    }
  } else {
    printError(folder +
               " is a password-protected backup: type its password on a terminal or "
               "give it on standard input with --password-stdin");
    return 1;
  }
  if (const std::string why = unusablePassword(typed); !why.empty()) {
    printError(why);
    return 1;
  }
  *password = platform::toWide(typed);
  return 0;
}

int reportWrongPassword(const std::string& folder) {
  printError("wrong password: the password does not unlock the backup " + folder);
  return kWrongPasswordStatus;
}

}  // namespace qv::cli
