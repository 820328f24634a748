// Routing of notifications: a control's notification goes first to the page controller
// registered under the "virtualwnd" name of its nearest ancestor that names one, then, unless
// that controller handled it, to the window's own handler, then to the window's default handling
// (close, minimise ...). Each level looks (type, control name) up in a hash table, falling back
// to a handler registered for the type alone.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <unordered_map>

#include "framework/events.h"

namespace qv::framework {

class NotifyTarget {
 public:
  virtual ~NotifyTarget() = default;
  // True when handled; the notification then goes no further.
  virtual bool onNotify(const Notification& n) = 0;
};

// A table of handlers by (type, control name); an empty name matches every control.
class NotifyMap : public NotifyTarget {
 public:
  using Handler = std::function<void(const Notification&)>;
  void on(EventType type, std::wstring controlName, Handler h);
  void on(EventType type, Handler h) { on(type, std::wstring(), std::move(h)); }
  bool onNotify(const Notification& n) override;

 private:
  struct Key {
    EventType type;
    std::wstring name;
    bool operator==(const Key& o) const { return type == o.type && name == o.name; }
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      return std::hash<std::wstring>()(k.name) * 31 + static_cast<std::size_t>(k.type);
    }
  };
  std::unordered_map<Key, Handler, KeyHash> handlers_;
};

class NotifyRouter {
 public:
  // Registers (or with null, removes) the controller of a virtual-window name.
  void setController(const std::wstring& virtualWnd, NotifyTarget* controller);
  NotifyTarget* controller(const std::wstring& virtualWnd) const;
  void setWindowTarget(NotifyTarget* t) { window_ = t; }
  void setDefaultTarget(NotifyTarget* t) { default_ = t; }
  // Delivers along the route; true when some level handled it.
  bool route(const Notification& n, const std::wstring& virtualWnd) const;

 private:
  std::map<std::wstring, NotifyTarget*> controllers_;
  NotifyTarget* window_ = nullptr;
  NotifyTarget* default_ = nullptr;
};

}  // namespace qv::framework
