// The program's message box: five kinds, each its own layout, with the controls "title",
// "message", "okbtn", "cancelbtn" (where the kind has one) and "closebtn". Results: 1 for "okbtn",
// 2 for "cancelbtn", "closebtn" or Escape. Texts of the kind's default title come from the
// "Messages" section; the box's own control texts from the "MessageBox" section.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/popup_wnd.h"

namespace qv::app {

enum class MessageKind { kError = 0, kConfirm = 1, kInformation = 2, kWarning = 3, kQuestion = 4 };

class CMessageBox : public CPopUpWnd {
 public:
  // Any code other than 0 to 4 is an Error box.
  explicit CMessageBox(int kind);
  MessageKind kind() const { return kind_; }

  // Shows a box modally and returns its result. With no title (null) the box takes its kind's
  // default title text.
  static int show(int kind, const wchar_t* title, const std::wstring& text, HWND parent, int width,
                  int height);
  // A Warning box of 550 x 200, built but not shown: the caller sets "title" and "message",
  // shows "cancelbtn" and runs it with run().
  static std::unique_ptr<CMessageBox> prepareWarning(HWND parent);

  void setTitle(const std::wstring& title);
  void setMessage(const std::wstring& text);

  // The layout and default title id of a kind code.
  static const char* layoutOf(int kind);
  static const wchar_t* defaultTitleIdOf(int kind);

 private:
  MessageKind kind_;
};

}  // namespace qv::app
