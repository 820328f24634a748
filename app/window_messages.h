// The main window's private messages (WM_USER is 0x0400). Everything a worker thread has to say
// reaches the UI thread as one of these, posted to the main window, so that every control change
// happens on the UI thread.
#pragma once

#include <windows.h>

namespace qv::app {

constexpr UINT kMsgPreviewReady = WM_USER + 3;     // the preview page's deferred step
constexpr UINT kMsgLanguageRefresh = WM_USER + 6;  // every window takes the new language's texts
constexpr UINT kMsgStartScan = WM_USER + 7;        // wParam: the source kind (1 local, 0 device)
constexpr UINT kMsgTreeCounts = WM_USER + 8;       // a category completed: counts changed
constexpr UINT kMsgSelectDefault = WM_USER + 9;    // select the default category if none is
constexpr UINT kMsgScanEnded = WM_USER + 10;       // wParam: the scan's last result
constexpr UINT kMsgScanProgress = WM_USER + 11;    // wParam 0 first progress, 1 wrong password
// The scan worker's new percent (wParam) and the news that its source could not start: the
// worker does not set the progress bar or show the warning itself.
constexpr UINT kMsgScanPercent = WM_USER + 32;
constexpr UINT kMsgScanStartFailed = WM_USER + 33;

}  // namespace qv::app
