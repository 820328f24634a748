#include "framework/window_host_win.h"

#include <objbase.h>
#include <richedit.h>
#include <windowsx.h>

#include "framework/gdiplus_win.h"

#include "framework/controls.h"
#include "framework/dpi.h"
#include "framework/gdiplus_painter_win.h"
#include "framework/native_children_win.h"
#include "framework/ui_thread.h"
#include "framework/web_host_win.h"
#include "platform/result.h"

namespace qv::framework {

namespace {

constexpr wchar_t kClassName[] = L"QvSkinWindow";
constexpr UINT kDrainPosted = WM_APP + 0x3A2;
constexpr UINT kModalWake = WM_APP + 0x3A3;

void registerClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window in create()
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  done = true;
}

LRESULT frameCode(FrameHit h) {
  switch (h) {
    case FrameHit::kCaption:
      return HTCAPTION;
    case FrameHit::kLeft:
      return HTLEFT;
    case FrameHit::kRight:
      return HTRIGHT;
    case FrameHit::kTop:
      return HTTOP;
    case FrameHit::kBottom:
      return HTBOTTOM;
    case FrameHit::kTopLeft:
      return HTTOPLEFT;
    case FrameHit::kTopRight:
      return HTTOPRIGHT;
    case FrameHit::kBottomLeft:
      return HTBOTTOMLEFT;
    case FrameHit::kBottomRight:
      return HTBOTTOMRIGHT;
    case FrameHit::kClient:
      break;
  }
  return HTCLIENT;
}

}  // namespace

// Adapts the host's virtual hooks to the router's two last stops.
class HostWindow::Targets {
 public:
  explicit Targets(HostWindow* host) : window(host), fallback(host) {}
  struct WindowTarget : NotifyTarget {
    explicit WindowTarget(HostWindow* h) : host(h) {}
    bool onNotify(const Notification& n) override { return host->handleNotify(n); }
    HostWindow* host;
  } window;
  struct DefaultTarget : NotifyTarget {
    explicit DefaultTarget(HostWindow* h) : host(h) {}
    bool onNotify(const Notification& n) override { return host->defaultNotify(n); }
    HostWindow* host;
  } fallback;
};

UiRuntime::UiRuntime() {
  Gdiplus::GdiplusStartupInput input;
  ok_ = Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) == Gdiplus::Ok;
  ok_ = initUiThread() && ok_;
  registerClass();
  // Per-monitor awareness; wine answers FALSE here, which is harmless: every figure is scaled
  // by the window's own DPI whatever the process mode is.
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
    auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
    if (set) set(reinterpret_cast<HANDLE>(-4));  // per-monitor v2
  }
}

UiRuntime::~UiRuntime() {
  FontCache::current().clear();
  Skin::current().clear();
  shutdownUiThread();
  if (gdiplusToken_) Gdiplus::GdiplusShutdown(gdiplusToken_);
}

HostWindow::HostWindow() : targets_(std::make_unique<Targets>(this)) {
  window_.setHost(this);
  window_.router().setWindowTarget(&targets_->window);
  window_.router().setDefaultTarget(&targets_->fallback);
}

HostWindow::~HostWindow() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  // The tree goes first: its detach calls come back here while the maps still exist.
  window_.setRoot(nullptr);
  window_.setHost(nullptr);
  for (auto& [key, font] : hfonts_) DeleteObject(font);
  if (backDc_) {
    SelectObject(backDc_, backOld_);
    DeleteObject(backBitmap_);
    DeleteDC(backDc_);
  }
}

int HostWindow::loadLayout(std::string_view path, ControlFactory factory) {
  checkUiThread("HostWindow::loadLayout");
  LayoutBuilder builder(Skin::current().archive());
  if (factory) builder.setFactory(std::move(factory));
  int rc = builder.buildWindow(path, window_);
  diagnostics_ = builder.diagnostics();
  return rc;
}

HostWindow* HostWindow::fromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (lstrcmpW(cls, kClassName) != 0) return nullptr;
  return reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

int HostWindow::dpiForWindow(HWND hwnd) {
  using GetDpi = UINT(WINAPI*)(HWND);
  static GetDpi get = [] {
    HMODULE user = GetModuleHandleW(L"user32.dll");
    return user ? reinterpret_cast<GetDpi>(
                      reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")))
                : nullptr;
  }();
  if (hwnd && get) {
    if (UINT d = get(hwnd)) return static_cast<int>(d);
  }
  HDC dc = GetDC(nullptr);
  int d = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return d > 0 ? d : kDesignDpi;
}

bool HostWindow::create(HWND owner, const std::wstring& title, DWORD style, DWORD exStyle, int x,
                        int y, int cx, int cy) {
  checkUiThread("HostWindow::create");
  owner_ = owner;
  // A new window takes the DPI of its owner's monitor until it has its own.
  int dpi = dpiForWindow(owner);
  window_.setDpi(dpi);
  DpiScale s{dpi};
  if (cx <= 0 || cy <= 0) {
    cx = s.px(window_.info().size.cx > 0 ? window_.info().size.cx : 400);
    cy = s.px(window_.info().size.cy > 0 ? window_.info().size.cy : 300);
  } else {
    cx = s.px(cx);
    cy = s.px(cy);
  }
  HWND h = CreateWindowExW(exStyle, kClassName, title.c_str(), style & ~WS_VISIBLE, x, y, cx, cy,
                           owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!h) return false;
  hwnd_ = h;
  SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindow::wndProc));
  // The frame is ours: recompute the non-client area now that the procedure answers for it.
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  window_.setDpi(dpiForWindow(h));
  RECT rc;
  GetClientRect(h, &rc);
  window_.setClientSize(Size{rc.right, rc.bottom});
  applyRegion();
  {
    GdiplusMeasurer m(window_, Skin::current(), FontCache::current());
    window_.layoutIfNeeded(m);
  }
  window_.sendWindowInit();
  onWindowInit();
  if (style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
  return true;
}

void HostWindow::centerOnOwner() {
  if (!hwnd_) return;
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  RECT area;
  if (owner_ && IsWindowVisible(owner_) && !IsIconic(owner_)) {
    GetWindowRect(owner_, &area);
  } else {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
    area = mi.rcWork;
  }
  int w = wr.right - wr.left;
  int h = wr.bottom - wr.top;
  int x = area.left + (area.right - area.left - w) / 2;
  int y = area.top + (area.bottom - area.top - h) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int HostWindow::runModal(HWND owner) {
  checkUiThread("HostWindow::runModal");
  HWND self = hwnd_;
  if (!self) return 2;
  if (owner && GetAncestor(self, GA_ROOT) == owner && GetParent(self) == owner &&
      (GetWindowLongPtrW(self, GWL_STYLE) & WS_CHILD)) {
    return 2;  // a child of its owner would wait for itself
  }
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  modal_ = true;
  modalDone_ = false;
  ShowWindow(self, SW_SHOW);
  SetForegroundWindow(self);
  bool quit = false;
  int quitCode = 0;
  MSG msg;
  while (!modalDone_ && IsWindow(self)) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    if (got < 0) break;
    if (translateWebAccelerator(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  int result = result_;
  modal_ = false;
  // The owner comes back before the pop-up goes, so activation returns to it, not elsewhere.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  if (IsWindow(self)) DestroyWindow(self);  // may delete `this` (onFinalMessage)
  if (quit) PostQuitMessage(quitCode);
  return result;
}

void HostWindow::close(int result) {
  if (!hwnd_) return;
  result_ = result;
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void HostWindow::invalidateRect(const Rect& r) {
  if (!hwnd_) return;
  RECT rc{r.left, r.top, r.right, r.bottom};
  InvalidateRect(hwnd_, &rc, FALSE);
}

void HostWindow::startSystemTimer(TimerTable::Key key, int periodMs) {
  if (hwnd_) SetTimer(hwnd_, static_cast<UINT_PTR>(key), static_cast<UINT>(periodMs), nullptr);
}

void HostWindow::stopSystemTimer(TimerTable::Key key) {
  if (hwnd_) KillTimer(hwnd_, static_cast<UINT_PTR>(key));
}

void HostWindow::setMouseCapture(bool on) {
  if (!hwnd_) return;
  if (on) {
    SetCapture(hwnd_);
  } else if (GetCapture() == hwnd_) {
    ReleaseCapture();
  }
}

void HostWindow::wakeForPosted() {
  if (hwnd_ && !postPending_) {
    postPending_ = true;
    PostMessageW(hwnd_, kDrainPosted, 0, 0);
  }
}

void HostWindow::controlDetached(Control* c) {
  auto it = natives_.find(c);
  if (it == natives_.end()) return;
  if (IsWindow(it->second)) DestroyWindow(it->second);
  if (auto* slot = dynamic_cast<NativeSlot*>(c)) slot->setNativeHandle(nullptr);
  natives_.erase(it);
  navigations_.erase(c);
}

void HostWindow::layoutChanged() {
  syncNativeChildren();
}

void HostWindow::nativeChanged(Control* c) {
  auto it = natives_.find(c);
  if (it == natives_.end()) return;
  if (auto* web = dynamic_cast<WebBrowser*>(c)) {
    navigations_[c] = web->navigation();
    showWebPage(it->second, *web);
    return;
  }
  if (dynamic_cast<Edit*>(c)) {
    setNativeText(it->second, c->text());
    SendMessageW(
        it->second, WM_SETFONT,
        reinterpret_cast<WPARAM>(nativeFont(static_cast<Edit*>(c)->font(), hasCjk(c->text()))),
        TRUE);
  }
}

HFONT HostWindow::nativeFont(int fontId, bool cjk) {
  auto key = std::make_tuple(fontId, window_.dpi(), cjk);
  auto it = hfonts_.find(key);
  if (it != hfonts_.end()) return it->second;
  HFONT f = createGdiFont(window_.font(fontId), window_.dpi(), cjk);
  hfonts_[key] = f;
  return f;
}

HWND HostWindow::createNative(NativeSlot* slot) {
  HWND h = nullptr;
  HFONT font = nativeFont(slot->font(), hasCjk(slot->text()));
  if (auto* edit = dynamic_cast<Edit*>(slot)) {
    h = createEditChild(hwnd_, *edit, font);
  } else if (auto* rich = dynamic_cast<RichEdit*>(slot)) {
    h = createRichEditChild(hwnd_, *rich, font);
  } else if (auto* web = dynamic_cast<WebBrowser*>(slot)) {
    ControlId id = web->id();
    h = createWebChild(hwnd_, *web, font, [this, id](const std::wstring& url) {
      // A slot that left the tree meanwhile hears nothing.
      if (auto* loaded = dynamic_cast<WebBrowser*>(window_.byId(id))) loaded->pageLoaded(url);
    });
    navigations_[slot] = web->navigation();
  }
  if (h) {
    slot->setNativeHandle(h);
    natives_[slot] = h;
  }
  return h;
}

void HostWindow::syncNativeChildren() {
  if (!hwnd_) return;
  std::vector<Control*> stack{window_.root()};
  while (!stack.empty()) {
    Control* c = stack.back();
    stack.pop_back();
    if (!c) continue;
    for (std::size_t i = 0; i < c->childCount(); ++i) stack.push_back(c->childAt(i));
    auto* slot = dynamic_cast<NativeSlot*>(c);
    if (!slot) continue;
    bool shown = slot->shownOnScreen() && !slot->rect().empty();
    auto it = natives_.find(slot);
    HWND h = it != natives_.end() ? it->second : nullptr;
    if (!h && shown) h = createNative(slot);
    if (!h) continue;
    HFONT font = nativeFont(slot->font(), hasCjk(slot->text()));
    Rect r = slot->rect().deflated(Edges{1, 1, 1, 1});  // inside the skin's border
    if (dynamic_cast<Edit*>(slot)) {
      // A one-line edit box draws its text at its top: give it one line's height, centred.
      r = slot->textRect();
      TEXTMETRICW tm{};
      HDC dc = GetDC(h);
      HGDIOBJ old = SelectObject(dc, font);
      GetTextMetricsW(dc, &tm);
      SelectObject(dc, old);
      ReleaseDC(h, dc);
      int line = tm.tmHeight + 2;
      if (line < r.height())
        r = Rect::fromSize(r.left, r.top + (r.height() - line) / 2, r.width(), line);
    }
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(h, nullptr, r.left, r.top, r.width(), r.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    EnableWindow(h, slot->enabledInTree());
    if (slot->focusRequested() && shown) {
      SetFocus(h);
      slot->clearFocusRequest();
    }
  }
}

void HostWindow::applyRegion() {
  if (!hwnd_) return;
  Size rc = window_.info().roundCorner;
  if ((rc.cx <= 0 && rc.cy <= 0) || IsZoomed(hwnd_)) {
    SetWindowRgn(hwnd_, nullptr, TRUE);
    return;
  }
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  DpiScale s{window_.dpi()};
  HRGN rgn = CreateRoundRectRgn(0, 0, wr.right - wr.left + 1, wr.bottom - wr.top + 1, s.px(rc.cx),
                                s.px(rc.cy));
  SetWindowRgn(hwnd_, rgn, TRUE);  // the system owns the region from here
}

Point HostWindow::clientPoint(LPARAM l) const {
  return Point{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
}

bool HostWindow::renderTo(HBITMAP* out) {
  Size sz = window_.clientSize();
  if (sz.cx <= 0 || sz.cy <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, sz.cx, sz.cy);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  {
    Gdiplus::Graphics g(dc);
    GdiplusPainter p(g, window_, Skin::current(), FontCache::current());
    window_.paint(p, Rect{0, 0, sz.cx, sz.cy});
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  *out = bmp;
  return true;
}

void HostWindow::paint(HDC dc, const RECT& dirty) {
  Size sz = window_.clientSize();
  if (sz.cx <= 0 || sz.cy <= 0) return;
  if (!backDc_ || backSize_ != sz) {
    if (backDc_) {
      SelectObject(backDc_, backOld_);
      DeleteObject(backBitmap_);
      DeleteDC(backDc_);
    }
    backDc_ = CreateCompatibleDC(dc);
    backBitmap_ = CreateCompatibleBitmap(dc, sz.cx, sz.cy);
    backOld_ = SelectObject(backDc_, backBitmap_);
    backSize_ = sz;
  }
  Rect d{dirty.left, dirty.top, dirty.right, dirty.bottom};
  {
    Gdiplus::Graphics g(backDc_);
    GdiplusPainter p(g, window_, Skin::current(), FontCache::current());
    window_.paint(p, d);
  }
  BitBlt(dc, d.left, d.top, d.width(), d.height(), backDc_, d.left, d.top, SRCCOPY);
}

LRESULT HostWindow::hitTest(LPARAM l) {
  POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  ScreenToClient(hwnd_, &pt);
  DpiScale s{window_.dpi()};
  FrameMetrics m;
  m.client = window_.clientSize();
  m.sizeBox = s.px(window_.info().sizeBox);
  m.caption = s.px(window_.info().caption);
  m.maximized = IsZoomed(hwnd_) != FALSE;
  // Without a resizing style the borders do not size the window.
  if (!(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_THICKFRAME)) m.sizeBox = Edges{};
  Point p{pt.x, pt.y};
  return frameCode(hitTestFrame(p, m, window_.controlAt(p), captionClasses_));
}

bool HostWindow::handleNotify(const Notification&) {
  return false;
}

bool HostWindow::defaultNotify(const Notification& n) {
  if (n.type != EventType::kClick || !n.sender) return false;
  const std::wstring& name = n.sender->name();
  if (name == L"closebtn") {
    close(2);
  } else if (name == L"minbtn") {
    ShowWindow(hwnd_, SW_MINIMIZE);
  } else if (name == L"maxbtn") {
    ShowWindow(hwnd_, SW_MAXIMIZE);
  } else if (name == L"restorebtn") {
    ShowWindow(hwnd_, SW_RESTORE);
  } else {
    return false;
  }
  return true;
}

bool HostWindow::onKeyDown(UINT) {
  return false;
}

LRESULT HostWindow::handleMessage(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT CALLBACK HostWindow::wndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, w, l);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->natives_.clear();
    LRESULT r = DefWindowProcW(hwnd, msg, w, l);
    self->onFinalMessage();  // may delete self: nothing after this
    return r;
  }
  return self->onMessage(msg, w, l);
}

LRESULT HostWindow::onMessage(UINT msg, WPARAM w, LPARAM l) {
  bool handled = false;
  LRESULT custom = handleMessage(msg, w, l, &handled);
  if (handled) return custom;
  switch (msg) {
    case WM_NCCALCSIZE:
      if (w) {
        if (IsZoomed(hwnd_)) {
          // A maximised frameless window would overhang the screen by its frame.
          auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(l);
          MONITORINFO mi{};
          mi.cbSize = sizeof(mi);
          GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
          p->rgrc[0] = mi.rcWork;
        }
        return 0;  // the whole window is client area
      }
      break;
    case WM_NCACTIVATE:
      return TRUE;  // no native caption to repaint
    case WM_NCPAINT:
      return 0;
    case WM_NCHITTEST:
      return hitTest(l);
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(l);
      DpiScale s{window_.dpi()};
      Size mn = window_.info().minSize;
      Size mx = window_.info().maxSize;
      if (mn.cx > 0) mm->ptMinTrackSize.x = s.px(mn.cx);
      if (mn.cy > 0) mm->ptMinTrackSize.y = s.px(mn.cy);
      if (mx.cx > 0) mm->ptMaxTrackSize.x = s.px(mx.cx);
      if (mx.cy > 0) mm->ptMaxTrackSize.y = s.px(mx.cy);
      return 0;
    }
    case WM_SIZE:
      window_.setClientSize(Size{LOWORD(l), HIWORD(l)});
      applyRegion();
      return 0;
    case 0x02E0: {  // WM_DPICHANGED: the message's DPI beats a lagging query
      window_.setDpi(HIWORD(w));
      for (auto& [key, font] : hfonts_) DeleteObject(font);
      hfonts_.clear();
      auto* r = reinterpret_cast<RECT*>(l);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      {
        GdiplusMeasurer m(window_, Skin::current(), FontCache::current());
        window_.layoutIfNeeded(m);
      }
      paint(dc, ps.rcPaint);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, hwnd_, 0};
        tracking_ = TrackMouseEvent(&t) != FALSE;
      }
      window_.mouseMove(clientPoint(l));
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      window_.mouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (GetFocus() != hwnd_) SetFocus(hwnd_);
      window_.mouseDown(MouseEvent{
          clientPoint(l), msg == WM_LBUTTONDOWN ? MouseButton::kLeft : MouseButton::kRight});
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      window_.mouseUp(MouseEvent{clientPoint(l),
                                 msg == WM_LBUTTONUP ? MouseButton::kLeft : MouseButton::kRight});
      return 0;
    case WM_LBUTTONDBLCLK:
      // The second press of a double click: a press for buttons, a double click for rows.
      window_.mouseDown(MouseEvent{clientPoint(l)});
      window_.doubleClick(MouseEvent{clientPoint(l)});
      return 0;
    case WM_MOUSEWHEEL: {
      POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      ScreenToClient(hwnd_, &pt);
      window_.wheel(Point{pt.x, pt.y}, GET_WHEEL_DELTA_WPARAM(w));
      return 0;
    }
    case WM_TIMER:
      if (w >= TimerTable::kFirstKey) {
        window_.timerFired(static_cast<TimerTable::Key>(w));
        return 0;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (onKeyDown(static_cast<UINT>(w))) return 0;
      break;
    case WM_CHAR:
      if (w == VK_ESCAPE || w == VK_RETURN) return 0;
      break;
    case WM_COMMAND:
      if (HIWORD(w) == EN_CHANGE) {
        HWND child = reinterpret_cast<HWND>(l);
        for (auto& [control, h] : natives_) {
          if (h != child) continue;
          if (auto* slot = dynamic_cast<NativeSlot*>(control); slot && dynamic_cast<Edit*>(slot)) {
            slot->textChangedByUser(nativeText(child));
          }
          break;
        }
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(w);
      SetBkColor(dc, RGB(255, 255, 255));
      SetTextColor(dc, RGB(0x33, 0x33, 0x33));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_SYSCOMMAND:
      if ((w & 0xFFF0) == SC_CLOSE) {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);  // through the close handshake
        return 0;
      }
      break;
    case WM_CLOSE:
      if (!onCloseRequest()) return 0;
      if (modal_) {
        modalDone_ = true;
        PostMessageW(hwnd_, kModalWake, 0, 0);
        return 0;
      }
      DestroyWindow(hwnd_);
      return 0;
    case kDrainPosted:
      postPending_ = false;
      window_.drainPosted();
      return 0;
    case kModalWake:
      return 0;
    case kForwardedKey:
      onKeyDown(static_cast<UINT>(w));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, w, l);
}

}  // namespace qv::framework
