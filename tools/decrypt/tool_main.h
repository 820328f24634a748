// The command line of `quenvale-decrypt` (shipped on Windows as "tool"):
//
//   quenvale-decrypt BACKUP_FOLDER OUTPUT_FOLDER            password on standard input
//   quenvale-decrypt BACKUP_FOLDER OUTPUT_FOLDER PASSWORD   for running the tool by hand
//
// With two arguments the password is the first line of standard input (the main program
// writes it there: a command line can be read by every local user). It may not hold a NUL
// byte or run past kMaxPasswordBytes. Every file the tool creates is its user's alone.
// It deciphers every stored file of the encrypted backup flat into OUTPUT_FOLDER, named by its
// file id, and for a backup with Manifest.db writes the deciphered manifest there as well, as
// "Manifest.db-decypted"; the backup folder is only read. Standard output carries the protocol the
// program reads: lines "Count: N" with the number of files written so far (at most one every 50 ms,
// and always one at the end), or the line "Wrong password" when the keybag does not unlock, in
// which case nothing is written. Everything else goes to standard error and never contains
// either text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qv::decrypt {

enum ExitStatus {
  kExitOk = 0,             // every stored file was written
  kExitWrongPassword = 1,  // nothing was written
  kExitUsage = 2,
  kExitFailed = 3,       // the backup could not be deciphered (damaged, not encrypted, unreadable)
  kExitSomeSkipped = 4,  // deciphered, but some stored files could not be written
};

// The longest password taken from standard input.
constexpr std::size_t kMaxPasswordBytes = 4096;

class ToolConsole {
 public:
  virtual ~ToolConsole() = default;
  virtual void out(const std::string& line) = 0;  // one protocol line, without its line end
  virtual void err(const std::string& line) = 0;
  // The first line of standard input (platform/console.h, readStdinLine); kErrHandleEof when
  // there is none.
  virtual int readPassword(std::string* password);
};

// args are the arguments after the program name, as UTF-8. Returns the exit status.
int runTool(const std::vector<std::string>& args, ToolConsole& console);

}  // namespace qv::decrypt
