#include "app/main_wnd.h"

#include "app/settings.h"
#include "app/window_messages.h"
#include "framework/language.h"

namespace qv::app {

using framework::EventType;
using framework::Notification;

CMainWnd::CMainWnd(const engine::EngineSetup& setup, PlayerProcesses& players)
    : engine_(setup),
      steps_(*this),
      backupPage_(*this, engine_, scanPage_, steps_),
      categoryPage_(*this, scanPage_, steps_),
      scanPage_(*this, engine_, source_, steps_),
      previewPage_(*this, engine_, players) {
  scanPage_.setPages(&categoryPage_, &previewPage_);
  framework::NotifyRouter& router = window().router();
  router.setController(L"ItunesVtrWnd", &backupPage_);
  router.setController(L"SpecifyFileVtrWnd", &categoryPage_);
  router.setController(L"ScanVtrWnd", &scanPage_);
  router.setController(L"PreviewVtrWnd", &previewPage_);
}

CMainWnd::~CMainWnd() {
  framework::NotifyRouter& router = window().router();
  for (const wchar_t* name :
       {L"ItunesVtrWnd", L"SpecifyFileVtrWnd", L"ScanVtrWnd", L"PreviewVtrWnd"})
    router.setController(name, nullptr);
}

bool CMainWnd::createWindow() {
  if (loadLayout("xml/skin.xml") != 0) return false;
  if (!create(nullptr, kTitle, kStyle & ~WS_VISIBLE, kExStyle, 0, 0, kWidth, kHeight)) return false;
  menu_ = std::make_unique<AssistMenu>(hwnd());
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (WPARAM which : {WPARAM{ICON_BIG}, WPARAM{ICON_SMALL}}) {
    const int size = GetSystemMetrics(which == ICON_BIG ? SM_CXICON : SM_CXSMICON);
    if (HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size,
                                 LR_DEFAULTCOLOR | LR_SHARED)) {
      SendMessageW(hwnd(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
  }
  centerOnOwner();
  ShowWindow(hwnd(), SW_SHOW);
  SetFocus(hwnd());
  return true;
}

void CMainWnd::applyOwnTexts() {
  if (framework::Control* root = window().root())
    framework::applyLanguage(*root, Settings::get().section(L"MainWnd"));
}

void CMainWnd::onWindowInit() {
  applyOwnTexts();
  backupPage_.init();
  categoryPage_.init();
  scanPage_.init();
  previewPage_.init();
}

void CMainWnd::languageRefresh() {
  applyOwnTexts();
  backupPage_.languageRefresh();
  categoryPage_.languageRefresh();
  scanPage_.languageRefresh();
  previewPage_.languageRefresh();
}

bool CMainWnd::handleNotify(const Notification& n) {
  if (!n.sender) return false;
  const std::wstring& name = n.sender->name();
  if (n.type == EventType::kSelectChanged) {
    // Step options: a selected one shows its page; "OptStep3" shows none.
    auto* option = dynamic_cast<framework::Option*>(n.sender);
    if (option && option->selected() && option->group() == L"grp_step")
      return steps_.showStepPage(name);
    return false;
  }
  if (n.type != EventType::kClick) return false;
  if (name == L"BtnAssist") {
    if (menu_) menu_->open(*this, *n.sender);
    return true;
  }
  if (name == L"BtnScanPause") {
    scanPage_.pauseOrResume();
    return true;
  }
  if (name == L"BtnScanStop") {
    scanPage_.stop();
    return true;
  }
  return false;
}

bool CMainWnd::onKeyDown(UINT vk) {
  return vk == VK_RETURN || vk == VK_ESCAPE;  // consumed: they do nothing here
}

bool CMainWnd::onCloseRequest() {
  return scanPage_.exitConfirmation() != 2;
}

LRESULT CMainWnd::handleMessage(UINT msg, WPARAM w, LPARAM, bool* handled) {
  *handled = true;
  switch (msg) {
    case kMsgPreviewReady:
      previewPage_.previewReady();
      return 0;
    case kMsgLanguageRefresh:
      languageRefresh();
      return 1;
    case kMsgStartScan:
      scanPage_.startScan(w);
      return 0;
    case kMsgTreeCounts:
      scanPage_.refreshTreeCounts();
      return 0;
    case kMsgSelectDefault:
      scanPage_.selectDefaultNode(static_cast<int>(w));
      return 1;
    case kMsgScanEnded:
      scanPage_.endOfScan(static_cast<int>(w));
      return 0;
    case kMsgScanProgress:
      if (w == 1) scanPage_.wrongPasswordArrived();
      if (scanPage_.sourceKind() == engine::SourceKind::kLocalBackup) {
        if (w == 0) categoryPage_.firstProgress();
        if (w == 1) categoryPage_.wrongPassword();
      }
      return 1;
    case kMsgScanPercent:
      scanPage_.showPercent(static_cast<int>(w));
      return 0;
    case kMsgScanStartFailed:
      scanPage_.startFailed();
      return 0;
    default:
      *handled = false;
      return 0;
  }
}

void CMainWnd::onFinalMessage() {
  if (!endsProgram_) return;
  PostQuitMessage(0);
  delete this;
}

}  // namespace qv::app
