// The console the program was started from: whether standard input is a terminal, and reading
// one line from it without showing what is typed (for passwords).
#pragma once

#include <string>

namespace qv::platform {

bool stdinIsTerminal();

// Shows the prompt on standard error, reads one line from the terminal with echo switched off
// (and restored afterwards, also when reading fails), and ends the prompt's line. The line is
// UTF-8, without its line end. kErrHandleEof when input ended before a line was typed.
int readHiddenLine(const std::string& prompt, std::string* line);

}  // namespace qv::platform
