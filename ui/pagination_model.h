// Which page buttons a pagination bar shows. With at most 11 pages every page has a button;
// with more, the first and last two pages stay, the current page is shown with three pages on
// either side, and "..." stands for the pages left out.
#pragma once

#include <vector>

namespace qv::ui {

struct PaginationLayout {
  std::vector<int> pages;  // page numbers, in order, for the page buttons shown
  bool leftGap = false;    // "..." after page 2
  bool rightGap = false;   // "..." before the last two pages
  bool prevEnabled = false;
  bool nextEnabled = false;
  // Index in `pages` after which the left gap sits, and before which the right one sits.
  int leftGapAfter = -1;
  int rightGapBefore = -1;
};

constexpr int kPageButtons = 11;

// Page numbers run from 1 to pageCount; a current page outside that range is clamped.
PaginationLayout layoutPagination(int pageCount, int currentPage);

}  // namespace qv::ui
