#include "app/start_up_win.h"

#include "engine/recovery_engine.h"
#include "platform/file.h"
#include "platform/folders.h"

namespace qv::app {

bool anotherCopyRuns() {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, kSingleInstanceMutex);
  // Deliberately never closed: this copy holds the mutex for as long as it runs.
  return mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

bool restoreOtherCopy(const wchar_t* title) {
  HWND other = FindWindowW(nullptr, title);
  if (!other) return false;
  ShowWindow(other, SW_SHOWNORMAL);
  return true;
}

int registerPictureComponent(const std::wstring& programFolder) {
  std::wstring path = programFolder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += kPictureComponent;
  HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) return static_cast<int>(GetLastError());
  using RegisterServer = HRESULT(STDAPICALLTYPE*)();
  auto reg = reinterpret_cast<RegisterServer>(
      reinterpret_cast<void*>(GetProcAddress(library, "DllRegisterServer")));
  // Its answer is not examined: the entry point being there is what counts.
  if (reg) reg();
  FreeLibrary(library);
  return reg ? 0 : ERROR_PROC_NOT_FOUND;
}

void removePreviewFiles() {
  std::string appData;
  if (platform::appDataFolder(&appData) != 0) return;
  const std::string work = platform::joinPath(appData, "QuenvaleTarnwick");
  for (const char* name :
       {engine::kPicturePreviewName, engine::kSoundPreviewName, engine::kVideoPreviewName}) {
    platform::removeFile(platform::joinPath(work, name));
  }
}

}  // namespace qv::app
