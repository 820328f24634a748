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
// (1: no terminal to ask on and no --password-stdin, no line given, or a line that cannot be a
// password: one holding a NUL byte, which would cut it short unseen, or longer than
// engine::kMaxPasswordBytes).
int obtainPassword(const backup::BackupInfo& info, const std::string& folder, bool fromStdin,
                   std::wstring* password);

// Why a typed password cannot be handed to the decryption tool whole (a NUL byte, which would
// cut it short unseen, or more than engine::kMaxPasswordBytes); empty when it can.
std::string unusablePassword(const std::string& typed);

// "quenvale: wrong password for FOLDER ..." on stderr; kWrongPasswordStatus.
int reportWrongPassword(const std::string& folder);

}  // namespace qv::cli
