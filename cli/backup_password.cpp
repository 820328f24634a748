#include "cli/backup_password.h"

#include <cstdio>

#include "cli/cli_io.h"
#include "platform/console.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

// The first line of standard input, without its line end (LF or CR LF); false when input ended
// before anything came.
bool readStdinLine(std::string* line) {
  line->clear();
  int c = 0;
  bool any = false;
  while ((c = std::fgetc(stdin)) != EOF) {
    any = true;
    if (c == '\n') break;
    line->push_back(static_cast<char>(c));
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return any;
}

}  // namespace

int obtainPassword(const backup::BackupInfo& info, const std::string& folder, bool fromStdin,
                   std::wstring* password) {
  password->clear();
  if (!info.encrypted) return 0;
  std::string typed;
  if (fromStdin) {
    if (!readStdinLine(&typed)) {
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
  *password = platform::toWide(typed);
  return 0;
}

int reportWrongPassword(const std::string& folder) {
  printError("wrong password: the password does not unlock the backup " + folder);
  return kWrongPasswordStatus;
}

}  // namespace qv::cli
