#include "framework/native_children_win.h"

#include <objbase.h>
#include <richedit.h>

#include "framework/dpi.h"
#include "framework/gdiplus_painter_win.h"
#include "platform/file.h"
#include "platform/text.h"

namespace qv::framework {

namespace {

constexpr wchar_t kOldProc[] = L"QvOldProc";

WebBrowserMode g_webMode = WebBrowserMode::kProbe;

// Edit boxes eat Escape and Enter; the window's own handling (close with 2, swallow Enter) must
// still see them.
LRESULT CALLBACK editProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto old = reinterpret_cast<WNDPROC>(GetPropW(h, kOldProc));
  if (msg == WM_KEYDOWN && (w == VK_ESCAPE || w == VK_RETURN)) {
    PostMessageW(GetParent(h), kForwardedKey, w, 0);
    return 0;
  }
  if (msg == WM_CHAR && (w == VK_ESCAPE || w == VK_RETURN)) return 0;
  if (msg == WM_NCDESTROY) {
    RemovePropW(h, kOldProc);
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  }
  return CallWindowProcW(old, h, msg, w, l);
}

void forwardKeys(HWND h) {
  auto old = SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&editProc));
  SetPropW(h, kOldProc, reinterpret_cast<HANDLE>(old));
}

bool loadRichEdit() {
  static HMODULE lib = LoadLibraryW(L"Riched20.dll");
  return lib != nullptr;
}

// The text of a page: tags left out, a line break after each block element.
std::wstring htmlToPlainText(const std::wstring& html) {
  std::wstring plain;
  std::size_t i = 0;
  while (i < html.size()) {
    if (html[i] != L'<') {
      plain.push_back(html[i++]);
      continue;
    }
    std::size_t end = html.find(L'>', i);
    if (end == std::wstring::npos) break;
    std::wstring tag = html.substr(i + 1, end - i - 1);
    for (wchar_t& c : tag) c = static_cast<wchar_t>(towlower(c));
    for (const wchar_t* block :
         {L"/h1", L"/h2", L"/h3", L"/p", L"/div", L"br", L"/tr", L"/li", L"br/", L"/table"}) {
      if (tag.rfind(block, 0) == 0) {
        plain += L"\r\n";
        break;
      }
    }
    i = end + 1;
  }
  return plain;
}

std::wstring fallbackText(const WebBrowser& web) {
  // The control's text, when the layout or the language gives one, is the notice itself.
  std::wstring text =
      web.text().empty()
          ? L"This page cannot be shown here: no web engine is available on this system."
          : web.text();
  text += L"\r\n";
  if (!web.url().empty()) text += L"Address: " + web.url() + L"\r\n";
  // A local page's text, tags left out, so its content can still be read.
  std::wstring url = web.url();
  if (url.rfind(L"file:///", 0) == 0) url = url.substr(8);
  std::string bytes;
  if (!url.empty() && platform::readWholeFile(platform::toUtf8(url), 4u << 20, &bytes) == 0) {
    text += L"\r\n" + htmlToPlainText(platform::toWide(bytes));
  }
  return text;
}

}  // namespace

HFONT createGdiFont(const FontSpec& fontSpec, int dpi, bool cjk) {
  LOGFONTW lf{};
  lf.lfHeight = -scaleToDpi(fontSpec.size, dpi);
  lf.lfWeight = fontSpec.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = fontSpec.italic;
  lf.lfUnderline = fontSpec.underline;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  // GDI substitutes a missing face by itself (unlike GDI+).
  const wchar_t* face = cjk                     ? kCjkGdiFace
                        : fontSpec.face.empty() ? L"Segoe UI"
                                                : fontSpec.face.c_str();
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

HWND createEditChild(HWND parent, const Edit& edit, HFONT font) {
  DWORD style = WS_CHILD | ES_AUTOHSCROLL | WS_TABSTOP;
  if (edit.password()) style |= ES_PASSWORD;
  if (edit.readOnly()) style |= ES_READONLY;
  HWND h = CreateWindowExW(0, L"EDIT", edit.text().c_str(), style, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (!h) return nullptr;
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(h, EM_SETLIMITTEXT, static_cast<WPARAM>(edit.maxChars()), 0);
  if (edit.password()) SendMessageW(h, EM_SETPASSWORDCHAR, 0x25CF, 0);
  forwardKeys(h);
  return h;
}

HWND createRichEditChild(HWND parent, const RichEdit& rich, HFONT font) {
  if (!loadRichEdit()) return nullptr;
  DWORD style = WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL;
  if (rich.vScrollBar()) style |= WS_VSCROLL;
  if (rich.readOnly()) style |= ES_READONLY;
  HWND h = CreateWindowExW(0, L"RichEdit20W", L"", style, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (!h) return nullptr;
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(h, EM_SETEVENTMASK, 0, ENM_CHANGE);
  SendMessageW(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(8, 8));
  if (!rich.text().empty()) setNativeText(h, rich.text());
  return h;
}

bool htmlEngineAvailable() {
  static int available = -1;
  if (available < 0) {
    // CLSID_HTMLDocument {25336920-03F9-11CF-8FD0-00AA00686F13}
    const CLSID clsid = {
        0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
    IUnknown* doc = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&doc));
    if (SUCCEEDED(hr) && doc) doc->Release();
    available = SUCCEEDED(hr) ? 1 : 0;
  }
  return available == 1;
}

void setWebBrowserMode(WebBrowserMode mode) {
  g_webMode = mode;
}

HWND createWebChild(HWND parent, const WebBrowser& web, HFONT font, WebLoadedCallback onLoaded) {
  bool host = g_webMode == WebBrowserMode::kHost ||
              (g_webMode == WebBrowserMode::kProbe && htmlEngineAvailable());
  if (host) {
    if (HWND h = createWebHost(parent, std::move(onLoaded))) {
      if (!web.url().empty()) webNavigate(h, web.url());
      return h;
    }
  }
  // Without an engine the fallback tells the user why the page is not shown and lets them read
  // its text.
  RichEdit placeholder;
  placeholder.setAttribute("readonly", L"true");
  placeholder.setAttribute("vscrollbar", L"true");
  HWND h = createRichEditChild(parent, placeholder, font);
  if (h) showWebPage(h, web);
  return h;
}

void showWebPage(HWND child, const WebBrowser& web) {
  if (isWebHost(child)) {
    webNavigate(child, web.url().empty() ? std::wstring(L"about:blank") : web.url());
    return;
  }
  richEditClear(child);
  std::wstring text = fallbackText(web);
  std::size_t firstLine = text.find(L"\r\n");
  richEditAppend(child, text.substr(0, firstLine + 2), 0x00B45A00, true, HAlign::kLeft);
  richEditAppend(child, text.substr(firstLine + 2), 0x00404040, false, HAlign::kLeft);
  SendMessageW(child, EM_SETSEL, 0, 0);
  SendMessageW(child, EM_SCROLLCARET, 0, 0);
}

void setNativeText(HWND h, const std::wstring& text) {
  if (nativeText(h) == text) return;  // no EN_CHANGE echo for an unchanged text
  SetWindowTextW(h, text.c_str());
}

std::wstring nativeText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return s;
}

void richEditClear(HWND h) {
  SetWindowTextW(h, L"");
}

void richEditAppend(HWND h, const std::wstring& text, unsigned rgb, bool bold, HAlign align) {
  int end = GetWindowTextLengthW(h);
  SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof(cf);
  cf.dwMask = CFM_COLOR | CFM_BOLD | CFM_FACE;
  // GDI links no CJK face to the Latin one under every system: Chinese runs name theirs.
  lstrcpynW(cf.szFaceName, hasCjk(text) ? kCjkGdiFace : L"Segoe UI", LF_FACESIZE);
  cf.crTextColor = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  cf.dwEffects = bold ? CFE_BOLD : 0;
  SendMessageW(h, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof(pf);
  pf.dwMask = PFM_ALIGNMENT;
  pf.wAlignment = align == HAlign::kCenter  ? PFA_CENTER
                  : align == HAlign::kRight ? PFA_RIGHT
                                            : PFA_LEFT;
  SendMessageW(h, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace qv::framework
