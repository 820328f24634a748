// The base of the program's skinned modal pop-ups (password, preview copy, export, print
// windows). A pop-up is created owned by its parent at a given size, centred on it, and run
// modally; "okbtn" closes it with 1, "closebtn" and "cancelbtn" with 2; Escape closes it with 2
// (a derived window may replace that), Enter is swallowed. At "windowinit" it applies its
// language section to its controls. Inside the caption band the window drags unless the point
// is over a button, an option, a text label or a fading button.
#pragma once

#include <windows.h>

#include <string>

#include "framework/window_host_win.h"

namespace qv::app {

class CPopUpWnd : public framework::HostWindow {
 public:
  static constexpr DWORD kStyle =
      0x96C80000;  // pop-up, visible, clip siblings/children, caption, system menu
  static constexpr DWORD kExStyle = 0x00000081;  // modal frame, tool window

  // layout: the skin file ("xml/DecryptionWnd.xml"); section: the language section to apply.
  CPopUpWnd(std::string layout, std::wstring section);

  // Builds, creates (width x height design units, owned by `owner`, centred on it) and runs the
  // window modally. Returns its result; 2 when it could not be made.
  int showModal(HWND owner, int width, int height);
  // The first two steps alone, for callers that set controls before running it.
  bool build(HWND owner, int width, int height);
  int run(HWND owner);

  const std::string& layout() const { return layout_; }

 protected:
  bool defaultNotify(const framework::Notification& n) override;
  bool onKeyDown(UINT vk) override;
  void onWindowInit() override;
  // Escape: close with 2. Derived windows change what Escape does here.
  virtual void onEscape() { close(2); }

 private:
  std::string layout_;
  std::wstring section_;
};

}  // namespace qv::app
