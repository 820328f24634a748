// The in-place host of the system's web browser object: a child window that the layout places
// over a WebBrowser slot, with the browser embedded in it as an OLE control. The host is the
// browser's client site, in-place site and frame and its document UI handler: no 3D border, the
// scroll bars the page asks for, no context menu of the browser's own, no ActiveX controls or
// Java in the page (its own script runs).
//
// The host window owns the browser: destroying the window deactivates and closes the object,
// detaches the site and releases every interface, so a slot that leaves the tree, or a window
// that closes, leaves nothing behind.
//
// Every call is made on the UI thread. The browser reports a loaded document through
// `onLoaded` on that thread, from inside the browser's own event call: the receiver should queue
// whatever it does with it (the window host posts "navigatecomplete").
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <functional>
#include <string>
#include <vector>

namespace qv::framework {

// The address of the top-level document that finished loading.
using WebLoadedCallback = std::function<void(const std::wstring& url)>;

// Creates the host window and embeds a browser object in it. Null when the object cannot be
// created or embedded (no COM on this thread, no browser installed): the caller shows its
// fallback instead.
HWND createWebHost(HWND parent, WebLoadedCallback onLoaded);
// True for a window made by createWebHost.
bool isWebHost(HWND h);

// Results of the calls below: 0; kErrInvalidHandle when `h` is no browser host (a fallback box,
// a destroyed window); kErrNotSupported when the document cannot do it now (no HTML engine, no
// document loaded, the command disabled, no script function of that name); kInvalid when the
// browser refused the call.

// Starts loading a URL or a local file path. Loading ends with `onLoaded`.
int webNavigate(HWND h, const std::wstring& url);
// The browser's print command, with the print dialog or straight to the default printer.
int webPrint(HWND h, bool showDialog);
int webPrintPreview(HWND h);
// Calls a function of the loaded page's script with text arguments; `result` (optional) gets
// the return value as text (empty for none).
int webCallScript(HWND h, const std::wstring& function, const std::vector<std::wstring>& args,
                  std::wstring* result = nullptr);

// The browser object itself (a new reference; null for no host), for what the calls above do
// not cover.
IUnknown* webBrowserObject(HWND h);

// Gives the browser that holds the keyboard focus the first look at a key message (Tab between
// links, Ctrl+C, Ctrl+P ...). Message loops call it before TranslateMessage; true when the
// browser used the message and it must not be dispatched.
bool translateWebAccelerator(MSG* msg);

// Host objects alive in the process (the COM site counts its references, so a host that leaked
// a reference shows up here). For tests.
int liveWebSites();

}  // namespace qv::framework
