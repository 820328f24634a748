// The portable heart of one skinned window: its control tree, resources (fonts, default
// colours, frame figures), layout pass, input state (hot, pushed, focus), notification routing,
// per-control timers and the queue of notifications posted for later.
//
// The backend (window_host_win.cpp) owns a Window, feeds it the system's input, size, DPI and
// timer ticks, paints it through a Painter, and implements WindowHost for the few things the
// window asks of the system. Tests drive a Window the same way with a fake host.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/control.h"
#include "framework/notify.h"
#include "framework/timers.h"

namespace qv::framework {

struct FontSpec {
  int id = 0;
  std::wstring face;  // the layout's face; the backend falls back through its list
  int size = 12;      // pixel height at 96 DPI
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// Window-wide figures from the layout's root element (design units).
struct WindowInfo {
  Size size;         // "size": the window's initial client size
  Size minSize;      // "mininfo"
  Size maxSize;      // "maxinfo" (0: none)
  Rect caption;      // "caption": left, top, right margin, bottom of the drag band
  Edges sizeBox;     // "sizebox": the resizing border strips
  Size roundCorner;  // "roundcorner"
  Color defaultTextColor = 0xFF000000u;
  Color disabledTextColor = 0xFFA7A6AAu;
  Color linkTextColor = 0xFF0000FFu;
  Color linkHoverTextColor = 0xFFD3215Fu;
  Color bkColor = 0xFFFFFFFFu;
  std::wstring title;
};

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual void invalidateRect(const Rect& r) = 0;
  virtual void startSystemTimer(TimerTable::Key key, int periodMs) = 0;
  virtual void stopSystemTimer(TimerTable::Key key) = 0;
  virtual void setMouseCapture(bool on) = 0;
  // Asks for drainPosted() to be called soon from the host's message loop.
  virtual void wakeForPosted() = 0;
  // A control left the tree: the host drops any native window it keeps for it.
  virtual void controlDetached(Control* c) = 0;
  // The arrange pass ran: the host moves its native windows over their slots.
  virtual void layoutChanged() = 0;
  // The program changed what a native slot shows (its text, its address).
  virtual void nativeChanged(Control*) {}
};

class Window {
 public:
  Window();
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  WindowInfo& info() { return info_; }
  const WindowInfo& info() const { return info_; }
  std::vector<FontSpec>& fonts() { return fonts_; }
  // The font of an id (-1 or unknown: the default font).
  const FontSpec& font(int id) const;
  void setHost(WindowHost* host) { host_ = host; }
  WindowHost* host() const { return host_; }

  // ---- tree
  void setRoot(ControlPtr root);
  Control* root() const { return root_.get(); }
  // First control of the name, depth-first; null when there is none.
  Control* find(std::wstring_view name) const;
  template <typename T>
  T* findAs(std::wstring_view name) const {
    return dynamic_cast<T*>(find(name));
  }
  // The live control of an id, or null once it has gone.
  Control* byId(ControlId id) const;
  // Every option of a group, in tree order.
  std::vector<class Option*> optionsInGroup(const std::wstring& group) const;

  // ---- layout and painting
  int dpi() const { return dpi_; }
  // A DPI change re-lays out from the stored design units.
  void setDpi(int dpi);
  Size clientSize() const { return client_; }
  void setClientSize(Size px);
  void requestLayout();
  bool layoutPending() const { return layoutPending_; }
  // Runs the arrange pass when something asked for one.
  void layoutIfNeeded(TextMeasurer& m);
  void paint(Painter& p, const Rect& dirty);
  void invalidate(const Rect& r);

  // ---- input (window pixels)
  Control* controlAt(Point p) const;
  void mouseMove(Point p);
  void mouseLeave();
  void mouseDown(const MouseEvent& e);
  void mouseUp(const MouseEvent& e);
  void doubleClick(const MouseEvent& e);
  void wheel(Point p, int delta);
  Control* hotControl() const { return byId(hot_); }
  Control* focusedControl() const { return byId(focus_); }
  void setFocus(Control* c);

  // ---- notifications
  NotifyRouter& router() { return router_; }
  // Routes a notification now (on the UI thread).
  void send(Notification n);
  // Queues it; drainPosted() delivers it later, unless its sender has gone by then.
  void post(Notification n);
  void drainPosted();
  // Sends "windowinit" once, after the first layout.
  void sendWindowInit();
  bool initialised() const { return initSent_; }
  // Keeps a removed control alive until the dispatch in progress ends.
  void keepUntilDispatchEnds(ControlPtr c);

  // ---- timers
  void startTimer(Control* c, int timerId, int periodMs);
  void stopTimer(Control* c, int timerId);
  // The host's system timer of a key fired.
  void timerFired(TimerTable::Key key);
  const TimerTable& timers() const { return timers_; }

 private:
  friend class Control;
  friend class Container;
  void registerControl(Control* c);
  void unregisterControl(Control* c);

  WindowInfo info_;
  std::vector<FontSpec> fonts_;
  WindowHost* host_ = nullptr;
  ControlPtr root_;
  std::unordered_map<ControlId, Control*> controls_;
  ControlId nextId_ = 1;
  int dpi_ = 96;
  Size client_;
  bool layoutPending_ = true;
  bool initSent_ = false;

  ControlId hot_ = 0;
  ControlId pressed_ = 0;
  ControlId focus_ = 0;

  NotifyRouter router_;
  TimerTable timers_;
  std::deque<Notification> posted_;
  int dispatchDepth_ = 0;
  std::vector<ControlPtr> graveyard_;
};

}  // namespace qv::framework
