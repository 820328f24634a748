#include "framework/notify.h"

#include "framework/control.h"

namespace qv::framework {

void NotifyMap::on(EventType type, std::wstring controlName, Handler h) {
  handlers_[Key{type, std::move(controlName)}] = std::move(h);
}

bool NotifyMap::onNotify(const Notification& n) {
  static const std::wstring kAny;
  const std::wstring& name = n.sender ? n.sender->name() : kAny;
  auto it = handlers_.find(Key{n.type, name});
  if (it == handlers_.end() && !name.empty()) it = handlers_.find(Key{n.type, kAny});
  if (it == handlers_.end()) return false;
  it->second(n);
  return true;
}

void NotifyRouter::setController(const std::wstring& virtualWnd, NotifyTarget* controller) {
  if (controller) {
    controllers_[virtualWnd] = controller;
  } else {
    controllers_.erase(virtualWnd);
  }
}

NotifyTarget* NotifyRouter::controller(const std::wstring& virtualWnd) const {
  auto it = controllers_.find(virtualWnd);
  return it == controllers_.end() ? nullptr : it->second;
}

bool NotifyRouter::route(const Notification& n, const std::wstring& virtualWnd) const {
  if (!virtualWnd.empty()) {
    if (NotifyTarget* c = controller(virtualWnd); c && c->onNotify(n)) return true;
  }
  if (window_ && window_->onNotify(n)) return true;
  return default_ && default_->onNotify(n);
}

}  // namespace qv::framework
