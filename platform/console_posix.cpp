#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "platform/console.h"
#include "platform/result.h"

namespace qv::platform {

bool stdinIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
}

bool stderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

void useBinaryStdout() {}
void useBinaryStdin() {}

void writeStdout(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

int readHiddenLine(const std::string& prompt, std::string* line) {
  line->clear();
  std::fwrite(prompt.data(), 1, prompt.size(), stderr);
  std::fflush(stderr);
  termios saved{};
  const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (terminal) {
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  bool gotLine = false;
  char c = 0;
  for (;;) {
    const ssize_t r = ::read(STDIN_FILENO, &c, 1);
    if (r <= 0) break;
    if (c == '\n') {
      gotLine = true;
      break;
    }
    line->push_back(c);
  }
  if (terminal) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  if (!terminal) std::fputc('\n', stderr);
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return gotLine || !line->empty() ? kOk : kErrHandleEof;
}

}  // namespace qv::platform
