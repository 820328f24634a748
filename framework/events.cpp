#include "framework/events.h"

namespace qv::framework {

namespace {

constexpr std::string_view kNames[] = {
    "click",
    "selectchanged",
    "itemselect",
    "windowinit",
    "timer",
    "itemclick",
    "checkboxselectchanged",
    "list_check_click",
    "list_item_dbclick",
    "itemexpand",
    "updatepage",
    "onhot",
    "offhot",
    "itemdbclick",
    "link",
    "textchanged",
    "return",
    "setfocus",
    "killfocus",
    "headerclick",
    "menu",
    "navigatecomplete",
};
static_assert(sizeof(kNames) / sizeof(kNames[0]) == static_cast<std::size_t>(EventType::kCount),
              "one name per event type");

}  // namespace

std::string_view typeName(EventType type) {
  auto i = static_cast<std::size_t>(type);
  return i < static_cast<std::size_t>(EventType::kCount) ? kNames[i] : std::string_view();
}

bool typeFromName(std::string_view name, EventType* out) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(EventType::kCount); ++i) {
    if (kNames[i] == name) {
      *out = static_cast<EventType>(i);
      return true;
    }
  }
  return false;
}

}  // namespace qv::framework
