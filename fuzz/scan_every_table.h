// What the page-reader fuzz targets do with a database they could open: scan every table of its
// schema, and every dropped one, with its declared columns (so the carving passes run) and for
// its live rows alone, walk every row image and touch every byte of its values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "db/dropped_tables.h"
#include "db/record.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/varint.h"

namespace qv::fuzz {

class TouchAll : public db::RowSink {
 public:
  int onRow(db::SqlitePageReader& reader, const db::RowImage& row) override {
    db::Record rec;
    if (db::walkRow(row, &rec) != 0) return 87;
    for (const db::RecordColumn& c : rec.columns) {
      const std::uint8_t* p = row.data + c.offset;
      if (db::isTextType(c.serialType)) {
        sum += db::textToUtf8(std::string_view(reinterpret_cast<const char*>(p), c.width),
                              reader.textEncoding())
                   .size();
      } else if (c.serialType == 7) {
        sum += static_cast<std::size_t>(db::realValue(p) != 0);
      } else {
        sum += static_cast<std::size_t>(db::integerValue(p, c.serialType));
      }
    }
    sum += row.frame;
    return 0;
  }
  std::size_t sum = 0;
};

// Every table of the schema and every dropped one carved from its free space, each with the
// shape its own statement gives, and every index with its key's, as `quenvale sqlite` reads
// them.
inline void scanEveryTable(db::SqlitePageReader& reader, TouchAll* sink) {
  std::vector<db::SchemaEntry> schema;
  reader.ReadSchema(&schema);
  std::vector<db::SchemaEntry> tables = db::droppedTables(reader, schema);
  tables.insert(tables.end(), schema.begin(), schema.end());
  std::vector<std::pair<std::string, db::TableShape>> shapes;
  for (const db::SchemaEntry& e : tables) {
    if (e.type == "table")
      shapes.emplace_back(e.name, db::tableShape(db::TableLayout(e.sql), e.name));
  }
  reader.AssignFreelistPages(shapes);
  for (const db::SchemaEntry& e : tables) {
    if (e.type != "table") continue;
    db::TableScan scan;
    scan.shape = db::tableShape(db::TableLayout(e.sql), e.name);
    reader.ScanTable(e.name, scan, sink);
    reader.ScanLiveRows(e.name, sink);  // the live rows alone, as the manifest reader reads them
  }
  // The indexes of the tables, each with the key its statement names and what finds the row.
  for (const db::SchemaEntry& e : schema) {
    if (e.type != "index") continue;
    const db::TableLayout table = db::TableLayout::of(schema, e.tableName);
    const std::vector<int> key = db::indexedColumns(e, table);
    if (key.empty()) continue;
    db::TableScan scan;
    scan.shape = db::indexShape(table, db::indexRecordColumns(key, table));
    reader.ScanTable(e.name, scan, sink);
  }
}

}  // namespace qv::fuzz
