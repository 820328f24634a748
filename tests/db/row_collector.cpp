#include "tests/db/row_collector.h"

#include "db/record.h"
#include "db/table_shapes.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db::testing {

int RowCollector::onRow(SqlitePageReader& reader, const RowImage& row) {
  Record rec;
  if (walkRow(row, &rec) != kOk) {
    ++dropped;
    return kInvalid;
  }
  CollectedRow out;
  out.kind = row.kind;
  out.pageIndex = row.pageIndex;
  out.offset = row.offset;
  out.rowId = row.rowId;
  // Columns before the first one laid out (a carved row's overwritten column 0) read NULL.
  const int first = rec.columns.empty() ? row.firstColumn : rec.columns.front().column;
  if (row.carvedLayout) out.values.resize(static_cast<std::size_t>(first));
  for (const RecordColumn& c : rec.columns) {
    const std::uint8_t* p = row.data + c.offset;
    const std::uint64_t t = c.serialType;
    if (t == 0) {
      out.values.push_back(samples::SqlValue::null());
    } else if (t <= 6 || t == 8 || t == 9) {
      out.values.push_back(samples::SqlValue::of(integerValue(p, t)));
    } else if (t == 7) {
      out.values.push_back(samples::SqlValue::ofReal(realValue(p)));
    } else if (isTextType(t)) {
      out.values.push_back(samples::SqlValue::text(textToUtf8(
          std::string_view(reinterpret_cast<const char*>(p), c.width), reader.textEncoding())));
    } else {
      out.values.push_back(
          samples::SqlValue::blob(std::string(reinterpret_cast<const char*>(p), c.width)));
    }
  }
  rows.push_back(std::move(out));
  return kOk;
}

samples::SqlRow inDeclaredOrder(const samples::SqlRow& stored, const std::vector<int>& order) {
  samples::SqlRow declared(order.size());
  for (std::size_t k = 0; k < order.size() && k < stored.size(); ++k)
    declared[static_cast<std::size_t>(order[k])] = stored[k];
  return declared;
}

bool sameValuesFromColumn1(const samples::SqlRow& a, const samples::SqlRow& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 1; i < a.size(); ++i) {
    if (!(a[i] == b[i])) return false;
  }
  return true;
}

int scanFile(const std::string& path, const std::string& table, RowCollector* out,
             bool withFreelist) {
  SqlitePageReader reader;
  int rc = reader.Open(path);
  if (rc != kOk) return rc;
  TableScan scan;
  scan.shape = knownTableShape(table);
  scan.withFreelist = withFreelist;
  return reader.ScanTable(table, scan, out);
}

}  // namespace qv::db::testing
