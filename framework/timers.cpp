#include "framework/timers.h"

#include <limits>

namespace qv::framework {

TimerTable::Key TimerTable::start(ControlId control, int timerId, int periodMs) {
  auto pair = std::make_pair(control, timerId);
  auto it = byPair_.find(pair);
  Key key = it != byPair_.end() ? it->second : next_++;
  byPair_[pair] = key;
  byKey_[key] = Entry{control, timerId, periodMs < 1 ? 1 : periodMs};
  return key;
}

TimerTable::Key TimerTable::stop(ControlId control, int timerId) {
  auto it = byPair_.find(std::make_pair(control, timerId));
  if (it == byPair_.end()) return 0;
  Key key = it->second;
  byKey_.erase(key);
  byPair_.erase(it);
  return key;
}

std::vector<TimerTable::Key> TimerTable::stopAll(ControlId control) {
  std::vector<Key> keys;
  auto it = byPair_.lower_bound(std::make_pair(control, std::numeric_limits<int>::min()));
  while (it != byPair_.end() && it->first.first == control) {
    keys.push_back(it->second);
    byKey_.erase(it->second);
    it = byPair_.erase(it);
  }
  return keys;
}

const TimerTable::Entry* TimerTable::find(Key key) const {
  auto it = byKey_.find(key);
  return it == byKey_.end() ? nullptr : &it->second;
}

}  // namespace qv::framework
