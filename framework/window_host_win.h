// A skinned top-level window of the Win32 backend. It owns one framework Window (the portable
// control tree), creates the native window, feeds it input, size, DPI and timer ticks, paints it
// double-buffered through GDI+, keeps native child windows (edit boxes, rich edit, browser) over
// their layout slots, and runs modal loops.
//
// The frame is the skin's: the native caption and borders are removed (WM_NCCALCSIZE), and
// WM_NCHITTEST answers borders, corners and the caption band from the layout's figures
// (frame_hit.h), so the system still moves, sizes and snaps the window.
//
// Derived windows (the main window, pop-ups, message boxes) override the virtual hooks:
// notifications reach handleNotify() after the page controllers; defaultNotify() is the last
// stop ("closebtn" closes, "minbtn" minimises ...).
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "framework/builder.h"
#include "framework/frame_hit.h"
#include "framework/skin_win.h"
#include "framework/window.h"

namespace qv::framework {

class FontCache;

class HostWindow : public WindowHost {
 public:
  HostWindow();
  ~HostWindow() override;
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // Builds the layout from the process-wide skin with the given factory, or without one the
  // installed factory (installControlFactory). 0, or the builder's code; the diagnostics stay
  // readable through layoutDiagnostics().
  int loadLayout(std::string_view path, ControlFactory factory = {});
  const std::vector<LayoutDiagnostic>& layoutDiagnostics() const { return diagnostics_; }

  Window& window() { return window_; }
  HWND hwnd() const { return hwnd_; }
  // The skinned window behind a native window handle, or null.
  static HostWindow* fromHandle(HWND hwnd);
  Control* find(std::wstring_view name) const { return window_.find(name); }

  // Creates the native window. A size of 0 takes the layout's size (design units, scaled by the
  // DPI of the owner's monitor, or of the primary one).
  bool create(HWND owner, const std::wstring& title, DWORD style, DWORD exStyle, int x = 0,
              int y = 0, int cx = 0, int cy = 0);
  void centerOnOwner();
  // Shows the window modally: the owner is disabled only if it was enabled, and enabled and
  // activated again before the window goes; a WM_QUIT met in the loop is posted again for the
  // outer loop. Returns the result given to close() (2 when the window went otherwise).
  int runModal(HWND owner);
  bool isModal() const { return modal_; }
  // Asks the window to close with a result: the close request passes onCloseRequest().
  void close(int result);
  int result() const { return result_; }

  // Paints the whole window into a bitmap the size of the client area (for screenshots that
  // must not depend on what the screen shows). Native children are not in it.
  bool renderTo(HBITMAP* out);

  // The caption classes that keep the caption band a client area (buttons and the like).
  void setCaptionClientClasses(std::vector<std::string> classes) {
    captionClasses_ = std::move(classes);
  }

  // ---- WindowHost
  void invalidateRect(const Rect& r) override;
  void startSystemTimer(TimerTable::Key key, int periodMs) override;
  void stopSystemTimer(TimerTable::Key key) override;
  void setMouseCapture(bool on) override;
  void wakeForPosted() override;
  void controlDetached(Control* c) override;
  void layoutChanged() override;
  void nativeChanged(Control* c) override;

  // The DPI the window has now (96 before it exists).
  int dpi() const { return window_.dpi(); }
  static int dpiForWindow(HWND hwnd);

 protected:
  // Notifications that no page controller handled. True when handled.
  virtual bool handleNotify(const Notification& n);
  // The last stop: closebtn, minbtn, maxbtn, restorebtn.
  virtual bool defaultNotify(const Notification& n);
  // Key presses that reach the window (also Escape and Enter typed into its edit boxes). True
  // when consumed.
  virtual bool onKeyDown(UINT vk);
  // A close request (WM_CLOSE, closebtn, Alt+F4): true lets the window close.
  virtual bool onCloseRequest() { return true; }
  // Any message before the window's own handling; set *handled to stop it.
  virtual LRESULT handleMessage(UINT msg, WPARAM w, LPARAM l, bool* handled);
  // After the native window is gone. Windows that delete themselves do it here, last.
  virtual void onFinalMessage() {}
  virtual void onWindowInit() {}

 private:
  class Targets;
  static LRESULT CALLBACK wndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
  LRESULT onMessage(UINT msg, WPARAM w, LPARAM l);
  void paint(HDC dc, const RECT& dirty);
  LRESULT hitTest(LPARAM l);
  void syncNativeChildren();
  HWND createNative(class NativeSlot* slot);
  HFONT nativeFont(int fontId, bool cjk);
  void applyRegion();
  Point clientPoint(LPARAM l) const;

  Window window_;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  std::unique_ptr<Targets> targets_;
  std::vector<LayoutDiagnostic> diagnostics_;
  std::vector<std::string> captionClasses_{"ButtonUI", "OptionUI", "TextUI", "EditUI",
                                           "CheckBoxUI"};
  std::map<Control*, HWND> natives_;
  std::map<Control*, std::uint64_t> navigations_;
  std::map<std::tuple<int, int, bool>, HFONT> hfonts_;
  HDC backDc_ = nullptr;
  HBITMAP backBitmap_ = nullptr;
  HGDIOBJ backOld_ = nullptr;
  Size backSize_;
  bool tracking_ = false;
  bool modal_ = false;
  bool modalDone_ = false;
  bool postPending_ = false;
  int result_ = 2;
};

// Registers the window classes, starts GDI+ and makes the calling thread the UI thread. Call
// once before any window; the returned object shuts GDI+ down when destroyed.
class UiRuntime {
 public:
  UiRuntime();
  ~UiRuntime();
  bool ok() const { return ok_; }

 private:
  ULONG_PTR gdiplusToken_ = 0;
  bool ok_ = false;
};

}  // namespace qv::framework
