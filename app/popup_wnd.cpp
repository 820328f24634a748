#include "app/popup_wnd.h"

#include "app/settings.h"
#include "framework/language.h"

namespace qv::app {

CPopUpWnd::CPopUpWnd(std::string layout, std::wstring section)
    : layout_(std::move(layout)), section_(std::move(section)) {
  setCaptionClientClasses({"ButtonUI", "OptionUI", "TextUI", "FadeButtonUI"});
}

bool CPopUpWnd::build(HWND owner, int width, int height) {
  if (loadLayout(layout_) != 0) return false;
  if (!create(owner, L"", kStyle & ~WS_VISIBLE, kExStyle, 0, 0, width, height)) return false;
  centerOnOwner();
  return true;
}

int CPopUpWnd::run(HWND owner) {
  return runModal(owner);
}

int CPopUpWnd::showModal(HWND owner, int width, int height) {
  if (!build(owner, width, height)) return 2;
  return run(owner);
}

void CPopUpWnd::onWindowInit() {
  if (section_.empty() || !window().root()) return;
  framework::applyLanguage(*window().root(), Settings::get().section(section_));
}

bool CPopUpWnd::defaultNotify(const framework::Notification& n) {
  if (n.type == framework::EventType::kClick && n.sender) {
    const std::wstring& name = n.sender->name();
    if (name == L"okbtn") {
      close(1);
      return true;
    }
    if (name == L"cancelbtn" || name == L"closebtn") {
      close(2);
      return true;
    }
  }
  return HostWindow::defaultNotify(n);
}

bool CPopUpWnd::onKeyDown(UINT vk) {
  if (vk == VK_ESCAPE) {
    onEscape();
    return true;
  }
  return vk == VK_RETURN;  // swallowed
}

}  // namespace qv::app
