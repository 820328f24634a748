#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/console.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::platform {

bool stdinIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool stderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

void useBinaryStdout() {
  _setmode(_fileno(stdout), _O_BINARY);
}

void useBinaryStdin() {
  _setmode(_fileno(stdin), _O_BINARY);
}

void writeStdout(std::string_view bytes) {
  static const bool binary = (useBinaryStdout(), true);
  (void)binary;
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

int readHiddenLine(const std::string& prompt, std::string* line) {
  line->clear();
  std::fwrite(prompt.data(), 1, prompt.size(), stderr);
  std::fflush(stderr);
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD saved = 0;
  if (!GetConsoleMode(in, &saved)) {
    // Not a console: read the line as it comes.
    std::string bytes;
    char c = 0;
    DWORD got = 0;
    bool gotLine = false;
    while (ReadFile(in, &c, 1, &got, nullptr) && got == 1) {
      if (c == '\n') {
        gotLine = true;
        break;
      }
      bytes.push_back(c);
    }
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    *line = bytes;
    std::fputc('\n', stderr);
    return gotLine || !line->empty() ? kOk : kErrHandleEof;
  }
  SetConsoleMode(in, (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
  // Wide reads keep letters outside the console's code page.
  std::wstring typed;
  wchar_t buf[256];
  DWORD got = 0;
  bool gotLine = false;
  while (ReadConsoleW(in, buf, 256, &got, nullptr) && got > 0) {
    typed.append(buf, got);
    if (typed.find(L'\n') != std::wstring::npos) {
      gotLine = true;
      break;
    }
  }
  SetConsoleMode(in, saved);
  std::fputc('\n', stderr);
  const std::size_t end = typed.find_first_of(L"\r\n");
  if (end != std::wstring::npos) typed.resize(end);
  *line = toUtf8(typed);
  return gotLine || !line->empty() ? kOk : kErrHandleEof;
}

}  // namespace qv::platform
