#include "tests/gui/gui_driver.h"

#include <map>
#include <vector>

#include "framework/controls.h"
#include "framework/gdiplus_win.h"
#include "framework/ui_thread.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace qv::gui_test {

namespace {

LPARAM pointParam(POINT p) {
  return MAKELPARAM(p.x, p.y);
}

std::map<UINT_PTR, std::function<void()>>& steps() {
  static std::map<UINT_PTR, std::function<void()>> s;
  return s;
}

void CALLBACK stepProc(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = steps().find(id);
  if (it == steps().end()) return;
  std::function<void()> step = std::move(it->second);
  steps().erase(it);
  step();
}

bool pngEncoder(CLSID* out) {
  UINT count = 0;
  UINT bytes = 0;
  Gdiplus::GetImageEncodersSize(&count, &bytes);
  if (bytes == 0) return false;
  std::vector<char> buf(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buf.data());
  Gdiplus::GetImageEncoders(count, bytes, codecs);
  for (UINT i = 0; i < count; ++i) {
    if (lstrcmpW(codecs[i].MimeType, L"image/png") == 0) {
      *out = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

}  // namespace

bool controlCentre(HostWindow& w, std::wstring_view name, POINT* out) {
  // A change just made may still wait for its layout, which the next paint runs.
  if (w.window().layoutPending()) UpdateWindow(w.hwnd());
  Control* c = w.find(name);
  if (!c || !c->shownOnScreen() || c->rect().empty()) return false;
  out->x = (c->rect().left + c->rect().right) / 2;
  out->y = (c->rect().top + c->rect().bottom) / 2;
  return true;
}

void hover(HostWindow& w, POINT p) {
  PostMessageW(w.hwnd(), WM_MOUSEMOVE, 0, pointParam(p));
  pump(30);
}

bool click(HostWindow& w, std::wstring_view name) {
  return click(w, w.find(name));
}

bool click(HostWindow& w, const Control* c) {
  if (w.window().layoutPending()) UpdateWindow(w.hwnd());
  if (!c || !c->shownOnScreen() || c->rect().empty()) return false;
  POINT p{(c->rect().left + c->rect().right) / 2, (c->rect().top + c->rect().bottom) / 2};
  HWND h = w.hwnd();
  PostMessageW(h, WM_MOUSEMOVE, 0, pointParam(p));
  PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(p));
  PostMessageW(h, WM_LBUTTONUP, 0, pointParam(p));
  pump(50);
  return true;
}

bool typeText(HostWindow& w, std::wstring_view name, std::wstring_view s) {
  auto* slot = dynamic_cast<framework::NativeSlot*>(w.find(name));
  if (!slot || !slot->nativeHandle()) return false;
  HWND edit = static_cast<HWND>(slot->nativeHandle());
  SetFocus(edit);
  int end = GetWindowTextLengthW(edit);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
  for (wchar_t c : s) SendMessageW(edit, WM_CHAR, c, 0);
  pump(30);
  return true;
}

void pressKey(HostWindow& w, UINT vk) {
  PostMessageW(w.hwnd(), WM_KEYDOWN, vk, 0);
  pump(30);
}

std::wstring text(HostWindow& w, std::wstring_view name) {
  Control* c = w.find(name);
  return c ? c->text() : std::wstring();
}

bool visible(HostWindow& w, std::wstring_view name) {
  Control* c = w.find(name);
  return c && c->shownOnScreen();
}

bool enabled(HostWindow& w, std::wstring_view name) {
  Control* c = w.find(name);
  return c && c->enabledInTree();
}

bool checked(HostWindow& w, std::wstring_view name) {
  auto* o = dynamic_cast<framework::Option*>(w.find(name));
  return o && o->selected();
}

void pump(int ms) {
  framework::waitPumping([] { return false; }, ms, 10);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  return framework::waitPumping(done, timeoutMs, 10);
}

void after(int ms, std::function<void()> step) {
  UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(ms), &stepProc);
  steps()[id] = std::move(step);
}

HostWindow* topWindow() {
  struct Found {
    HostWindow* host = nullptr;
  } found;
  // EnumThreadWindows walks in Z order, topmost first: the first enabled visible one wins.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM l) -> BOOL {
        auto* f = reinterpret_cast<Found*>(l);
        HostWindow* host = HostWindow::fromHandle(h);
        if (host && IsWindowVisible(h) && IsWindowEnabled(h)) {
          f->host = host;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.host;
}

std::string outputFolder() {
  wchar_t buf[1024];
  DWORD n = GetEnvironmentVariableW(L"QV_GUI_OUTPUT", buf, 1024);
  std::string dir = n > 0 && n < 1024 ? platform::toUtf8(std::wstring(buf, n)) : "gui-output";
  platform::createFolders(dir);
  return dir;
}

namespace {

bool savePng(HBITMAP bmp, const std::string& name);

bool grab(HWND hwnd, int x, int y, int w, int h, const std::string& name) {
  if (w <= 0 || h <= 0) return false;
  HDC src = GetDC(hwnd);
  HDC mem = CreateCompatibleDC(src);
  HBITMAP bmp = CreateCompatibleBitmap(src, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, src, x, y, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(hwnd, src);
  bool ok = savePng(bmp, name);
  DeleteObject(bmp);
  return ok;
}

bool savePng(HBITMAP bmp, const std::string& name) {
  bool ok = false;
  CLSID png;
  if (pngEncoder(&png)) {
    Gdiplus::Bitmap image(bmp, nullptr);
    std::wstring path = platform::toWide(platform::joinPath(outputFolder(), name + ".png"));
    ok = image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
  }
  return ok;
}

}  // namespace

bool screenshot(HWND hwnd, const std::string& name) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  pump(60);
  RECT wr;
  GetWindowRect(hwnd, &wr);
  return grab(hwnd, 0, 0, wr.right - wr.left, wr.bottom - wr.top, name);
}

bool screenshotScreen(const RECT& r, const std::string& name) {
  pump(60);
  return grab(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, name);
}

}  // namespace qv::gui_test
