#include <shlobj.h>
#include <windows.h>

#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::platform {

int appDataFolder(std::string* out) {
  out->clear();
  wchar_t buf[MAX_PATH];
  // Special folder 26: the roaming application-data folder.
  HRESULT hr = SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buf);
  if (FAILED(hr)) {
    const DWORD e = GetLastError();
    return e != 0 ? static_cast<int>(e) : kErrPathNotFound;
  }
  *out = toUtf8(buf);
  while (out->size() > 3 && out->back() == '\\') out->pop_back();
  return kOk;
}

int programFolder(std::string* out) {
  out->clear();
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return static_cast<int>(GetLastError());
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    if (buf.size() >= 32768) return kErrFilenameTooLong;
    buf.resize(buf.size() * 2);
  }
  const std::size_t slash = buf.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return kErrPathNotFound;
  *out = toUtf8(buf.substr(0, slash));
  return kOk;
}

std::string systemTemporaryFolder() {
  wchar_t buf[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  return n == 0 || n > MAX_PATH ? std::string() : toUtf8(std::wstring(buf, n));
}

std::vector<std::string> defaultBackupRoots() {
  std::vector<std::string> roots;
  std::string appData;
  if (appDataFolder(&appData) == kOk)
    roots.push_back(appData + "\\Apple Computer\\MobileSync\\backup");
  wchar_t profile[MAX_PATH];
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile))) {
    std::string p = toUtf8(profile);
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    roots.push_back(p + "\\Apple\\MobileSync\\Backup");
  }
  return roots;
}

}  // namespace qv::platform
