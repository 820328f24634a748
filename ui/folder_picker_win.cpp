#include <shlobj.h>

#include "ui/folder_picker.h"

namespace qv::ui {

std::wstring pickFolder(HWND owner, const std::wstring& caption) {
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = caption.c_str();
  // Only file-system folders, an edit box, the new dialog style, the usage hint, and no button
  // for making a folder: 0x351.
  info.ulFlags =
      BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT | BIF_NONEWFOLDERBUTTON;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return {};
  // Long paths: ask for as much room as the shell will fill.
  std::wstring path(32768, L'\0');
  const bool ok = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()),
                                        GPFIDL_DEFAULT) != FALSE;
  CoTaskMemFree(chosen);
  if (!ok) return {};
  path.resize(wcslen(path.c_str()));
  return path;
}

}  // namespace qv::ui
