#include "app/message_box.h"

#include "app/settings.h"

namespace qv::app {

namespace {

int normalised(int kind) {
  return kind >= 0 && kind <= 4 ? kind : 0;
}

}  // namespace

const char* CMessageBox::layoutOf(int kind) {
  static const char* const kLayouts[] = {
      "xml/MessageBox_Error.xml", "xml/MessageBox_Confirm.xml", "xml/MessageBox_Information.xml",
      "xml/MessageBox_Warning.xml", "xml/MessageBox_Question.xml"};
  return kLayouts[normalised(kind)];
}

const wchar_t* CMessageBox::defaultTitleIdOf(int kind) {
  static const wchar_t* const kIds[] = {L"MSG0401", L"MSG0402", L"MSG0403", L"MSG0405", L"MSG0404"};
  return kIds[normalised(kind)];
}

CMessageBox::CMessageBox(int kind)
    : CPopUpWnd(layoutOf(kind), L"MessageBox"), kind_(static_cast<MessageKind>(normalised(kind))) {}

void CMessageBox::setTitle(const std::wstring& title) {
  if (framework::Control* c = find(L"title")) c->setText(title);
}

void CMessageBox::setMessage(const std::wstring& text) {
  if (framework::Control* c = find(L"message")) c->setText(text);
}

int CMessageBox::show(int kind, const wchar_t* title, const std::wstring& text, HWND parent,
                      int width, int height) {
  Settings& settings = Settings::get();
  std::wstring heading = title ? std::wstring(title) : settings.message(defaultTitleIdOf(kind));
  CMessageBox box(kind);
  if (!box.build(parent, width, height)) return 2;
  box.setTitle(heading);
  box.setMessage(text);
  return box.run(parent);
}

std::unique_ptr<CMessageBox> CMessageBox::prepareWarning(HWND parent) {
  auto box = std::make_unique<CMessageBox>(static_cast<int>(MessageKind::kWarning));
  if (!box->build(parent, 550, 200)) return nullptr;
  box->setTitle(Settings::get().message(defaultTitleIdOf(3)));
  return box;
}

}  // namespace qv::app
