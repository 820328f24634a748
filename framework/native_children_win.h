// Native child windows that sit in layout slots: edit boxes, rich edit boxes and the web
// browser (or its fallback), and the few operations on them the framework and the pages use.
#pragma once

#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/web_host_win.h"
#include "framework/window.h"

namespace qv::framework {

// Posted to the parent when Escape or Enter is pressed inside a native edit box, so the window's
// key handling sees them as if they had been pressed on the window itself.
constexpr UINT kForwardedKey = WM_APP + 0x3A4;

// The GDI face asked for where a native window shows Chinese text ("Microsoft YaHei" on
// Windows; test prefixes map it to an installed CJK face).
constexpr wchar_t kCjkGdiFace[] = L"Microsoft YaHei";

HFONT createGdiFont(const FontSpec& fontSpec, int dpi, bool cjk);
HWND createEditChild(HWND parent, const Edit& edit, HFONT font);
HWND createRichEditChild(HWND parent, const RichEdit& rich, HFONT font);
// The browser (web_host_win.h) where the system has an HTML engine; otherwise a read-only rich
// edit box that says so and shows the page's address and text. `onLoaded` hears of the
// browser's loaded documents (the fallback loads none).
HWND createWebChild(HWND parent, const WebBrowser& web, HFONT font, WebLoadedCallback onLoaded);
// Loads the control's address into the browser, or shows it in the fallback.
void showWebPage(HWND child, const WebBrowser& web);
// True when the system can create HTML documents (probed once per process).
bool htmlEngineAvailable();

// Which of the two WebBrowser slots made from now on get: kProbe asks htmlEngineAvailable();
// the others force the browser host or the fallback (tests; a browser that cannot be created
// still falls back).
enum class WebBrowserMode { kProbe, kHost, kFallback };
void setWebBrowserMode(WebBrowserMode mode);

void setNativeText(HWND h, const std::wstring& text);
std::wstring nativeText(HWND h);

// Rich edit content: appends a run of text with a colour (0x00RRGGBB), weight and paragraph
// alignment; clears everything.
void richEditAppend(HWND h, const std::wstring& text, unsigned rgb, bool bold, HAlign align);
void richEditClear(HWND h);

}  // namespace qv::framework
