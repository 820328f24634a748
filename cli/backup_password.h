// The password of a password-protected backup for the commands that open one (scan, export,
// print): typed on the terminal without echo, or the first line of standard input with
// --password-stdin.
#pragma once

#include <string>

#include "backup/backup_info.h"

namespace qv::cli {

// The exit status of a command whose backup did not unlock with the password given.
constexpr int kWrongPasswordStatus = 3;
inline constexpr char kPasswordStdinFlag[] = "--password-stdin";

// Empty for a plain backup. For a password-protected one: the first line of standard input
// (fromStdin), else asked for on the terminal. 0, or the exit status after saying why on stderr
// (1: no terminal to ask on and no --password-stdin, or no line given).
int obtainPassword(const backup::BackupInfo& info, const std::string& folder, bool fromStdin,
                   std::wstring* password);

// "quenvale: wrong password for FOLDER ..." on stderr; kWrongPasswordStatus.
int reportWrongPassword(const std::string& folder);

}  // namespace qv::cli
