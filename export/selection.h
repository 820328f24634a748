// Filling the selection statistics from a scan's results: one category record per category,
// one app group per app of App Photos and App Videos, one item per list row in display order
// (media files with their stored size, database records as 1024 bytes, deleted markers from the
// records). The print and the job find a row's record again by category and row index.
#pragma once

#include "engine/items.h"
#include "engine/scan_results.h"
#include "export/statistics.h"

namespace qv::output {

// Adds the category's rows (nothing when it has none; the category record is still made).
void registerCategory(CStatisticsObj& statistics, const engine::ScanResults& results,
                      engine::ItemCategory category);
// Every category in the order of the category tree.
void registerAll(CStatisticsObj& statistics, const engine::ScanResults& results);

}  // namespace qv::output
