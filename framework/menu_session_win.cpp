#include "framework/menu_session_win.h"

#include "framework/dpi.h"
#include "framework/gdiplus_painter_win.h"
#include "framework/ui_thread.h"

namespace qv::framework {

// One level of the menu.
class MenuSession::MenuWindow : public HostWindow {
 public:
  MenuWindow(MenuSession* session, std::size_t level) : session_(session), level_(level) {
    setCaptionClientClasses({});
  }
  // Sub-menu levels: a Menu box holding the rows moved in from their parent row.
  void adoptRows(MenuElement* from) {
    from_ = from;
    auto menu = std::make_unique<Menu>();
    menu->setAttribute("bkcolor", L"#FF263444");
    menu->setAttribute("inset", L"0,4,0,4");
    for (auto& row : from->takeSubItems()) menu->add(std::move(row));
    window().info() = from->window()->info();
    window().fonts() = from->window()->fonts();
    window().setRoot(std::move(menu));
  }
  // The rows go back to the row they came from when the level closes.
  void returnRows() {
    if (!from_) return;
    auto* menu = static_cast<Container*>(window().root());
    std::vector<std::unique_ptr<MenuElement>> rows;
    while (menu && menu->childCount() > 0) {
      ControlPtr row = menu->take(menu->childAt(0));
      rows.emplace_back(static_cast<MenuElement*>(row.release()));
    }
    from_->returnSubItems(std::move(rows));
    from_ = nullptr;
  }
  // A row shown or hidden after the level opened: the window follows its content.
  void layoutChanged() override {
    HostWindow::layoutChanged();
    if (!hwnd()) return;
    DpiScale s{dpi()};
    Size want = s.px(contentSize());
    RECT r;
    GetWindowRect(hwnd(), &r);
    if (want.cx != r.right - r.left || want.cy != r.bottom - r.top) {
      SetWindowPos(hwnd(), nullptr, 0, 0, want.cx, want.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // The natural size of the level: its rows' heights, the layout's width.
  Size contentSize() {
    Control* root = window().root();
    int h = 0;
    if (auto* c = dynamic_cast<Container*>(root)) {
      h = c->inset().top + c->inset().bottom;
      for (std::size_t i = 0; i < c->childCount(); ++i) {
        if (c->childAt(i)->visible()) h += c->childAt(i)->fixedHeight();
      }
    }
    int w = root && root->fixedWidth() > 0 ? root->fixedWidth() : 200;
    return Size{w, h};
  }

 protected:
  bool handleNotify(const Notification& n) override {
    auto* row = dynamic_cast<MenuElement*>(n.sender);
    if (!row) return false;
    if (n.type == EventType::kItemClick) {
      session_->itemClicked(level_, row);
      return true;
    }
    return false;
  }
  bool onKeyDown(UINT vk) override {
    if (vk == VK_ESCAPE) {
      // Escape closes this level, or the whole menu at the top.
      deferToUi([s = session_, l = level_, alive = std::weak_ptr<bool>(session_->alive_)] {
        if (!alive.expired()) l == 0 ? s->close() : s->closeFrom(l);
      });
      return true;
    }
    return vk == VK_RETURN;
  }
  LRESULT handleMessage(UINT msg, WPARAM w, LPARAM l, bool* handled) override {
    *handled = false;
    if (msg == WM_ACTIVATE && LOWORD(w) == WA_INACTIVE) {
      HWND next = reinterpret_cast<HWND>(l);
      if (!session_->ownsWindow(next)) {
        deferToUi([s = session_, alive = std::weak_ptr<bool>(session_->alive_)] {
          if (!alive.expired()) s->close();
        });
      }
    } else if (msg == WM_MOUSEACTIVATE) {
      *handled = true;
      return MA_ACTIVATE;
    } else if (msg == WM_MOUSEMOVE) {
      // Hovering a row with a sub-menu opens it; hovering a plain row closes deeper levels.
      POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      auto* row = dynamic_cast<MenuElement*>(window().controlAt(Point{p.x, p.y}));
      if (row && row->enabledInTree()) {
        bool open =
            session_->levels_.size() > level_ + 1 && session_->openedFrom_[level_ + 1] == row;
        if (row->hasSubMenu() && !open) {
          session_->openSubMenu(level_, row);
        } else if (!row->hasSubMenu() && session_->levels_.size() > level_ + 1) {
          session_->closeFrom(level_ + 1);
        }
      }
    }
    return 0;
  }

 private:
  MenuSession* session_;
  std::size_t level_;
  MenuElement* from_ = nullptr;
};

MenuSession::MenuSession() : alive_(std::make_shared<bool>(true)) {}

MenuSession::~MenuSession() {
  alive_.reset();
  close();
}

HostWindow* MenuSession::level(std::size_t i) const {
  return i < levels_.size() ? levels_[i].get() : nullptr;
}

bool MenuSession::ownsWindow(HWND h) const {
  for (const auto& l : levels_) {
    if (l->hwnd() == h) return true;
  }
  return false;
}

void MenuSession::place(HWND h, RECT anchor, bool beside) {
  RECT wr;
  GetWindowRect(h, &wr);
  int w = wr.right - wr.left;
  int ht = wr.bottom - wr.top;
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromRect(&anchor, MONITOR_DEFAULTTONEAREST), &mi);
  RECT area = mi.rcWork;
  int x = beside ? anchor.right : anchor.left;
  int y = beside ? anchor.top : anchor.bottom;
  if (x + w > area.right) x = beside ? anchor.left - w : area.right - w;  // flip at the edge
  if (y + ht > area.bottom) y = beside ? area.bottom - ht : anchor.top - ht;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  SetWindowPos(h, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

bool MenuSession::open(HWND owner, const std::string& layout, POINT screen) {
  checkUiThread("MenuSession::open");
  close();
  owner_ = owner;
  auto top = std::make_unique<MenuWindow>(this, 0);
  if (top->loadLayout(layout) != 0) return false;
  top->window().info().caption = Rect{};
  top->window().info().sizeBox = Edges{};
  if (onInit_) onInit_(*top);
  Size size = top->contentSize();
  if (!top->create(owner, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, screen.x, screen.y,
                   size.cx, size.cy)) {
    return false;
  }
  RECT anchor{screen.x, screen.y, screen.x, screen.y};
  place(top->hwnd(), anchor, false);
  ShowWindow(top->hwnd(), SW_SHOW);
  SetForegroundWindow(top->hwnd());
  levels_.push_back(std::move(top));
  openedFrom_.push_back(nullptr);
  return true;
}

void MenuSession::openSubMenu(std::size_t level, MenuElement* row) {
  closeFrom(level + 1);
  auto sub = std::make_unique<MenuWindow>(this, level + 1);
  sub->adoptRows(row);
  Size size = sub->contentSize();
  if (!sub->create(levels_[level]->hwnd(), L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0,
                   size.cx, size.cy)) {
    sub->returnRows();
    return;
  }
  RECT anchor{row->rect().left, row->rect().top, row->rect().right, row->rect().bottom};
  MapWindowPoints(levels_[level]->hwnd(), nullptr, reinterpret_cast<POINT*>(&anchor), 2);
  place(sub->hwnd(), anchor, true);
  ShowWindow(sub->hwnd(), SW_SHOWNOACTIVATE);
  levels_.push_back(std::move(sub));
  openedFrom_.push_back(row);
}

void MenuSession::closeFrom(std::size_t level) {
  while (levels_.size() > level) {
    std::unique_ptr<MenuWindow> w = std::move(levels_.back());
    levels_.pop_back();
    openedFrom_.pop_back();
    w->returnRows();
    // The window object dies here; its native window goes with it.
  }
}

void MenuSession::close() {
  closeFrom(0);
}

void MenuSession::itemClicked(std::size_t level, MenuElement* row) {
  if (row->hasSubMenu()) {
    openSubMenu(level, row);
    return;
  }
  // The handler runs after the dispatch of this click has ended, with the menu hidden.
  MenuElement* parent = level > 0 ? openedFrom_[level] : nullptr;
  deferToUi([this, row, parent, alive = std::weak_ptr<bool>(alive_)] {
    if (alive.expired() || levels_.empty()) return;
    // The menu goes off the screen first; its windows, and so the rows handed over, live until
    // the handler returns.
    std::vector<std::unique_ptr<MenuWindow>> levels = std::move(levels_);
    levels_.clear();
    openedFrom_.clear();
    for (auto& w : levels) ShowWindow(w->hwnd(), SW_HIDE);
    if (onItem_) onItem_(row, parent);
    for (std::size_t i = levels.size(); i-- > 0;) {
      levels[i]->returnRows();
      levels[i].reset();
    }
  });
}

}  // namespace qv::framework
