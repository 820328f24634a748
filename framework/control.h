// The control tree. A Control holds its typed attributes (parsed once from the layout's text
// or set by the program), its place in the tree and the rectangle its window gave it.
//
// Attribute figures are design units (1/96 inch) and stay so; rectangles are pixels, computed by
// the window's arrange pass (layout.h) with the window's DPI. Setters that change what a control
// looks like invalidate it; setters that change its size or visibility ask the window for a new
// layout, which runs once before the next paint, never inside it.
//
// Each control answers isA() for its own element name and the names of the kinds it extends
// ("Option" -> "Option", "Button", "Label", "Control"), and className() gives the element name
// with "UI" appended ("ButtonUI"), which caption hit testing compares.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/events.h"
#include "framework/geometry.h"
#include "framework/image_ref.h"
#include "framework/markup_text.h"
#include "framework/painter.h"

namespace qv::framework {

class Window;
class Control;
using ControlPtr = std::unique_ptr<Control>;

// What setAttribute made of a name and value.
enum class AttributeResult : std::uint8_t { kApplied, kUnknown, kMalformed };

enum class MouseButton : std::uint8_t { kLeft, kRight };

struct MouseEvent {
  Point pos;  // window pixels
  MouseButton button = MouseButton::kLeft;
};

class Control {
 public:
  explicit Control(std::string kind = "Control");
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // ---- identity
  const std::wstring& name() const { return name_; }
  void setName(std::wstring name) { name_ = std::move(name); }
  const std::string& kind() const { return kind_; }
  std::string className() const { return kind_ + "UI"; }
  // Case-blind: "button" finds a Button.
  virtual bool isA(std::string_view interfaceName) const;
  ControlId id() const { return id_; }

  // ---- tree
  Control* parent() const { return parent_; }
  Window* window() const { return window_; }
  virtual std::size_t childCount() const { return 0; }
  // Takes a child element of a layout file; a control that holds no children refuses (null).
  virtual Control* adopt(ControlPtr child) {
    (void)child;
    return nullptr;
  }
  virtual Control* childAt(std::size_t) const { return nullptr; }
  // The nearest control at or above this one that names a page controller, or null.
  const std::wstring& virtualWnd() const;
  // The first control of this name at or below this one, depth-first.
  Control* find(std::wstring_view name);

  // ---- attributes (design units)
  virtual AttributeResult setAttribute(std::string_view name, std::wstring_view value);
  int fixedWidth() const { return width_; }
  int fixedHeight() const { return height_; }
  void setFixedWidth(int w);
  void setFixedHeight(int h);
  int minWidth() const { return minWidth_; }
  int minHeight() const { return minHeight_; }
  int maxWidth() const { return maxWidth_; }
  int maxHeight() const { return maxHeight_; }
  const Edges& padding() const { return padding_; }
  void setPadding(const Edges& e);
  bool isFloat() const { return float_; }
  const Rect& floatPos() const { return floatPos_; }

  bool visible() const { return visible_; }
  virtual void setVisible(bool v);
  // Visible itself and every ancestor visible (and, in a tab layout, on the shown page).
  bool shownOnScreen() const;
  bool enabled() const { return enabled_; }
  virtual void setEnabled(bool e);
  // Enabled itself and every ancestor enabled.
  bool enabledInTree() const;
  bool mouseEnabled() const { return mouseEnabled_; }
  void setMouseEnabled(bool e) { mouseEnabled_ = e; }

  const std::wstring& text() const { return text_; }
  virtual void setText(std::wstring_view text);
  const std::wstring& toolTip() const { return toolTip_; }
  const std::wstring& userData() const { return userData_; }
  void setUserData(std::wstring v) { userData_ = std::move(v); }
  std::int64_t tag() const { return tag_; }
  void setTag(std::int64_t v) { tag_ = v; }

  Color bkColor() const { return bkColor_; }
  void setBkColor(Color c);
  Color borderColor() const { return borderColor_; }
  void setBorderColor(Color c);
  int borderSize() const { return borderSize_; }
  const ImageRef& bkImage() const { return bkImage_; }
  void setBkImage(const ImageRef& image);
  // The image text as a layout writes it; false (nothing changed) when malformed.
  bool setBkImage(std::wstring_view text);

  // ---- geometry (pixels, set by the arrange pass)
  const Rect& rect() const { return rect_; }
  virtual void setRect(const Rect& r) { rect_ = r; }
  // Takes the rectangle and places whatever is inside (containers: their children).
  virtual void arrange(const Rect& r, TextMeasurer& m, int dpi);
  // The size the control wants in design units (0 on an axis: stretch). Labels that size to
  // their text measure it here.
  virtual Size estimateSize(Size available, TextMeasurer& m, int dpi);

  // ---- painting and input (window pixels)
  virtual void paint(Painter& p);
  // The deepest visible, mouse-enabled control under a point, or null.
  virtual Control* hitTest(Point p);
  virtual void onMouseEnter() {}
  virtual void onMouseLeave() {}
  virtual void onMouseDown(const MouseEvent&) {}
  virtual void onMouseUp(const MouseEvent&, bool inside) { (void)inside; }
  virtual void onMouseMove(const MouseEvent&) {}
  virtual void onDoubleClick(const MouseEvent&) {}
  virtual bool onWheel(int delta) {
    (void)delta;
    return false;
  }  // true when it scrolled
  virtual void onTimer(int timerId) { (void)timerId; }
  virtual bool wantsFocus() const { return false; }
  bool hot() const { return hot_; }
  bool pushed() const { return pushed_; }
  // Shows the hot or pushed look without input (galleries and screenshots of states). The next
  // mouse event over the control sets the state from the input again.
  void showState(bool hot, bool pushed);
  bool focused() const { return focused_; }

  // ---- window services (no-ops while the control is not in a window)
  void invalidate();
  void needLayout();
  void notify(EventType type, std::int64_t wParam = 0, std::int64_t lParam = 0, bool byUser = true);
  // Per-control timers: a second start of the same id restarts it with the new period.
  void startTimer(int timerId, int periodMs);
  void stopTimer(int timerId);

 protected:
  friend class Window;
  friend class Container;
  virtual void attach(Window* w, Control* parent);
  virtual void detach();
  virtual void onVisibilityChanged() {}
  void paintBackground(Painter& p) { paintBackground(p, bkColor_); }
  void paintBackground(Painter& p, Color bk);
  void paintBorder(Painter& p) { paintBorder(p, borderColor_); }
  void paintBorder(Painter& p, Color c);

  // Rectangle of an image's dest inside the control, or the control rect; pixels.
  Rect imageRect(const ImageRef& image, int dpi) const;

 private:
  std::string kind_;
  std::wstring name_;
  ControlId id_ = 0;
  Window* window_ = nullptr;
  Control* parent_ = nullptr;

  int width_ = 0, height_ = 0;
  int minWidth_ = 0, minHeight_ = 0;
  int maxWidth_ = 1000000, maxHeight_ = 1000000;
  Edges padding_;
  bool float_ = false;
  Rect floatPos_;
  bool visible_ = true;
  bool enabled_ = true;
  bool mouseEnabled_ = true;

  std::wstring text_;
  std::wstring toolTip_;
  std::wstring userData_;
  std::wstring virtualWnd_;
  std::int64_t tag_ = 0;

  Color bkColor_ = 0;
  Color borderColor_ = 0;
  int borderSize_ = 0;
  int borderRound_ = 0;
  ImageRef bkImage_;

  Rect rect_;

 protected:
  bool hot_ = false;
  bool pushed_ = false;
  bool focused_ = false;
};

}  // namespace qv::framework
