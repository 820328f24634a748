// The steps of the program's start and end that stand apart from its window: the single-instance
// test, bringing the other copy's window back, the registration of the picture component, and
// removing the preview files at exit.
#pragma once

#include <windows.h>

#include <string>

namespace qv::app {

inline constexpr wchar_t kSingleInstanceMutex[] = L"Global\\Quenvale_Tarnwick_2016_For_Windows";
inline constexpr wchar_t kPictureComponent[] = L"ImageOleCtrl.dll";

// True when another copy of the program runs: it holds the named mutex. The mutex is created
// owned and its handle never closed, so the first copy holds it until it ends. A mutex that
// cannot be created counts as no other copy.
bool anotherCopyRuns();

// Shows the top-level window with exactly this title in its normal state (restored, not
// maximised; not brought to the foreground). False when there is none.
bool restoreOtherCopy(const wchar_t* title);

// Loads the picture component from the program's folder, calls its DllRegisterServer (which
// registers it for the current user: no administrator rights needed) and unloads it again. 0;
// the system's code when the library cannot be loaded; 127 when it has no such entry point.
int registerPictureComponent(const std::wstring& programFolder);

// Deletes the preview files "tmp.jpg", "tmp.wav" and "tmp.avi" from the work folder under the
// roaming application data. Absent files are no failure.
void removePreviewFiles();

}  // namespace qv::app
