#include "ui/decryption_wnd.h"

#include <shellapi.h>

#include "app/assist_menu.h"
#include "framework/container.h"
#include "framework/controls.h"

namespace qv::ui {

CDecryptionWnd::CDecryptionWnd() : CPopUpWnd("xml/DecryptionWnd.xml", L"DecryptionWnd") {}

std::function<void(const std::wstring&)>& CDecryptionWnd::pageOpener() {
  static std::function<void(const std::wstring&)> open = [](const std::wstring& path) {
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  };
  return open;
}

void CDecryptionWnd::onWindowInit() {
  CPopUpWnd::onWindowInit();
  auto* edit = dynamic_cast<framework::Edit*>(find(L"EditPassword"));
  if (!edit) {
    // A layout without the edit box still gets one, where the password row is.
    auto* row = dynamic_cast<framework::Container*>(find(L"HorLayout"));
    if (!row) return;
    auto made = std::make_unique<framework::Edit>();
    made->setName(L"EditPassword");
    made->setAttribute("width", L"350");
    made->setAttribute("height", L"35");
    made->setAttribute("password", L"true");
    made->setAttribute("padding", L"5,5,20,0");
    made->setAttribute("textpadding", L"10,0,10,0");
    made->setAttribute("maxchar", L"256");
    made->setAttribute("bordercolor", L"#FF1A73B8");
    made->setAttribute("bordersize", L"1");
    edit = static_cast<framework::Edit*>(row->add(std::move(made)));
  }
  edit->requestFocus();
}

bool CDecryptionWnd::handleNotify(const framework::Notification& n) {
  if (n.type != framework::EventType::kClick || !n.sender) return false;
  const std::wstring& name = n.sender->name();
  if (name == L"BtnOK") {
    if (framework::Control* edit = find(L"EditPassword")) password_ = edit->text();
    close(1);
    return true;
  }
  if (name == L"BtnCancel") {
    close(2);
    return true;
  }
  if (name == L"BtnRestoreLink") {
    // The help page answers it under "Frequent questions".
    pageOpener()(app::assistPagePath(app::AssistPage::kTutorial));
    return true;
  }
  return false;
}

}  // namespace qv::ui
