#include <windows.h>

#include <string>

#include "platform/error_text.h"
#include "platform/error_texts.h"
#include "platform/text.h"

namespace qv::platform {

std::string errorMessage(int code) {
  wchar_t* buf = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  // US English first, so result lists read the same on every installation.
  DWORD n = FormatMessageW(flags, nullptr, static_cast<DWORD>(code),
                           MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                           reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  if (n == 0) {
    n = FormatMessageW(flags, nullptr, static_cast<DWORD>(code), 0,
                       reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  }
  std::wstring text;
  if (n != 0 && buf != nullptr) text.assign(buf, n);
  if (buf != nullptr) LocalFree(buf);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  if (!text.empty()) return toUtf8(text);
  if (const char* known = knownErrorText(code)) return known;
  return "Unknown error " + std::to_string(code) + ".";
}

}  // namespace qv::platform
