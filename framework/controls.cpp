#include "framework/controls.h"
#include "framework/attribute_parsing.h"

#include <algorithm>

#include "framework/dpi.h"
#include "framework/values.h"
#include "framework/window.h"

namespace qv::framework {

namespace {

AttributeResult image(std::wstring_view v, ImageRef* out) {
  return parsedAs(parseImageRef(v, out));
}
AttributeResult color(std::wstring_view v, Color* out) {
  return parsedAs(parseColor(v, out));
}

bool set(Color c) {
  return (c >> 24) != 0;
}

// Design units from pixels, rounded up so a measured text never ends up a pixel short.
int toDesignUnits(int px, int dpi) {
  return dpi <= 0 ? px
                  : static_cast<int>((static_cast<long long>(px) * kDesignDpi + dpi - 1) / dpi);
}

}  // namespace

// ---------------------------------------------------------------------------------------- Label

Label::Label(std::string kind) : Control(std::move(kind)) {}

bool Label::isA(std::string_view n) const {
  return sameName(n, "Label") || Control::isA(n);
}

AttributeResult Label::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "textcolor")) return color(v, &textColor_);
  if (sameName(n, "disabledtextcolor")) return color(v, &disabledTextColor_);
  if (sameName(n, "font")) return parsedAs(parseInt(v, &font_));
  if (sameName(n, "textpadding")) return parsedAs(parseEdges(v, &textPadding_));
  if (sameName(n, "showhtml")) {
    bool on = false;
    if (!parseBool(v, &on)) return AttributeResult::kMalformed;
    setShowHtml(on);
    return AttributeResult::kApplied;
  }
  if (sameName(n, "endellipsis")) return parsedAs(parseBool(v, &endEllipsis_));
  if (sameName(n, "multiline") || sameName(n, "wordbreak")) {
    bool multi = false;
    if (!parseBool(v, &multi)) return AttributeResult::kMalformed;
    singleLine_ = !multi;
    return AttributeResult::kApplied;
  }
  if (sameName(n, "autocalcwidth")) return parsedAs(parseBool(v, &autoCalcWidth_));
  if (sameName(n, "align")) return parsedAs(parseHAlign(v, &align_));
  if (sameName(n, "valign")) return parsedAs(parseVAlign(v, &valign_));
  return Control::setAttribute(n, v);
}

void Label::setText(std::wstring_view text) {
  if (showHtml_) markup_ = parseMarkupText(text);
  Control::setText(text);
  if (autoCalcWidth_) needLayout();
}

void Label::setShowHtml(bool on) {
  showHtml_ = on;
  markup_ = on ? parseMarkupText(text()) : MarkupText{};
  invalidate();
}

void Label::setTextColor(Color c) {
  textColor_ = c;
  invalidate();
}

void Label::setDisabledTextColor(Color c) {
  disabledTextColor_ = c;
  invalidate();
}

void Label::setFont(int index) {
  font_ = index;
  invalidate();
}

void Label::setTextPadding(const Edges& e) {
  textPadding_ = e;
  invalidate();
}

void Label::setAlign(HAlign a) {
  align_ = a;
  invalidate();
}

Color Label::effectiveTextColor() const {
  const Window* w = window();
  if (!enabledInTree()) {
    if (set(disabledTextColor_)) return disabledTextColor_;
    return w ? w->info().disabledTextColor : 0xFFA7A6AAu;
  }
  if (set(textColor_)) return textColor_;
  return w ? w->info().defaultTextColor : 0xFF000000u;
}

TextStyle Label::textStyle() const {
  TextStyle s;
  s.font = font_;
  s.color = effectiveTextColor();
  s.align = align_;
  s.valign = valign_;
  s.singleLine = singleLine_;
  s.endEllipsis = endEllipsis_;
  return s;
}

Rect Label::textRect() const {
  int dpi = window() ? window()->dpi() : kDesignDpi;
  return rect().deflated(DpiScale{dpi}.px(textPadding_));
}

Size Label::estimateSize(Size available, TextMeasurer& m, int dpi) {
  Size fixed{fixedWidth(), fixedHeight()};
  if (!autoCalcWidth_) return fixed;
  std::wstring plain = showHtml_ ? markup_.plainText() : text();
  int px = m.measureText(plain, textStyle(), 0).cx;
  fixed.cx = toDesignUnits(px, dpi) + textPadding_.left + textPadding_.right;
  if (available.cx > 0) fixed.cx = std::min(fixed.cx, available.cx);
  return fixed;
}

void Label::paintText(Painter& p, Color c) {
  if (text().empty()) return;
  TextStyle s = textStyle();
  s.color = c;
  Rect r = textRect();
  if (!showHtml_) {
    p.drawText(r, text(), s);
    return;
  }
  placed_ = placeMarkupText(markup_, r, s, p.dpi(), p);
  const Window* w = window();
  p.pushClip(r);
  for (const PlacedRun& pr : placed_) {
    const TextRun& run = *pr.run;
    if (run.kind == RunKind::kText) {
      TextStyle rs = s;
      rs.bold = s.bold || run.bold;
      rs.align = HAlign::kLeft;
      rs.valign = VAlign::kCenter;
      if (run.color) rs.color = run.color;
      if (run.link >= 0 && w) {
        rs.color =
            run.link == pressedLink_ ? w->info().linkHoverTextColor : w->info().linkTextColor;
        rs.underline = true;
      }
      p.drawText(pr.rect, run.text, rs);
    } else if (run.kind == RunKind::kImage) {
      ImageRef img;
      img.file = run.imageFile;
      p.drawImage(img, pr.rect, pr.imagePart);
    }
  }
  p.popClip();
}

void Label::paint(Painter& p) {
  paintBackground(p);
  paintText(p, effectiveTextColor());
  paintBorder(p);
}

Control* Label::hitTest(Point p) {
  return Control::hitTest(p);
}

void Label::onMouseUp(const MouseEvent& e, bool inside) {
  // A link of markup text: the press and the release on the same link send "link".
  if (!showHtml_ || markup_.linkCount == 0 || !inside) return;
  int link = linkAt(placed_, e.pos);
  if (link >= 0) notify(EventType::kLink, link);
}

Text::Text() : Label("Text") {
  setShowHtml(true);
}

bool Text::isA(std::string_view n) const {
  return sameName(n, "Text") || Label::isA(n);
}

// --------------------------------------------------------------------------------------- Button

Button::Button(std::string kind) : Label(std::move(kind)) {
  align_ = HAlign::kCenter;
}

bool Button::isA(std::string_view n) const {
  return sameName(n, "Button") || Label::isA(n);
}

AttributeResult Button::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "normalimage")) return image(v, &normalImage_);
  if (sameName(n, "hotimage")) return image(v, &hotImage_);
  if (sameName(n, "pushedimage")) return image(v, &pushedImage_);
  if (sameName(n, "focusedimage")) return image(v, &focusedImage_);
  if (sameName(n, "disabledimage")) return image(v, &disabledImage_);
  if (sameName(n, "foreimage")) return image(v, &foreImage_);
  if (sameName(n, "hotforeimage")) return image(v, &hotForeImage_);
  if (sameName(n, "hottextcolor")) return color(v, &hotTextColor_);
  if (sameName(n, "pushedtextcolor")) return color(v, &pushedTextColor_);
  if (sameName(n, "hotbkcolor")) return color(v, &hotBkColor_);
  if (sameName(n, "pushedbkcolor")) return color(v, &pushedBkColor_);
  if (sameName(n, "disabledbkcolor")) return color(v, &disabledBkColor_);
  if (sameName(n, "hotbordercolor")) return color(v, &hotBorderColor_);
  return Label::setAttribute(n, v);
}

void Button::setNormalImage(const ImageRef& i) {
  normalImage_ = i;
  invalidate();
}
void Button::setHotImage(const ImageRef& i) {
  hotImage_ = i;
  invalidate();
}
void Button::setPushedImage(const ImageRef& i) {
  pushedImage_ = i;
  invalidate();
}
void Button::setDisabledImage(const ImageRef& i) {
  disabledImage_ = i;
  invalidate();
}

const ImageRef& Button::stateImage() const {
  if (!enabledInTree() && disabledImage_.valid()) return disabledImage_;
  if (pushed_ && hot_ && pushedImage_.valid()) return pushedImage_;
  if (hot_ && hotImage_.valid()) return hotImage_;
  if (focused_ && focusedImage_.valid()) return focusedImage_;
  return normalImage_;
}

Color Button::stateTextColor() const {
  if (enabledInTree()) {
    if (pushed_ && hot_ && set(pushedTextColor_)) return pushedTextColor_;
    if (hot_ && set(hotTextColor_)) return hotTextColor_;
  }
  return effectiveTextColor();
}

Color Button::stateBkColor() const {
  if (!enabledInTree() && set(disabledBkColor_)) return disabledBkColor_;
  if (enabledInTree()) {
    if (pushed_ && hot_ && set(pushedBkColor_)) return pushedBkColor_;
    if (hot_ && set(hotBkColor_)) return hotBkColor_;
  }
  return bkColor();
}

void Button::paint(Painter& p) {
  paintBackground(p, stateBkColor());
  const ImageRef& img = stateImage();
  if (img.valid()) p.drawImage(img, rect());
  const ImageRef& fore = hot_ && hotForeImage_.valid() ? hotForeImage_ : foreImage_;
  if (fore.valid()) p.drawImage(fore, rect());
  paintText(p, stateTextColor());
  bool hotLook = hot_ && enabledInTree() && set(hotBorderColor_);
  paintBorder(p, hotLook ? hotBorderColor_ : borderColor());
}

Control* Button::hitTest(Point p) {
  return Control::hitTest(p);
}

void Button::onMouseEnter() {
  hot_ = true;
  invalidate();
}

void Button::onMouseLeave() {
  hot_ = false;
  invalidate();
}

void Button::onMouseDown(const MouseEvent& e) {
  if (e.button != MouseButton::kLeft) return;
  pushed_ = true;
  invalidate();
}

void Button::onMouseUp(const MouseEvent& e, bool inside) {
  bool wasPushed = pushed_;
  pushed_ = false;
  invalidate();
  if (wasPushed && inside && e.button == MouseButton::kLeft) activate();
}

void Button::activate() {
  notify(EventType::kClick);
}

// --------------------------------------------------------------------------------------- Option

Option::Option(std::string kind) : Button(std::move(kind)) {}

bool Option::isA(std::string_view n) const {
  return sameName(n, "Option") || Button::isA(n);
}

AttributeResult Option::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "group")) {
    group_ = std::wstring(v);
    return AttributeResult::kApplied;
  }
  if (sameName(n, "selected")) {
    bool s = false;
    if (!parseBool(v, &s)) return AttributeResult::kMalformed;
    setSelected(s, false);
    return AttributeResult::kApplied;
  }
  if (sameName(n, "selectedimage")) return image(v, &selectedImage_);
  if (sameName(n, "selectedhotimage")) return image(v, &selectedHotImage_);
  if (sameName(n, "selectedforeimage")) return image(v, &selectedForeImage_);
  if (sameName(n, "selectedtextcolor")) return color(v, &selectedTextColor_);
  if (sameName(n, "selectedbkcolor")) return color(v, &selectedBkColor_);
  if (sameName(n, "selectedunderline"))
    return parsedAs(parseInt(v, &underline_) && underline_ >= 0);
  if (sameName(n, "underlinecolor")) return color(v, &underlineColor_);
  return Button::setAttribute(n, v);
}

void Option::paint(Painter& p) {
  Button::paint(p);
  if (selected_ && underline_ > 0 && set(underlineColor_)) {
    int h = DpiScale{p.dpi()}.px(underline_);
    p.fillRect(Rect{rect().left, rect().bottom - h, rect().right, rect().bottom}, underlineColor_);
  }
}

void Option::setSelectedImage(const ImageRef& i) {
  selectedImage_ = i;
  invalidate();
}

void Option::setSelected(bool s, bool sendNotify) {
  if (s == selected_) return;
  selected_ = s;
  invalidate();
  if (s && !group_.empty() && window()) {
    for (Option* other : window()->optionsInGroup(group_)) {
      if (other != this) other->setSelected(false, sendNotify);
    }
  }
  if (sendNotify) notify(EventType::kSelectChanged);
}

void Option::activate() {
  Button::activate();
  if (!group_.empty()) {
    setSelected(true);
  } else {
    setSelected(!selected_);
  }
}

const ImageRef& Option::stateImage() const {
  if (selected_) {
    if (hot_ && selectedHotImage_.valid() && enabledInTree()) return selectedHotImage_;
    if (selectedImage_.valid()) return selectedImage_;
  }
  return Button::stateImage();
}

Color Option::stateTextColor() const {
  if (selected_ && set(selectedTextColor_) && enabledInTree()) return selectedTextColor_;
  return Button::stateTextColor();
}

Color Option::stateBkColor() const {
  if (selected_ && set(selectedBkColor_)) return selectedBkColor_;
  return Button::stateBkColor();
}

// ------------------------------------------------------------------------------------- CheckBox

CheckBox::CheckBox() : Option("CheckBox") {
  align_ = HAlign::kLeft;
}

bool CheckBox::isA(std::string_view n) const {
  return sameName(n, "CheckBox") || Option::isA(n);
}

AttributeResult CheckBox::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "threestate")) return parsedAs(parseBool(v, &threeState_));
  if (sameName(n, "halfimage")) return image(v, &halfImage_);
  if (sameName(n, "group")) return AttributeResult::kMalformed;  // a check box stands alone
  return Option::setAttribute(n, v);
}

void CheckBox::setSelected(bool s, bool sendNotify) {
  bool changed = s != selected_ || half_;
  half_ = false;
  if (!changed) return;
  if (s == selected_) {
    // Only the half mark went: the box now stands for all of what it covers instead of some,
    // which its owner must hear of as much as of a change of selection.
    invalidate();
    if (sendNotify) notify(EventType::kSelectChanged);
    return;
  }
  Option::setSelected(s, sendNotify);
}

void CheckBox::activate() {
  Button::activate();
  // A half-checked box becomes fully checked on a click.
  setSelected(half_ ? true : !selected_);
}

void CheckBox::setHalfChecked(bool h) {
  if (!threeState_) h = false;
  if (h == half_) return;
  half_ = h;
  invalidate();
}

const ImageRef& CheckBox::stateImage() const {
  if (half_ && halfImage_.valid()) return halfImage_;
  return Option::stateImage();
}

// ------------------------------------------------------------------------------------- Progress

Progress::Progress() : Label("Progress") {
  align_ = HAlign::kCenter;
}

bool Progress::isA(std::string_view n) const {
  return sameName(n, "Progress") || Label::isA(n);
}

AttributeResult Progress::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "min")) return parsedAs(parseInt(v, &min_));
  if (sameName(n, "max")) return parsedAs(parseInt(v, &max_));
  if (sameName(n, "value")) {
    int x = 0;
    if (!parseInt(v, &x)) return AttributeResult::kMalformed;
    setValue(x);
    return AttributeResult::kApplied;
  }
  if (sameName(n, "forecolor")) return color(v, &foreColor_);
  if (sameName(n, "foreimage")) return image(v, &foreImage_);
  return Label::setAttribute(n, v);
}

void Progress::setValue(int v) {
  int clamped = max_ > min_ ? std::clamp(v, min_, max_) : min_;
  if (clamped == value_) return;
  value_ = clamped;
  invalidate();
}

void Progress::paint(Painter& p) {
  paintBackground(p);
  if (max_ > min_ && value_ > min_) {
    Rect fore = rect();
    fore.right = fore.left + static_cast<int>(static_cast<long long>(fore.width()) *
                                              (value_ - min_) / (max_ - min_));
    p.pushClip(fore);
    if (set(foreColor_)) p.fillRect(fore, foreColor_);
    if (foreImage_.valid()) p.drawImage(foreImage_, rect());
    p.popClip();
  }
  paintText(p, effectiveTextColor());
  paintBorder(p);
}

// ----------------------------------------------------------------------------- native slots

NativeSlot::NativeSlot(std::string kind) : Label(std::move(kind)) {}

void NativeSlot::textChangedByUser(std::wstring text) {
  Control::setText(text);
  notify(EventType::kTextChanged);
}

void NativeSlot::setText(std::wstring_view text) {
  if (text == this->text()) return;
  Label::setText(text);
  if (window() && window()->host()) window()->host()->nativeChanged(this);
}

void NativeSlot::requestFocus() {
  focusRequested_ = true;
  if (window()) window()->setFocus(this);
  needLayout();  // the host applies focus requests after placing its native windows
}

Edit::Edit() : NativeSlot("Edit") {}

bool Edit::isA(std::string_view n) const {
  return sameName(n, "Edit") || Label::isA(n);
}

AttributeResult Edit::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "password")) return parsedAs(parseBool(v, &password_));
  if (sameName(n, "readonly")) return parsedAs(parseBool(v, &readOnly_));
  if (sameName(n, "maxchar")) {
    int m = 0;
    if (!parseInt(v, &m) || m < 1) return AttributeResult::kMalformed;
    setMaxChars(m);
    return AttributeResult::kApplied;
  }
  if (sameName(n, "prompttext")) {
    prompt_ = std::wstring(v);
    return AttributeResult::kApplied;
  }
  if (sameName(n, "nativebkcolor")) return color(v, &nativeBkColor_);
  return Label::setAttribute(n, v);
}

void Edit::setMaxChars(int n) {
  maxChars_ = std::max(n, 1);
  if (text().size() > static_cast<std::size_t>(maxChars_)) setText(text());
}

void Edit::setText(std::wstring_view text) {
  NativeSlot::setText(text.substr(0, static_cast<std::size_t>(maxChars_)));
}

void Edit::paint(Painter& p) {
  paintBackground(p);
  p.fillRect(rect().deflated(Edges{1, 1, 1, 1}), nativeBkColor_);
  // What the native box shows, painted too so an off-screen rendering matches it.
  if (!text().empty()) {
    std::wstring shown = password_ ? std::wstring(text().size(), L'\x25CF') : text();
    TextStyle s = textStyle();
    p.drawText(textRect(), shown, s);
  } else if (!prompt_.empty()) {
    TextStyle s = textStyle();
    s.color = window() ? window()->info().disabledTextColor : 0xFFA7A6AAu;
    p.drawText(textRect(), prompt_, s);
  }
  paintBorder(p);
}

RichEdit::RichEdit() : NativeSlot("RichEdit") {}

bool RichEdit::isA(std::string_view n) const {
  return sameName(n, "RichEdit") || Control::isA(n);
}

AttributeResult RichEdit::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "readonly")) return parsedAs(parseBool(v, &readOnly_));
  if (sameName(n, "multiline")) return parsedAs(parseBool(v, &multi_));
  if (sameName(n, "vscrollbar")) return parsedAs(parseBool(v, &vscroll_));
  return Label::setAttribute(n, v);
}

void RichEdit::paint(Painter& p) {
  paintBackground(p);
  paintBorder(p);
}

WebBrowser::WebBrowser() : NativeSlot("WebBrowser") {}

bool WebBrowser::isA(std::string_view n) const {
  return sameName(n, "WebBrowser") || Control::isA(n);
}

AttributeResult WebBrowser::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "homepage")) {
    homePage_ = std::wstring(v);
    url_ = homePage_;
    return AttributeResult::kApplied;
  }
  return Label::setAttribute(n, v);
}

void WebBrowser::navigate(std::wstring url) {
  url_ = std::move(url);
  ++navigation_;
  if (window() && window()->host()) window()->host()->nativeChanged(this);
}

void WebBrowser::pageLoaded(std::wstring url) {
  loadedUrl_ = std::move(url);
  if (!window()) return;
  // Queued: the browser reports from inside its own event call, which a handler must not be
  // able to tear down under it.
  Notification n;
  n.type = EventType::kNavigateComplete;
  n.sender = this;
  n.wParam = static_cast<std::int64_t>(navigation_);
  n.byUser = false;
  window()->post(n);
}

void WebBrowser::paint(Painter& p) {
  paintBackground(p);
  paintBorder(p);
}

}  // namespace qv::framework
