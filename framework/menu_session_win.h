// A drop-down menu and its sub-menus: one pop-up window per level, built from a menu layout
// (a <Menu> of <MenuElement> rows; nested MenuElements are a row's sub-menu). Hovering or
// clicking a row with a sub-menu opens it beside the row, flipped to the other side where the
// monitor ends. The whole menu closes on a click on a plain row, on Escape, or when the
// activation leaves its windows (a click outside). The clicked row is handed to the session's
// handler after every menu window is gone.
//
// No global state: each menu is a session object that the caller owns.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/menu.h"
#include "framework/window_host_win.h"

namespace qv::framework {

class MenuSession {
 public:
  // The clicked row, and the row whose sub-menu held it (null for a top-level row). Both are
  // alive during the call.
  using ItemHandler = std::function<void(MenuElement* item, MenuElement* parent)>;
  // Called once per opening, after the top-level window was built and before it shows: the
  // caller applies texts, hides rows, fills sub-menus.
  using InitHandler = std::function<void(HostWindow& top)>;

  MenuSession();
  ~MenuSession();
  MenuSession(const MenuSession&) = delete;
  MenuSession& operator=(const MenuSession&) = delete;

  void setItemHandler(ItemHandler h) { onItem_ = std::move(h); }
  void setInitHandler(InitHandler h) { onInit_ = std::move(h); }
  // Opens the menu of a layout with its top-left corner at a screen point. False when the
  // layout could not be built.
  bool open(HWND owner, const std::string& layout, POINT screen);
  bool isOpen() const { return !levels_.empty(); }
  // The window of a level (0 the top one), or null.
  HostWindow* level(std::size_t i) const;
  void close();

 private:
  class MenuWindow;
  friend class MenuWindow;
  void openSubMenu(std::size_t level, MenuElement* row);
  void closeFrom(std::size_t level);
  void itemClicked(std::size_t level, MenuElement* row);
  bool ownsWindow(HWND h) const;
  void place(HWND h, RECT anchor, bool beside);

  std::vector<std::unique_ptr<MenuWindow>> levels_;
  std::vector<MenuElement*> openedFrom_;  // the row each level above 0 came from
  HWND owner_ = nullptr;
  ItemHandler onItem_;
  InitHandler onInit_;
  std::shared_ptr<bool> alive_;
};

}  // namespace qv::framework
