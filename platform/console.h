// The console the program was started from: whether standard input and error are terminals,
// reading one line without showing what is typed (for passwords), and standard streams that
// pass bytes exactly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::platform {

bool stdinIsTerminal();
// Whether standard error is a terminal (progress bars are drawn only there).
bool stderrIsTerminal();

// Put standard output (input) into binary mode on Windows, whose C runtime would otherwise turn
// each "\n" written into "\r\n" (and end input at a Ctrl-Z byte); nothing to do elsewhere.
void useBinaryStdout();
void useBinaryStdin();

// Writes the bytes to standard output exactly, in binary mode from the first call on.
void writeStdout(std::string_view bytes);

// The first line of standard input as bytes, without its line end (LF or CR LF): binary mode,
// so a Ctrl-Z byte is data. At most maxBytes + 1 bytes are kept (the rest of the line is read
// and dropped), so a caller tells a line that is too long by its size. kErrHandleEof when
// input ended before anything came.
int readStdinLine(std::size_t maxBytes, std::string* line);

// Shows the prompt on standard error, reads one line from the terminal with echo switched off
// (and restored afterwards, also when reading fails), and ends the prompt's line. The line is
// UTF-8, without its line end. kErrHandleEof when input ended before a line was typed.
int readHiddenLine(const std::string& prompt, std::string* line);

}  // namespace qv::platform
