#include "ui/base_vrt_wnd.h"

#include "app/settings.h"
#include "framework/language.h"

namespace qv::ui {

void CBaseVrtWnd::applySection(const wchar_t* section, const std::set<std::wstring>& except) {
  if (framework::Control* root = window_.window().root())
    framework::applyLanguage(*root, app::Settings::get().section(section), except);
}

std::wstring CBaseVrtWnd::message(const wchar_t* id) {
  return app::Settings::get().message(id);
}

}  // namespace qv::ui
