// The system's folder picker, as the backup list's "Select" opens it: only file-system folders,
// an edit box, the new dialog style, no button for making a folder, the usage hint.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace qv::ui {

// The chosen folder, or empty when the user cancelled.
std::wstring pickFolder(HWND owner, const std::wstring& caption);

// How a page asks for a folder (pickFolder by default; tests answer it themselves).
using FolderPicker = std::function<std::wstring(HWND owner, const std::wstring& caption)>;

}  // namespace qv::ui
