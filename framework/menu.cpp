#include "framework/menu.h"
#include "framework/attribute_parsing.h"

#include "framework/dpi.h"
#include "framework/values.h"
#include "framework/window.h"

namespace qv::framework {

Menu::Menu() : VerticalLayout("Menu") {}
bool Menu::isA(std::string_view n) const {
  return sameName(n, "Menu") || VerticalLayout::isA(n);
}

MenuElement::MenuElement() : Container("MenuElement") {}

bool MenuElement::isA(std::string_view n) const {
  return sameName(n, "MenuElement") || sameName(n, "ListContainerElement") || Container::isA(n);
}

AttributeResult MenuElement::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "icon")) return parsedAs(parseImageRef(v, &icon_));
  if (sameName(n, "hotbkcolor")) return parsedAs(parseColor(v, &hotBkColor_));
  if (sameName(n, "textcolor")) return parsedAs(parseColor(v, &textColor_));
  if (sameName(n, "textpadding")) return parsedAs(parseEdges(v, &textPadding_));
  if (sameName(n, "font")) return parsedAs(parseInt(v, &font_));
  return Container::setAttribute(n, v);
}

Control* MenuElement::adopt(ControlPtr child) {
  if (auto* sub = dynamic_cast<MenuElement*>(child.get())) {
    child.release();
    return addSubItem(std::unique_ptr<MenuElement>(sub));
  }
  return add(std::move(child));
}

MenuElement* MenuElement::subItem(std::size_t i) const {
  return i < subItems_.size() ? subItems_[i].get() : nullptr;
}

MenuElement* MenuElement::addSubItem(std::unique_ptr<MenuElement> item) {
  subItems_.push_back(std::move(item));
  return subItems_.back().get();
}

std::vector<std::unique_ptr<MenuElement>> MenuElement::takeSubItems() {
  return std::move(subItems_);
}

void MenuElement::returnSubItems(std::vector<std::unique_ptr<MenuElement>> items) {
  subItems_ = std::move(items);
}

void MenuElement::setIcon(const ImageRef& icon) {
  icon_ = icon;
  invalidate();
}

void MenuElement::paint(Painter& p) {
  if (hot_ && enabledInTree() && (hotBkColor_ >> 24)) p.fillRect(rect(), hotBkColor_);
  paintBackground(p);
  DpiScale s{p.dpi()};
  if (icon_.valid()) p.drawImage(icon_, rect());
  const WindowInfo* info = window() ? &window()->info() : nullptr;
  TextStyle st;
  st.font = font_;
  st.color = !enabledInTree()     ? (info ? info->disabledTextColor : 0xFFA7A6AAu)
             : (textColor_ >> 24) ? textColor_
             : info               ? info->defaultTextColor
                                  : 0xFF000000u;
  st.endEllipsis = true;
  if (!text().empty()) p.drawText(rect().deflated(s.px(textPadding_)), text(), st);
  if (hasSubMenu()) {
    // A small arrow at the right edge tells that a sub-menu opens.
    int cx = rect().right - s.px(12);
    int cy = (rect().top + rect().bottom) / 2;
    p.drawLine(Point{cx, cy - s.px(4)}, Point{cx + s.px(4), cy}, st.color, s.px(1));
    p.drawLine(Point{cx + s.px(4), cy}, Point{cx, cy + s.px(4)}, st.color, s.px(1));
  }
  paintChildren(p);
  paintBorder(p);
}

Control* MenuElement::hitTest(Point p) {
  // The row answers for everything inside it (its check mark and labels are decoration).
  if (!visible() || !rect().contains(p)) return nullptr;
  return mouseEnabled() ? this : nullptr;
}

void MenuElement::onMouseEnter() {
  hot_ = true;
  invalidate();
}

void MenuElement::onMouseLeave() {
  hot_ = false;
  invalidate();
}

void MenuElement::onMouseUp(const MouseEvent& e, bool inside) {
  if (!inside || e.button != MouseButton::kLeft) return;
  notify(EventType::kItemClick);
}

}  // namespace qv::framework
