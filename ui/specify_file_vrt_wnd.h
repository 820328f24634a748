// The category page controller, "SpecifyFileVtrWnd": step 2. Fourteen options, one per
// category, and "ChkSelAll" (checked, half-checked or unchecked as all, some or none are
// chosen; category_choice.h); "Next" asks for the password of an encrypted backup and starts the
// scan; the main window hands it the scan's first progress and a wrong password.
#pragma once

#include <vector>

#include "engine/items.h"
#include "framework/controls.h"
#include "ui/base_vrt_wnd.h"
#include "ui/category_choice.h"
#include "ui/step_navigator.h"

namespace qv::ui {

class CScanVrtWnd;

class CSpecifyFileVrtWnd : public CBaseVrtWnd {
 public:
  CSpecifyFileVrtWnd(framework::HostWindow& window, CScanVrtWnd& scan, StepNavigator& steps);

  void init();
  // The language refresh reaches this page too, so step 2 never keeps the old language.
  void languageRefresh();

  // The chosen categories, bit i for the category with id i.
  const engine::CategorySet& chosen() const { return choice_.chosen(); }

  // The main window's message 0x040B for a local backup's scan.
  void firstProgress();
  void wrongPassword();

  // Asks for the password of an encrypted backup. 1 when the user cancelled, 0 when a password
  // was stored in the scan page or none is needed.
  int passwordRequest();

 private:
  void onOptionChanged(int index);
  void onSelectAllChanged();
  void onNext();
  void startScan();
  void showChoice();

  CScanVrtWnd& scan_;
  StepNavigator& steps_;
  CategoryChoice choice_;
  std::vector<framework::Option*> options_;  // page order; null where the layout lacks one
  framework::CheckBox* selectAll_ = nullptr;
};

}  // namespace qv::ui
