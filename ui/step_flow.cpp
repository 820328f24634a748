#include "ui/step_flow.h"

namespace qv::ui {

int StepFlow::stepPageOf(std::wstring_view optionName) {
  if (optionName == L"OptStep1") return 0;
  if (optionName == L"OptStep2") return 1;
  return -1;
}

void StepFlow::stepTwoUsable() {
  screen_.next2Enabled = true;
  screen_.stepsTakeMouse = true;
}

void StepFlow::nextPressed() {
  screen_.next2Enabled = false;
  screen_.stepsTakeMouse = false;
}

void StepFlow::requestCancelled() {
  waiting_ = false;
  stepTwoUsable();
}

void StepFlow::scanStarted(engine::SourceKind kind) {
  kind_ = kind;
  waiting_ = true;
}

bool StepFlow::firstProgress() {
  if (!waiting_ || kind_ != engine::SourceKind::kLocalBackup) return false;
  waiting_ = false;
  stepTwoUsable();
  screen_.mainPage = 1;
  screen_.scanHeader = true;
  return true;
}

bool StepFlow::wrongPassword() {
  if (!waiting_ || kind_ != engine::SourceKind::kLocalBackup) return false;
  // The request that follows decides: nextPressed() and a new scan, or requestCancelled().
  waiting_ = false;
  return true;
}

void StepFlow::scanEnded() {
  if (!waiting_) return;
  waiting_ = false;
  stepTwoUsable();
}

void StepFlow::home() {
  waiting_ = false;
  screen_ = StepScreen();
}

}  // namespace qv::ui
