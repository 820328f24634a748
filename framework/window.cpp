#include "framework/window.h"

#include "framework/controls.h"

namespace qv::framework {

namespace {

// Counts nested dispatches, so removals inside a handler wait until the outermost one ends.
class DispatchScope {
 public:
  DispatchScope(int* depth, std::vector<ControlPtr>* graveyard)
      : depth_(depth), graveyard_(graveyard) {
    ++*depth_;
  }
  ~DispatchScope() {
    if (--*depth_ == 0) graveyard_->clear();
  }

 private:
  int* depth_;
  std::vector<ControlPtr>* graveyard_;
};

}  // namespace

Window::Window() {
  FontSpec fallback;
  fallback.id = -1;
  fallback.face = L"Segoe UI";
  fonts_.push_back(fallback);
}

Window::~Window() {
  if (root_) root_->detach();
  root_.reset();
  graveyard_.clear();
}

const FontSpec& Window::font(int id) const {
  for (const FontSpec& f : fonts_) {
    if (f.id == id) return f;
  }
  return fonts_.front();
}

void Window::setRoot(ControlPtr root) {
  if (root_) root_->detach();
  root_ = std::move(root);
  if (root_) root_->attach(this, nullptr);
  requestLayout();
}

Control* Window::find(std::wstring_view name) const {
  return root_ && !name.empty() ? root_->find(name) : nullptr;
}

Control* Window::byId(ControlId id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

std::vector<Option*> Window::optionsInGroup(const std::wstring& group) const {
  std::vector<Option*> out;
  if (!root_ || group.empty()) return out;
  std::vector<Control*> stack{root_.get()};
  while (!stack.empty()) {
    Control* c = stack.back();
    stack.pop_back();
    if (auto* o = dynamic_cast<Option*>(c); o && o->group() == group) out.push_back(o);
    for (std::size_t i = c->childCount(); i-- > 0;) stack.push_back(c->childAt(i));
  }
  return out;
}

void Window::registerControl(Control* c) {
  c->id_ = nextId_++;
  controls_[c->id_] = c;
}

void Window::unregisterControl(Control* c) {
  for (TimerTable::Key key : timers_.stopAll(c->id_)) {
    if (host_) host_->stopSystemTimer(key);
  }
  if (hot_ == c->id_) hot_ = 0;
  if (pressed_ == c->id_) {
    pressed_ = 0;
    if (host_) host_->setMouseCapture(false);
  }
  if (focus_ == c->id_) focus_ = 0;
  controls_.erase(c->id_);
  c->id_ = 0;
  if (host_) host_->controlDetached(c);
}

void Window::setDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  requestLayout();
}

void Window::setClientSize(Size px) {
  if (px == client_) return;
  client_ = px;
  requestLayout();
}

void Window::requestLayout() {
  layoutPending_ = true;
  if (host_) host_->invalidateRect(Rect{0, 0, client_.cx, client_.cy});
}

void Window::layoutIfNeeded(TextMeasurer& m) {
  if (!layoutPending_ || !root_) return;
  layoutPending_ = false;
  root_->arrange(Rect{0, 0, client_.cx, client_.cy}, m, dpi_);
  // Arranging may ask again (a scroll clamp); that request is already satisfied.
  layoutPending_ = false;
  if (host_) host_->layoutChanged();
}

void Window::paint(Painter& p, const Rect& dirty) {
  layoutIfNeeded(p);
  p.pushClip(dirty);
  p.fillRect(Rect{0, 0, client_.cx, client_.cy}, info_.bkColor);
  if (root_ && root_->visible()) root_->paint(p);
  p.popClip();
}

void Window::invalidate(const Rect& r) {
  if (host_) host_->invalidateRect(r);
}

Control* Window::controlAt(Point p) const {
  return root_ ? root_->hitTest(p) : nullptr;
}

void Window::mouseMove(Point p) {
  if (Control* pressed = byId(pressed_)) {
    MouseEvent e{p};
    bool over = controlAt(p) == pressed;
    if (over != pressed->hot()) {
      over ? pressed->onMouseEnter() : pressed->onMouseLeave();
    }
    pressed->onMouseMove(e);
    return;
  }
  Control* hit = controlAt(p);
  if (hit && !hit->enabledInTree()) hit = nullptr;
  Control* old = byId(hot_);
  if (hit != old) {
    if (old) old->onMouseLeave();
    hot_ = hit ? hit->id() : 0;
    if (hit) hit->onMouseEnter();
  }
  if (hit) hit->onMouseMove(MouseEvent{p});
}

void Window::mouseLeave() {
  if (byId(pressed_)) return;  // captured: the release still comes to us
  if (Control* old = byId(hot_)) old->onMouseLeave();
  hot_ = 0;
}

void Window::mouseDown(const MouseEvent& e) {
  Control* hit = controlAt(e.pos);
  if (!hit || !hit->enabledInTree()) return;
  if (hit->wantsFocus()) setFocus(hit);
  pressed_ = hit->id();
  if (host_) host_->setMouseCapture(true);
  if (!hit->hot()) {
    hot_ = hit->id();
    hit->onMouseEnter();
  }
  DispatchScope scope(&dispatchDepth_, &graveyard_);
  hit->onMouseDown(e);
}

void Window::mouseUp(const MouseEvent& e) {
  Control* pressed = byId(pressed_);
  pressed_ = 0;
  if (host_) host_->setMouseCapture(false);
  if (!pressed) return;
  bool inside = controlAt(e.pos) == pressed;
  ControlId id = pressed->id();
  DispatchScope scope(&dispatchDepth_, &graveyard_);
  pressed->onMouseUp(e, inside);
  // A release outside leaves the control; one that removed it (kept alive until the scope
  // ends) is not touched again.
  if (byId(id) && !inside && pressed->hot()) pressed->onMouseLeave();
}

void Window::doubleClick(const MouseEvent& e) {
  Control* hit = controlAt(e.pos);
  if (!hit || !hit->enabledInTree()) return;
  DispatchScope scope(&dispatchDepth_, &graveyard_);
  hit->onDoubleClick(e);
}

void Window::wheel(Point p, int delta) {
  DispatchScope scope(&dispatchDepth_, &graveyard_);
  for (Control* c = controlAt(p); c; c = c->parent()) {
    if (c->onWheel(delta)) return;
  }
}

void Window::setFocus(Control* c) {
  Control* old = focusedControl();
  if (old == c) return;
  if (old) {
    old->focused_ = false;
    old->invalidate();
    old->notify(EventType::kKillFocus, 0, 0, false);
  }
  focus_ = c ? c->id() : 0;
  if (c) {
    c->focused_ = true;
    c->invalidate();
    c->notify(EventType::kSetFocus, 0, 0, false);
  }
}

void Window::send(Notification n) {
  if (n.sender && n.senderId == 0) n.senderId = n.sender->id();
  static const std::wstring kNone;
  DispatchScope scope(&dispatchDepth_, &graveyard_);
  router_.route(n, n.sender ? n.sender->virtualWnd() : kNone);
}

void Window::post(Notification n) {
  if (n.sender && n.senderId == 0) n.senderId = n.sender->id();
  n.sender = nullptr;  // resolved again when delivered
  posted_.push_back(n);
  if (host_) host_->wakeForPosted();
}

void Window::drainPosted() {
  // Only what was queued before this call: handlers that post again are served next time.
  std::size_t count = posted_.size();
  for (std::size_t i = 0; i < count && !posted_.empty(); ++i) {
    Notification n = posted_.front();
    posted_.pop_front();
    if (n.senderId != 0) {
      n.sender = byId(n.senderId);
      if (!n.sender) continue;  // the sender went away meanwhile
    }
    send(n);
  }
}

void Window::sendWindowInit() {
  if (initSent_) return;
  initSent_ = true;
  Notification n;
  n.type = EventType::kWindowInit;
  n.sender = root_.get();
  n.byUser = false;
  send(n);
}

void Window::keepUntilDispatchEnds(ControlPtr c) {
  if (dispatchDepth_ > 0) {
    graveyard_.push_back(std::move(c));
  }
  // Outside any dispatch the control dies here, when `c` goes out of scope.
}

void Window::startTimer(Control* c, int timerId, int periodMs) {
  if (!c || c->id() == 0) return;
  TimerTable::Key key = timers_.start(c->id(), timerId, periodMs);
  if (host_) host_->startSystemTimer(key, timers_.find(key)->periodMs);
}

void Window::stopTimer(Control* c, int timerId) {
  if (!c) return;
  TimerTable::Key key = timers_.stop(c->id(), timerId);
  if (key && host_) host_->stopSystemTimer(key);
}

void Window::timerFired(TimerTable::Key key) {
  const TimerTable::Entry* e = timers_.find(key);
  if (!e) {
    if (host_) host_->stopSystemTimer(key);  // a tick that was already queued
    return;
  }
  ControlId id = e->control;
  int timerId = e->timerId;  // `e` may go when the handler stops its timer
  Control* c = byId(id);
  if (!c) return;
  DispatchScope scope(&dispatchDepth_, &graveyard_);
  c->onTimer(timerId);
  if (byId(id)) c->notify(EventType::kTimer, timerId, 0, false);
}

}  // namespace qv::framework
