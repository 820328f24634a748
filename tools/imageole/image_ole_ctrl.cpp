// ImageOleCtrl.dll: the picture component that the rich-text views embed pictures with.
//
// Registration is per user: DllRegisterServer writes the class under
// HKEY_CURRENT_USER\Software\Classes\CLSID, so a user without administrator rights can start the
// program; DllUnregisterServer removes it again. The program itself will create the objects
// through DllGetClassObject of the library it loads, whatever the registry holds.
//
// Not built yet: the image object itself (it comes with the preview pane). Until then the class
// factory query answers "class not available".
#include <windows.h>

#include <olectl.h>

#include <string>

namespace {

HMODULE g_module = nullptr;

constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{C5B3A481-21E3-4CAB-8ABD-3C6A85892AD2}";
constexpr wchar_t kClassName[] = L"Quenvale Tarnwick picture object";

LONG setString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  const std::wstring path = modulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  HKEY cls = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, &cls,
                      nullptr) != ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  HKEY server = nullptr;
  LONG rc = setString(cls, nullptr, kClassName);
  if (rc == ERROR_SUCCESS)
    rc = RegCreateKeyExW(cls, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &server,
                         nullptr);
  if (rc == ERROR_SUCCESS) rc = setString(server, nullptr, path);
  if (rc == ERROR_SUCCESS) rc = setString(server, L"ThreadingModel", L"Apartment");
  if (server) RegCloseKey(server);
  RegCloseKey(cls);
  return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  const LONG rc = RegDeleteTreeW(HKEY_CURRENT_USER, kClassKey);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID, void** out) {
  if (out) *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return S_OK;
}
