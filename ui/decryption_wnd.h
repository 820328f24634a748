// The password window of an encrypted backup ("xml/DecryptionWnd.xml", section
// "DecryptionWnd"): a masked edit box of at most 256 characters that has the keyboard focus,
// "BtnOK" (keeps the text and closes with 1), "BtnCancel" and the close button (2), and
// "BtnRestoreLink", which opens the help page on forgotten passwords and leaves the window open.
#pragma once

#include <functional>
#include <string>

#include "app/popup_wnd.h"

namespace qv::ui {

class CDecryptionWnd : public app::CPopUpWnd {
 public:
  CDecryptionWnd();
  // The password as typed when "BtnOK" closed the window; empty otherwise.
  const std::wstring& password() const { return password_; }

  // How the forgotten-password page is opened: the shell's "open" by default (tests replace it).
  static std::function<void(const std::wstring& path)>& pageOpener();

 protected:
  void onWindowInit() override;
  bool handleNotify(const framework::Notification& n) override;

 private:
  std::wstring password_;
};

}  // namespace qv::ui
