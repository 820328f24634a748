// The standard leaf controls: labels, text labels, buttons, options, check boxes, progress bars,
// and the natively hosted edit, rich edit and web browser slots.
//
// Element name -> class (isA answers every name on the line):
//   Label       Label, Control
//   Text        Text, Label, Control              (markup text and links on by default)
//   Button      Button, Label, Control
//   Option      Option, Button, Label, Control    (a group of options keeps one selected)
//   CheckBox    CheckBox, Option, Button, Label, Control   (three-state when "threestate")
//   Progress    Progress, Label, Control
//   Edit        Edit, Label, Control              (a native edit box over its rectangle)
//   RichEdit    RichEdit, Control                 (a native rich edit box)
//   WebBrowser  WebBrowser, Control               (a native browser, or its fallback)
#pragma once

#include "framework/control.h"

namespace qv::framework {

class Label : public Control {
 public:
  explicit Label(std::string kind = "Label");
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void setText(std::wstring_view text) override;
  Size estimateSize(Size available, TextMeasurer& m, int dpi) override;
  void paint(Painter& p) override;
  Control* hitTest(Point p) override;
  void onMouseUp(const MouseEvent& e, bool inside) override;

  Color textColor() const { return textColor_; }
  void setTextColor(Color c);
  Color disabledTextColor() const { return disabledTextColor_; }
  void setDisabledTextColor(Color c);
  int font() const { return font_; }
  void setFont(int index);
  const Edges& textPadding() const { return textPadding_; }
  void setTextPadding(const Edges& e);
  bool showHtml() const { return showHtml_; }
  void setShowHtml(bool on);
  HAlign align() const { return align_; }
  void setAlign(HAlign a);
  bool multiLine() const { return !singleLine_; }
  const MarkupText& markup() const { return markup_; }
  // Where the last paint placed the markup's runs (links are hit-tested against them).
  const std::vector<PlacedRun>& placedRuns() const { return placed_; }
  // Text style as painted now (colour by state); colours left unset come from the window.
  virtual TextStyle textStyle() const;
  // Where the text goes: the control less its text padding (pixels).
  Rect textRect() const;

 protected:
  void paintText(Painter& p, Color color);
  Color effectiveTextColor() const;

  Color textColor_ = 0;
  Color disabledTextColor_ = 0;
  int font_ = -1;
  Edges textPadding_;
  bool showHtml_ = false;
  bool singleLine_ = true;
  bool endEllipsis_ = false;
  bool autoCalcWidth_ = false;
  HAlign align_ = HAlign::kLeft;
  VAlign valign_ = VAlign::kCenter;
  MarkupText markup_;
  std::vector<PlacedRun> placed_;  // last paint's placement of the markup, for link hits
  int pressedLink_ = -1;
};

class Text : public Label {
 public:
  Text();
  bool isA(std::string_view n) const override;
};

class Button : public Label {
 public:
  explicit Button(std::string kind = "Button");
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void paint(Painter& p) override;
  Control* hitTest(Point p) override;
  void onMouseEnter() override;
  void onMouseLeave() override;
  void onMouseDown(const MouseEvent& e) override;
  void onMouseUp(const MouseEvent& e, bool inside) override;
  // What a click does once the press was released over the control: a button sends "click".
  virtual void activate();

  const ImageRef& normalImage() const { return normalImage_; }
  void setNormalImage(const ImageRef& i);
  void setHotImage(const ImageRef& i);
  void setPushedImage(const ImageRef& i);
  void setDisabledImage(const ImageRef& i);

 protected:
  // The state image for the current state, falling back to the normal image.
  virtual const ImageRef& stateImage() const;
  virtual Color stateTextColor() const;
  virtual Color stateBkColor() const;

  ImageRef normalImage_, hotImage_, pushedImage_, focusedImage_, disabledImage_;
  ImageRef foreImage_, hotForeImage_;
  Color hotTextColor_ = 0, pushedTextColor_ = 0;
  Color hotBkColor_ = 0, pushedBkColor_ = 0, disabledBkColor_ = 0;
  Color hotBorderColor_ = 0;
};

class Option : public Button {
 public:
  explicit Option(std::string kind = "Option");
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void activate() override;

  const std::wstring& group() const { return group_; }
  bool selected() const { return selected_; }
  // Selects or clears; selecting one option of a group clears the others. Sends
  // "selectchanged" when the state changed (byUser false when sendNotify is false).
  virtual void setSelected(bool selected, bool sendNotify = true);
  void setSelectedImage(const ImageRef& i);
  void paint(Painter& p) override;

 protected:
  const ImageRef& stateImage() const override;
  Color stateTextColor() const override;
  Color stateBkColor() const override;

  std::wstring group_;
  int underline_ = 0;  // design units: a bar under a selected option (step tabs)
  Color underlineColor_ = 0;
  bool selected_ = false;
  ImageRef selectedImage_, selectedHotImage_, selectedForeImage_;
  Color selectedTextColor_ = 0, selectedBkColor_ = 0;
};

class CheckBox : public Option {
 public:
  CheckBox();
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void activate() override;
  void setSelected(bool selected, bool sendNotify = true) override;

  bool threeState() const { return threeState_; }
  // The half-checked look of a selected three-state box (some but not all of what it stands
  // for is chosen). Cleared whenever the selection changes.
  bool halfChecked() const { return half_; }
  void setHalfChecked(bool half);

 protected:
  const ImageRef& stateImage() const override;

  bool threeState_ = false;
  bool half_ = false;
  ImageRef halfImage_;
};

class Progress : public Label {
 public:
  Progress();
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void paint(Painter& p) override;
  int value() const { return value_; }
  void setValue(int v);  // clamped to [min, max]
  int minValue() const { return min_; }
  int maxValue() const { return max_; }

 private:
  int min_ = 0, max_ = 100, value_ = 0;
  Color foreColor_ = 0;
  ImageRef foreImage_;
};

// Slots for native child windows. The portable part keeps the text and settings; the backend
// creates the native window over the slot's rectangle and keeps the two in step.
class NativeSlot : public Label {
 public:
  explicit NativeSlot(std::string kind);
  // Called by the backend when the native window's text changed (the user typed).
  void textChangedByUser(std::wstring text);
  void setText(std::wstring_view text) override;
  // The backend's native window handle, opaque here.
  void* nativeHandle() const { return native_; }
  void setNativeHandle(void* h) { native_ = h; }
  bool wantsFocus() const override { return true; }
  // The program asks for the keyboard focus; the backend moves it when the native window exists.
  void requestFocus();
  bool focusRequested() const { return focusRequested_; }
  void clearFocusRequest() { focusRequested_ = false; }

 protected:
  void* native_ = nullptr;
  bool focusRequested_ = false;
};

class Edit : public NativeSlot {
 public:
  Edit();
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void paint(Painter& p) override;
  bool password() const { return password_; }
  void setPassword(bool on) { password_ = on; }
  int maxChars() const { return maxChars_; }
  void setMaxChars(int n);
  bool readOnly() const { return readOnly_; }
  const std::wstring& promptText() const { return prompt_; }
  // Trims the text to maxChars before storing it.
  void setText(std::wstring_view text) override;

 private:
  bool password_ = false;
  bool readOnly_ = false;
  int maxChars_ = 255;
  std::wstring prompt_;
  Color nativeBkColor_ = 0xFFFFFFFFu;
};

class RichEdit : public NativeSlot {
 public:
  RichEdit();
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void paint(Painter& p) override;
  bool readOnly() const { return readOnly_; }
  bool multiLine() const { return multi_; }
  bool vScrollBar() const { return vscroll_; }

 private:
  bool readOnly_ = false;
  bool multi_ = true;
  bool vscroll_ = false;
};

class WebBrowser : public NativeSlot {
 public:
  WebBrowser();
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void paint(Painter& p) override;
  const std::wstring& homePage() const { return homePage_; }
  // The page the backend shows next; the fallback shows the address and the page's plain text.
  const std::wstring& url() const { return url_; }
  void navigate(std::wstring url);
  std::uint64_t navigation() const { return navigation_; }
  // The backend's browser finished loading a page: remembers its address and posts
  // "navigatecomplete" (the fallback loads nothing and never sends it).
  void pageLoaded(std::wstring url);
  const std::wstring& loadedUrl() const { return loadedUrl_; }

 private:
  std::wstring homePage_;
  std::wstring url_;
  std::wstring loadedUrl_;
  std::uint64_t navigation_ = 0;
};

}  // namespace qv::framework
