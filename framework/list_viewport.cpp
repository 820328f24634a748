#include "framework/list_viewport.h"

#include <algorithm>

namespace qv::framework {

void ListViewport::setRowCount(std::int64_t count) {
  count_ = std::max<std::int64_t>(count, 0);
  setScroll(scroll_);
}

void ListViewport::setRowHeight(int pixels) {
  rowHeight_ = std::max(pixels, 1);
  setScroll(scroll_);
}

void ListViewport::setViewHeight(int pixels) {
  viewHeight_ = std::max(pixels, 0);
  setScroll(scroll_);
}

std::int64_t ListViewport::maxScroll() const {
  return std::max<std::int64_t>(contentHeight() - viewHeight_, 0);
}

bool ListViewport::setScroll(std::int64_t offset) {
  std::int64_t clamped = std::clamp<std::int64_t>(offset, 0, maxScroll());
  if (clamped == scroll_) return false;
  scroll_ = clamped;
  return true;
}

bool ListViewport::ensureVisible(std::int64_t row) {
  if (row < 0 || row >= count_) return false;
  std::int64_t top = row * rowHeight_;
  std::int64_t bottom = top + rowHeight_;
  if (top < scroll_ || rowHeight_ > viewHeight_) return setScroll(top);
  if (bottom > scroll_ + viewHeight_) return setScroll(bottom - viewHeight_);
  return false;
}

RowRange ListViewport::visibleRows() const {
  RowRange r;
  if (count_ == 0 || viewHeight_ == 0) return r;
  r.first = std::min(scroll_ / rowHeight_, count_ - 1);
  r.topOffset = static_cast<int>(r.first * rowHeight_ - scroll_);
  std::int64_t lastPixel = scroll_ + viewHeight_ - 1;
  r.end = std::min(lastPixel / rowHeight_ + 1, count_);
  return r;
}

std::int64_t ListViewport::rowAt(int y) const {
  if (y < 0 || y >= viewHeight_) return -1;
  std::int64_t row = (scroll_ + y) / rowHeight_;
  return row < count_ ? row : -1;
}

}  // namespace qv::framework
