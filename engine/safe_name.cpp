#include "engine/safe_name.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

bool isForbidden(wchar_t c) {
  if (platform::isControlCharacter(static_cast<char32_t>(c))) return true;
  switch (c) {
    case L'\\':
    case L'/':
    case L':':
    case L'*':
    case L'?':
    case L'"':
    case L'<':
    case L'>':
    case L'|':
      return true;
    default:
      return false;
  }
}

// Windows takes "COM¹" and "LPT³" for ports as well as the plain digits.
bool isPortDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

}  // namespace

bool isReservedDeviceName(std::wstring_view name) {
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (platform::equalsNoCase(stem, device)) return true;
  }
  if (stem.size() != 4 || !isPortDigit(stem[3])) return false;
  const std::wstring_view port = stem.substr(0, 3);
  return platform::equalsNoCase(port, L"COM") || platform::equalsNoCase(port, L"LPT");
}

std::wstring safeFileName(std::wstring name) {
  name.erase(
      std::remove_if(name.begin(), name.end(),
                     [](wchar_t c) { return platform::isBidiControl(static_cast<char32_t>(c)); }),
      name.end());
  for (wchar_t& c : name) {
    if (isForbidden(c)) c = L'_';
  }
  for (std::size_t i = name.size(); i > 0 && (name[i - 1] == L'.' || name[i - 1] == L' '); --i)
    name[i - 1] = L'_';
  if (name.empty()) return L"_";
  if (isReservedDeviceName(name)) name.insert(name.begin(), L'_');
  return name;
}

}  // namespace qv::engine
