#include "ui/pagination_model.h"

#include <algorithm>

namespace qv::ui {

PaginationLayout layoutPagination(int count, int current) {
  PaginationLayout l;
  if (count <= 0) return l;
  current = std::clamp(current, 1, count);
  l.prevEnabled = current != 1;
  l.nextEnabled = current != count;
  auto range = [&](int from, int to) {
    for (int p = from; p <= to; ++p) l.pages.push_back(p);
  };
  if (count <= kPageButtons) {
    range(1, count);
    return l;
  }
  constexpr int kHalf = 5;
  if (current <= kHalf + 1) {
    range(1, 9);
    l.rightGap = true;
    l.rightGapBefore = static_cast<int>(l.pages.size());
    range(count - 1, count);
  } else if (current < count - kHalf) {
    range(1, 2);
    l.leftGap = true;
    l.leftGapAfter = 1;
    range(current - 3, current + 3);
    l.rightGap = true;
    l.rightGapBefore = static_cast<int>(l.pages.size());
    range(count - 1, count);
  } else {
    range(1, 2);
    l.leftGap = true;
    l.leftGapAfter = 1;
    range(count - 8, count);
  }
  return l;
}

}  // namespace qv::ui
