#include "ui/specify_file_vrt_wnd.h"

#include "app/message_box.h"
#include "app/window_messages.h"
#include "platform/text.h"
#include "ui/decryption_wnd.h"
#include "ui/scan_vrt_wnd.h"

namespace qv::ui {

using framework::EventType;
using framework::Notification;

CSpecifyFileVrtWnd::CSpecifyFileVrtWnd(framework::HostWindow& window, CScanVrtWnd& scan,
                                       StepNavigator& steps)
    : CBaseVrtWnd(window), scan_(scan), steps_(steps) {
  for (int i = 0; i < engine::kCategoryCount; ++i) {
    const std::wstring name =
        platform::toWide(engine::categoryOptionName(static_cast<engine::ItemCategory>(i)));
    on(EventType::kSelectChanged, name, [this, i](const Notification& n) {
      if (n.byUser) onOptionChanged(i);
    });
  }
  on(EventType::kSelectChanged, L"ChkSelAll", [this](const Notification& n) {
    if (n.byUser) onSelectAllChanged();
  });
  on(EventType::kClick, L"BtnNext2", [this](const Notification&) { onNext(); });
}

void CSpecifyFileVrtWnd::init() {
  applySection(L"PageSpecifyFile");
  options_.clear();
  for (int i = 0; i < engine::kCategoryCount; ++i) {
    auto* o = findAs<framework::Option>(
        platform::toWide(engine::categoryOptionName(static_cast<engine::ItemCategory>(i))));
    options_.push_back(o);
    choice_.setOption(i, o != nullptr && o->selected());
  }
  selectAll_ = findAs<framework::CheckBox>(L"ChkSelAll");
  showChoice();
}

void CSpecifyFileVrtWnd::languageRefresh() {
  applySection(L"PageSpecifyFile");
}

void CSpecifyFileVrtWnd::showChoice() {
  for (int i = 0; i < static_cast<int>(options_.size()); ++i) {
    if (options_[static_cast<std::size_t>(i)])
      options_[static_cast<std::size_t>(i)]->setSelected(choice_.option(i), false);
  }
  if (selectAll_) {
    const SelectAllState state = choice_.selectAll();
    selectAll_->setSelected(state != SelectAllState::kUnchecked, false);
    selectAll_->setHalfChecked(state == SelectAllState::kHalfChecked);  // after: select clears it
  }
  if (framework::Control* next = find(L"BtnNext2")) next->setEnabled(choice_.nextEnabled());
}

void CSpecifyFileVrtWnd::onOptionChanged(int index) {
  const framework::Option* o =
      options_.empty() ? nullptr : options_[static_cast<std::size_t>(index)];
  if (!o) return;
  choice_.setOption(index, o->selected());
  showChoice();
}

void CSpecifyFileVrtWnd::onSelectAllChanged() {
  if (!selectAll_) return;
  choice_.setAll(selectAll_->selected());
  showChoice();
}

void CSpecifyFileVrtWnd::startScan() {
  steps_.flow().nextPressed();
  steps_.apply();
  steps_.flow().scanStarted(engine::SourceKind::kLocalBackup);
  PostMessageW(hwnd(), app::kMsgStartScan, static_cast<WPARAM>(engine::SourceKind::kLocalBackup),
               0);
}

void CSpecifyFileVrtWnd::onNext() {
  if (!choice_.nextEnabled()) return;
  steps_.flow().nextPressed();
  steps_.apply();
  if (passwordRequest() == 1) {
    steps_.flow().requestCancelled();
    steps_.apply();
    return;
  }
  startScan();
}

int CSpecifyFileVrtWnd::passwordRequest() {
  if (!scan_.chosenBackup().encrypted) return 0;
  for (;;) {
    CDecryptionWnd window;
    if (window.showModal(hwnd(), 550, 270) != 1) return 1;
    if (!window.password().empty()) {
      scan_.setPassword(window.password());
      return 0;
    }
    const int answer = app::CMessageBox::show(static_cast<int>(app::MessageKind::kWarning), nullptr,
                                              message(L"MSG0301"), hwnd(), 550, 200);
    if (answer != 1) {
      scan_.setPassword(std::wstring());
      return 0;
    }
  }
}

void CSpecifyFileVrtWnd::firstProgress() {
  if (!steps_.flow().firstProgress()) return;
  steps_.apply();
  scan_.showWaitingPanel();
}

void CSpecifyFileVrtWnd::wrongPassword() {
  if (!steps_.flow().wrongPassword()) return;
  app::CMessageBox::show(static_cast<int>(app::MessageKind::kInformation), nullptr,
                         message(L"MSG0302"), hwnd(), 550, 200);
  if (passwordRequest() == 1) {
    steps_.flow().requestCancelled();
    steps_.apply();
    return;
  }
  startScan();
}

}  // namespace qv::ui
