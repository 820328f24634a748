// The assist menu that drops down from the header's "BtnAssist": help, FAQ, about, support, exit
// and, when the layout shows it, the language list. Its texts come from the "MenuWnd" section;
// the language sub-menu lists the installed languages and marks the current one.
//
// The help pages are the project's own, shipped beside the program in "docs/": the tutorial
// (opened by Help and FAQ), the about page and the support page.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/window_messages.h"
#include "framework/menu_session_win.h"

namespace qv::app {

enum class AssistPage { kTutorial, kAbout, kSupport };

// The page's file beside the program ("<program folder>/docs/tutorial.md" ...).
std::wstring assistPagePath(AssistPage page);

class AssistMenu {
 public:
  explicit AssistMenu(HWND mainWindow);
  // Opens the menu with its top-left corner at the anchor's bottom-left corner.
  bool open(framework::HostWindow& main, const framework::Control& anchor);
  framework::MenuSession& session() { return session_; }

  // How a page is opened; the shell's "open" by default (tests replace it).
  std::function<void(const std::wstring& path)> openPage;

 private:
  void init(framework::HostWindow& top);
  void onItem(framework::MenuElement* item, framework::MenuElement* parent);

  HWND main_;
  framework::MenuSession session_;
};

}  // namespace qv::app
