// Notifications: what a control tells its window or page controller, as a type and the control.
// Types are an enumeration inside the program; the layouts and controllers name them by the
// strings of the table (typeName / typeFromName), which stay the words the pages match on.
#pragma once

#include <cstdint>
#include <string_view>

namespace qv::framework {

class Control;

enum class EventType : std::uint8_t {
  kClick,
  kSelectChanged,
  kItemSelect,
  kWindowInit,
  kTimer,
  kItemClick,
  kCheckBoxSelectChanged,
  kListCheckClick,
  kListItemDbClick,
  kItemExpand,
  kUpdatePage,
  kOnHot,
  kOffHot,
  kItemDbClick,
  kLink,
  kTextChanged,
  kReturn,
  kSetFocus,
  kKillFocus,
  kHeaderClick,
  kMenu,
  kNavigateComplete,
  kCount
};

std::string_view typeName(EventType type);
// false for a name that is no notification type.
bool typeFromName(std::string_view name, EventType* out);

// Stable identity of a control inside its window: never reused while the window lives, so a
// queued notification or timer that outlives its control finds nothing instead of freed memory.
using ControlId = std::uint64_t;

struct Notification {
  EventType type = EventType::kClick;
  Control* sender = nullptr;  // valid during synchronous dispatch only
  ControlId senderId = 0;
  std::int64_t wParam = 0;  // type-specific: row index, timer id, page number, link index ...
  std::int64_t lParam = 0;
  bool byUser = true;  // false when the program changed the state itself
};

}  // namespace qv::framework
