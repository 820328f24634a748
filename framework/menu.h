// Menu content: a Menu is a vertical box of MenuElement rows. A MenuElement shows an icon and a
// text, may hold other controls (a check mark), and keeps the MenuElements nested in it as its
// sub-menu, which a menu session (menu_session_win.cpp) shows in a pop-up of its own. Clicking a
// row without a sub-menu sends "itemclick".
#pragma once

#include "framework/container.h"

namespace qv::framework {

class Menu : public VerticalLayout {
 public:
  Menu();
  bool isA(std::string_view n) const override;
};

class MenuElement : public Container {
 public:
  MenuElement();
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  // Nested MenuElements become the sub-menu; anything else is shown inside the row.
  Control* adopt(ControlPtr child) override;

  // ---- sub-menu
  std::size_t subItemCount() const { return subItems_.size(); }
  MenuElement* subItem(std::size_t i) const;
  MenuElement* addSubItem(std::unique_ptr<MenuElement> item);
  void removeAllSubItems() { subItems_.clear(); }
  // Moves the sub-items out (to a pop-up's Menu) and back.
  std::vector<std::unique_ptr<MenuElement>> takeSubItems();
  void returnSubItems(std::vector<std::unique_ptr<MenuElement>> items);
  bool hasSubMenu() const { return !subItems_.empty(); }

  const ImageRef& icon() const { return icon_; }
  void setIcon(const ImageRef& icon);

  void paint(Painter& p) override;
  Control* hitTest(Point p) override;
  void onMouseEnter() override;
  void onMouseLeave() override;
  void onMouseUp(const MouseEvent& e, bool inside) override;

 private:
  std::vector<std::unique_ptr<MenuElement>> subItems_;
  ImageRef icon_;
  Color hotBkColor_ = 0xFFE9F1FCu;
  Color textColor_ = 0;
  Edges textPadding_{36, 0, 12, 0};
  int font_ = -1;
};

}  // namespace qv::framework
