#include "framework/control.h"
#include "framework/attribute_parsing.h"

#include "framework/container.h"
#include "framework/dpi.h"
#include "framework/thread_check.h"
#include "framework/values.h"
#include "framework/window.h"

namespace qv::framework {

Control::Control(std::string kind) : kind_(std::move(kind)) {}

Control::~Control() = default;

bool Control::isA(std::string_view n) const {
  return sameName(n, kind_) || sameName(n, "Control");
}

const std::wstring& Control::virtualWnd() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->virtualWnd_.empty()) return c->virtualWnd_;
  }
  return virtualWnd_;  // empty
}

Control* Control::find(std::wstring_view n) {
  if (name_ == n) return this;
  for (std::size_t i = 0, count = childCount(); i < count; ++i) {
    if (Control* hit = childAt(i)->find(n)) return hit;
  }
  return nullptr;
}

AttributeResult Control::setAttribute(std::string_view n, std::wstring_view v) {
  auto is = [&](std::string_view k) { return sameName(n, k); };
  if (is("name")) {
    name_ = std::wstring(v);
  } else if (is("pos")) {
    Rect r;
    if (!parseRect(v, &r)) return AttributeResult::kMalformed;
    floatPos_ = r;
    width_ = r.width();
    height_ = r.height();
  } else if (is("float")) {
    return parsedAs(parseBool(v, &float_));
  } else if (is("width")) {
    return parsedAs(parseInt(v, &width_) && width_ >= 0);
  } else if (is("height")) {
    return parsedAs(parseInt(v, &height_) && height_ >= 0);
  } else if (is("minwidth")) {
    return parsedAs(parseInt(v, &minWidth_));
  } else if (is("minheight")) {
    return parsedAs(parseInt(v, &minHeight_));
  } else if (is("maxwidth")) {
    return parsedAs(parseInt(v, &maxWidth_));
  } else if (is("maxheight")) {
    return parsedAs(parseInt(v, &maxHeight_));
  } else if (is("padding")) {
    return parsedAs(parseEdges(v, &padding_));
  } else if (is("visible")) {
    return parsedAs(parseBool(v, &visible_));
  } else if (is("enabled")) {
    return parsedAs(parseBool(v, &enabled_));
  } else if (is("mouse")) {
    return parsedAs(parseBool(v, &mouseEnabled_));
  } else if (is("text")) {
    setText(v);
  } else if (is("tooltip")) {
    toolTip_ = std::wstring(v);
  } else if (is("userdata")) {
    userData_ = std::wstring(v);
  } else if (is("virtualwnd")) {
    virtualWnd_ = std::wstring(v);
  } else if (is("bkcolor")) {
    return parsedAs(parseColor(v, &bkColor_));
  } else if (is("bordercolor")) {
    return parsedAs(parseColor(v, &borderColor_));
  } else if (is("bordersize")) {
    return parsedAs(parseInt(v, &borderSize_) && borderSize_ >= 0);
  } else if (is("borderround")) {
    return parsedAs(parseInt(v, &borderRound_) && borderRound_ >= 0);
  } else if (is("bkimage")) {
    return parsedAs(parseImageRef(v, &bkImage_));
  } else {
    return AttributeResult::kUnknown;
  }
  return AttributeResult::kApplied;
}

void Control::setFixedWidth(int w) {
  if (w == width_) return;
  width_ = w < 0 ? 0 : w;
  needLayout();
}

void Control::setFixedHeight(int h) {
  if (h == height_) return;
  height_ = h < 0 ? 0 : h;
  needLayout();
}

void Control::setPadding(const Edges& e) {
  padding_ = e;
  needLayout();
}

void Control::setVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  onVisibilityChanged();
  needLayout();
}

bool Control::shownOnScreen() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::setEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  if (!e) hot_ = pushed_ = false;
  invalidate();
}

bool Control::enabledInTree() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->enabled_) return false;
  }
  return true;
}

void Control::setText(std::wstring_view text) {
  if (text == text_) return;
  text_ = std::wstring(text);
  invalidate();
}

void Control::setBkColor(Color c) {
  bkColor_ = c;
  invalidate();
}

void Control::setBorderColor(Color c) {
  borderColor_ = c;
  invalidate();
}

void Control::setBkImage(const ImageRef& image) {
  bkImage_ = image;
  invalidate();
}

bool Control::setBkImage(std::wstring_view text) {
  ImageRef r;
  if (!parseImageRef(text, &r)) return false;
  setBkImage(r);
  return true;
}

void Control::arrange(const Rect& r, TextMeasurer&, int) {
  setRect(r);
}

Size Control::estimateSize(Size, TextMeasurer&, int) {
  return Size{width_, height_};
}

Rect Control::imageRect(const ImageRef& image, int dpi) const {
  if (!image.hasDest) return rect_;
  DpiScale s{dpi};
  return s.px(image.dest).offset(rect_.left, rect_.top).intersect(rect_);
}

void Control::paintBackground(Painter& p, Color bk) {
  if (bk >> 24) {
    if (borderRound_ > 0) {
      p.fillRoundRect(rect_, bk, DpiScale{p.dpi()}.px(borderRound_));
    } else {
      p.fillRect(rect_, bk);
    }
  }
  if (bkImage_.valid()) p.drawImage(bkImage_, rect_);
}

void Control::paintBorder(Painter& p, Color c) {
  if (borderSize_ > 0 && (c >> 24)) {
    DpiScale s{p.dpi()};
    p.drawBorder(rect_, c, s.px(borderSize_), s.px(borderRound_));
  }
}

void Control::paint(Painter& p) {
  paintBackground(p);
  paintBorder(p);
}

Control* Control::hitTest(Point p) {
  if (!visible_ || !rect_.contains(p)) return nullptr;
  return mouseEnabled_ ? this : nullptr;
}

void Control::showState(bool hot, bool pushed) {
  hot_ = hot;
  pushed_ = pushed;
  invalidate();
}

void Control::invalidate() {
  checkThread("a control change");
  if (window_) window_->invalidate(rect_);
}

void Control::needLayout() {
  checkThread("a control change");
  if (window_) window_->requestLayout();
}

void Control::notify(EventType type, std::int64_t wParam, std::int64_t lParam, bool byUser) {
  if (!window_) return;
  Notification n;
  n.type = type;
  n.sender = this;
  n.senderId = id_;
  n.wParam = wParam;
  n.lParam = lParam;
  n.byUser = byUser;
  window_->send(n);
}

void Control::startTimer(int timerId, int periodMs) {
  if (window_) window_->startTimer(this, timerId, periodMs);
}

void Control::stopTimer(int timerId) {
  if (window_) window_->stopTimer(this, timerId);
}

void Control::attach(Window* w, Control* parent) {
  parent_ = parent;
  if (w && w != window_) {
    window_ = w;
    w->registerControl(this);
  }
}

void Control::detach() {
  if (window_) window_->unregisterControl(this);
  window_ = nullptr;
  hot_ = pushed_ = focused_ = false;
}

}  // namespace qv::framework
