// A RowSink for tests: every row image decoded into fixture values, with its kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/sqlite_page_reader.h"
#include "samples/sqlite_fixture.h"

namespace qv::db::testing {

struct CollectedRow {
  RowKind kind = RowKind::kLive;
  std::uint32_t pageIndex = 0;
  std::uint16_t offset = 0;
  std::int64_t rowId = 0;
  samples::SqlRow values;  // column 0 first; NULL for a column a carved row did not hold
};

class RowCollector : public RowSink {
 public:
  int onRow(SqlitePageReader& reader, const RowImage& row) override;
  std::vector<CollectedRow> rows;
  int dropped = 0;
};

// A row's values in its table's declared order, from the order its record holds them in
// (TableLayout::storedOrder); a column the record did not hold reads NULL.
samples::SqlRow inDeclaredOrder(const samples::SqlRow& stored, const std::vector<int>& order);

// Values from column 1 on, the part every kind of row image holds.
bool sameValuesFromColumn1(const samples::SqlRow& a, const samples::SqlRow& b);

// Opens a file and scans one table, with the shape the width table gives its name, into a
// collector; returns the scan's code (or the open's).
int scanFile(const std::string& path, const std::string& table, RowCollector* out,
             bool withFreelist = true);

}  // namespace qv::db::testing
