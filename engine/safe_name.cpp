#include "engine/safe_name.h"

#include <cwchar>

namespace qv::engine {
namespace {

bool forbidden(wchar_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  return std::wcschr(L"\\/:*?\"<>|", c) != nullptr;
}

wchar_t upperAscii(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
}

bool isReservedDeviceName(const std::wstring& name) {
  std::wstring stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem) c = upperAscii(c);
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") return true;
  if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0))
    return stem[3] >= L'1' && stem[3] <= L'9';
  return false;
}

}  // namespace

std::wstring safeFileName(std::wstring name) {
  for (wchar_t& c : name) {
    if (forbidden(c)) c = L'_';
  }
  for (std::size_t i = name.size(); i > 0 && (name[i - 1] == L'.' || name[i - 1] == L' '); --i)
    name[i - 1] = L'_';
  if (name.empty()) return L"_";
  if (isReservedDeviceName(name)) name.insert(name.begin(), L'_');
  return name;
}

}  // namespace qv::engine
