// The arithmetic of a virtual list: rows of one fixed height, a 64-bit scroll offset, and the
// range of rows that meets the viewport. Only those rows are measured and painted, so a list of
// 20,000 (or 20 million) rows costs the same per paint as one of 20. Offsets are 64-bit because
// 32-bit pixel figures overflow at about 70 million rows of 30 pixels.
#pragma once

#include <cstdint>

namespace qv::framework {

struct RowRange {
  std::int64_t first = 0;  // first row that meets the viewport
  std::int64_t end = 0;    // one past the last
  int topOffset = 0;       // pixel y of row `first` relative to the viewport top (<= 0)
  std::int64_t size() const { return end - first; }
};

class ListViewport {
 public:
  void setRowCount(std::int64_t count);
  void setRowHeight(int pixels);   // at least 1
  void setViewHeight(int pixels);  // at least 0
  std::int64_t rowCount() const { return count_; }
  int rowHeight() const { return rowHeight_; }
  int viewHeight() const { return viewHeight_; }

  std::int64_t contentHeight() const { return count_ * rowHeight_; }
  std::int64_t maxScroll() const;
  std::int64_t scroll() const { return scroll_; }
  // Clamped to [0, maxScroll]. Returns true when the offset changed.
  bool setScroll(std::int64_t offset);
  bool scrollBy(std::int64_t delta) { return setScroll(scroll_ + delta); }
  // Scrolls the least amount that shows the whole row (or its top when taller than the view).
  bool ensureVisible(std::int64_t row);

  RowRange visibleRows() const;
  // The row under a y offset inside the viewport, or -1 below the last row.
  std::int64_t rowAt(int y) const;
  // Viewport y of a row's top (may be negative or past the view).
  std::int64_t rowTop(std::int64_t row) const { return row * rowHeight_ - scroll_; }

 private:
  std::int64_t count_ = 0;
  int rowHeight_ = 1;
  int viewHeight_ = 0;
  std::int64_t scroll_ = 0;
};

}  // namespace qv::framework
