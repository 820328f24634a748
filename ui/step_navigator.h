// The main window's steps as the pages drive them: the step rules (step_flow.h) and what they
// show, put on the window's controls ("BtnNext2", "MainTabPage", the two header layouts, the
// step options and "TabPage").
#pragma once

#include "framework/window_host_win.h"
#include "ui/step_flow.h"

namespace qv::ui {

class StepNavigator {
 public:
  explicit StepNavigator(framework::HostWindow& window) : window_(window) {}
  StepFlow& flow() { return flow_; }

  // Shows what the rules say now.
  void apply();
  // Selects a step option ("OptStep1", "OptStep2"); its page follows (showStepPage).
  void selectStep(const wchar_t* option);
  // Shows the "TabPage" page of a step option that was selected; false for one that shows none.
  bool showStepPage(std::wstring_view option);

 private:
  framework::HostWindow& window_;
  StepFlow flow_;
};

}  // namespace qv::ui
