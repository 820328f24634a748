// The base of the main window's page controllers. A page gets the notifications of the controls
// inside its layout part (the part whose "virtualwnd" names it), finds the window's controls by
// name, and applies its language section. A control a page cannot find is skipped.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "framework/notify.h"
#include "framework/window_host_win.h"

namespace qv::ui {

class CBaseVrtWnd : public framework::NotifyMap {
 public:
  explicit CBaseVrtWnd(framework::HostWindow& window) : window_(window) {}

 protected:
  framework::Control* find(std::wstring_view name) const { return window_.find(name); }
  template <typename T>
  T* findAs(std::wstring_view name) const {
    return dynamic_cast<T*>(window_.find(name));
  }
  HWND hwnd() const { return window_.hwnd(); }
  framework::HostWindow& window() const { return window_; }
  // The language section's texts to the controls they name (except those in `except`).
  void applySection(const wchar_t* section, const std::set<std::wstring>& except = {});
  // A message of the language's "Messages" section.
  static std::wstring message(const wchar_t* id);

 private:
  framework::HostWindow& window_;
};

}  // namespace qv::ui
