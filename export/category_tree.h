// The category tree of a scan, as one model for every front end that shows it (the scan page's
// tree, `quenvale scan`): two group nodes with their categories in a fixed order, a node's text
// with its count, and the statistics line under the tree.
//
//   Photos & Videos          Camera Roll, Photo Stream, App Photos, App Videos
//   Messages & Call logs     Messages, Messages Attachments, Contacts, Call History, Notes,
//                            WhatsApp, WhatsApp Attachments, Reminder, Calendar, Safari Bookmark
//
// A front end shows a category's node only when the category was chosen for the scan.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/items.h"
#include "export/statistics.h"

namespace qv::output {

struct CategoryGroup {
  const char* name;
  std::vector<engine::ItemCategory> categories;
};

// The two groups in tree order; together they hold each of the fourteen categories once.
const std::vector<CategoryGroup>& categoryTree();

// The node's text: the category's name and its count, "Camera Roll (12)".
std::string categoryNodeText(engine::ItemCategory category, std::size_t count);

// The statistics line: the language's MSG0513 ("You select %s in %d item(s) of %s in %d
// item(s)" when the language has none) with the size and number of the selected items, then
// the size and number of all items. A size of nothing reads "0 MB".
std::wstring statisticsLine(const Counts& totals);

}  // namespace qv::output
