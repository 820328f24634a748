#include "ui/step_navigator.h"

#include "framework/container.h"
#include "framework/controls.h"

namespace qv::ui {

void StepNavigator::apply() {
  const StepScreen& s = flow_.screen();
  if (framework::Control* next = window_.find(L"BtnNext2")) next->setEnabled(s.next2Enabled);
  if (auto* tab = dynamic_cast<framework::TabLayout*>(window_.find(L"MainTabPage"))) {
    tab->setMouseChildEnabled(s.stepsTakeMouse);
    tab->selectItem(s.mainPage);
  }
  if (framework::Control* main = window_.find(L"HorLayoutMain")) main->setVisible(!s.scanHeader);
  if (framework::Control* scan = window_.find(L"HorLayoutScan")) scan->setVisible(s.scanHeader);
}

void StepNavigator::selectStep(const wchar_t* option) {
  if (auto* o = dynamic_cast<framework::Option*>(window_.find(option))) {
    o->setSelected(true);
    // Selecting the option that is selected already says nothing; its page must show anyway.
    showStepPage(option);
  }
}

bool StepNavigator::showStepPage(std::wstring_view option) {
  const int page = StepFlow::stepPageOf(option);
  if (page < 0) return false;
  if (auto* tab = dynamic_cast<framework::TabLayout*>(window_.find(L"TabPage")))
    tab->selectItem(page);
  return true;
}

}  // namespace qv::ui
