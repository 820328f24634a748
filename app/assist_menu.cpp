#include "app/assist_menu.h"

#include <shellapi.h>

#include "app/settings.h"
#include "framework/controls.h"
#include "framework/language.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace qv::app {

using framework::MenuElement;

std::wstring assistPagePath(AssistPage page) {
  const char* file = page == AssistPage::kTutorial ? "docs/tutorial.md"
                     : page == AssistPage::kAbout  ? "docs/about.md"
                                                   : "docs/support.md";
  std::wstring path = platform::toWide(platform::joinPath(Settings::get().appFolder(), file));
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

AssistMenu::AssistMenu(HWND mainWindow) : main_(mainWindow) {
  openPage = [](const std::wstring& path) {
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  };
  session_.setInitHandler([this](framework::HostWindow& top) { init(top); });
  session_.setItemHandler([this](MenuElement* item, MenuElement* parent) { onItem(item, parent); });
}

bool AssistMenu::open(framework::HostWindow& main, const framework::Control& anchor) {
  POINT p{anchor.rect().left, anchor.rect().bottom};
  ClientToScreen(main.hwnd(), &p);
  return session_.open(main.hwnd(), "xml/menu_assist.xml", p);
}

void AssistMenu::init(framework::HostWindow& top) {
  Settings& settings = Settings::get();
  framework::applyLanguage(*top.window().root(), settings.section(L"MenuWnd"));
  auto* language = dynamic_cast<MenuElement*>(top.find(L"item_language"));
  if (!language) return;
  language->removeAllSubItems();
  const std::wstring current = settings.currentLanguage();
  for (const auto& [name, display] : settings.languages()) {
    auto item = std::make_unique<MenuElement>();
    item->setName(name);
    item->setText(display);
    item->setAttribute("height", L"32");
    item->setAttribute("width", L"160");
    item->setAttribute("textcolor", L"#FFE6EBF0");
    item->setAttribute("hotbkcolor", L"#FF33455A");
    item->setAttribute("textpadding", L"36,0,12,0");
    if (name == current) {
      auto mark = std::make_unique<framework::Label>();
      mark->setName(L"current_mark");
      mark->setAttribute("float", L"true");
      mark->setAttribute("pos", L"12,6,28,26");
      mark->setAttribute("mouse", L"false");
      mark->setBkImage(L"file='Controls.png' source='359,38,375,54' dest='0,4,16,20'");
      item->add(std::move(mark));
    }
    language->addSubItem(std::move(item));
  }
}

void AssistMenu::onItem(MenuElement* item, MenuElement* parent) {
  const std::wstring& name = item->name();
  if (parent && parent->name() == L"item_language") {
    if (Settings::get().setLanguage(name) == 0) PostMessageW(main_, kMsgLanguageRefresh, 0, 0);
    return;
  }
  if (name == L"item_help" || name == L"item_faq") {
    openPage(assistPagePath(AssistPage::kTutorial));
  } else if (name == L"item_about") {
    openPage(assistPagePath(AssistPage::kAbout));
  } else if (name == L"item_support") {
    openPage(assistPagePath(AssistPage::kSupport));
  } else if (name == L"item_exit") {
    PostMessageW(main_, WM_CLOSE, 1, 0);
  }
}

}  // namespace qv::app
