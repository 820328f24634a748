// Child processes with their standard input and output on pipes.
//
// A child starts without a window and in a new process group, so it neither flashes a console
// nor receives the parent's Ctrl+C; its standard error goes to the same pipe as its standard
// output. The parent polls: waitFor() in small steps, peek() without blocking, read() what is
// waiting. Arguments are passed exactly: on Windows each is quoted by the rules the C runtime
// uses to split a command line (quoteArgument), so spaces, quotes and backslashes survive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::platform {

class Process {
 public:
  Process();
  ~Process();  // closes the pipes; a child still running is left to finish on its own
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts the program (a path) with the arguments. Fails with the system's code.
  int start(const std::string& program, const std::vector<std::string>& args);
  // Waits at most the given milliseconds; *ended tells whether the child has ended.
  int waitFor(int milliseconds, bool* ended);
  // How many bytes of output are waiting, without blocking. 0 and kOk when none is waiting yet;
  // kErrHandleEof (38) once the child has closed its output and everything was read.
  int peek(std::size_t* available);
  // Reads up to n bytes of output; blocks only when peek() said nothing is waiting.
  int read(void* buf, std::size_t n, std::size_t* got);
  // Writes to the child's standard input.
  int writeInput(const void* buf, std::size_t n);
  void closeInput();
  // The exit code of an ended child.
  int exitCode(int* code);
  // Ends the child at once, as a kill -9 or the task manager would: it cleans up nothing (exit
  // code 137 on Windows, killed by a signal elsewhere). kOk also when it had ended already; the
  // system's code when it could not be ended.
  int terminate();
  // The child's process id; 0 before a successful start.
  int id() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The running process's id.
int currentProcessId();

// From now on the files and folders this process creates are its user's alone (POSIX: the
// mode mask 077, so files are 0600 and folders 0700 whatever was asked; Windows: nothing to
// do, what is created inherits the list of the private folder it is made in).
void keepNewFilesPrivate();

// One argument quoted for a Windows command line: left as it is when it holds no space, tab,
// newline or quote (and is not empty); otherwise in double quotes, with each quote escaped by a
// backslash and the backslashes before a quote or the closing quote doubled.
std::string quoteArgument(const std::string& arg);
// The whole command line: the quoted program followed by the quoted arguments.
std::string commandLine(const std::string& program, const std::vector<std::string>& args);

}  // namespace qv::platform
