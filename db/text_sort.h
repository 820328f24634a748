// The one sort of the readers' lists: by a text (a date, a name) without regard to ASCII case,
// equal texts keeping their order of reading.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ascii.h"

namespace qv::db {

// The positions of the records in the order of text(record), ascending, stable; texts without
// upper-case letters (every date) compare as they are.
template <class T, class Text>
std::vector<std::uint32_t> sortedOrder(const std::vector<T>& items, Text text) {
  const std::size_t n = items.size();
  std::vector<std::uint32_t> order(n);
  std::vector<bool> folded(n);
  for (std::size_t i = 0; i < n; ++i) {
    order[i] = static_cast<std::uint32_t>(i);
    const std::wstring& t = text(items[i]);
    folded[i] =
        std::any_of(t.begin(), t.end(), [](wchar_t c) { return platform::asciiLower(c) != c; });
  }
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const std::wstring& x = text(items[a]);
    const std::wstring& y = text(items[b]);
    return folded[a] || folded[b] ? platform::lessNoCase(x, y) : x < y;
  });
  return order;
}

// Sorts records by text(record) as sortedOrder does. The records are moved once each.
template <class T, class Text>
void stableSortByText(std::vector<T>* items, Text text) {
  const std::size_t n = items->size();
  if (n < 2) return;
  const std::vector<std::uint32_t> order = sortedOrder(*items, text);
  std::vector<T> sorted;
  sorted.reserve(n);
  for (std::uint32_t i : order) sorted.push_back(std::move((*items)[i]));
  items->swap(sorted);
}

// The lists of the chat readers, by their date text.
template <class Row>
void sortByDate(std::vector<Row>* rows) {
  stableSortByText(rows, [](const Row& r) -> const std::wstring& { return r.date; });
}

}  // namespace qv::db
