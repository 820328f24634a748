// Per-control timers as data. Each (control, timer id) pair gets a key of its own that is never
// reused while the window lives (no wrap-around, no search per tick); the backend runs one system
// timer per key. A control's timers are dropped with the control, so a late tick finds nothing.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "framework/events.h"

namespace qv::framework {

class TimerTable {
 public:
  using Key = std::uint64_t;
  // Keys start high enough to stay clear of the few fixed timer ids a backend uses itself.
  static constexpr Key kFirstKey = 0x1000;

  struct Entry {
    ControlId control = 0;
    int timerId = 0;
    int periodMs = 0;
  };

  // The key of the pair, made on its first start; a restart keeps the key and takes the period.
  Key start(ControlId control, int timerId, int periodMs);
  // The key the pair had, or 0 when it was not running.
  Key stop(ControlId control, int timerId);
  // Keys of every timer of a control, which are forgotten.
  std::vector<Key> stopAll(ControlId control);
  // The entry behind a key, or null for a key that was stopped.
  const Entry* find(Key key) const;
  std::size_t size() const { return byKey_.size(); }

 private:
  Key next_ = kFirstKey;
  std::map<Key, Entry> byKey_;
  std::map<std::pair<ControlId, int>, Key> byPair_;
};

}  // namespace qv::framework
