// Fuzz target: the page reader over arbitrary bytes. Opens them as a database, reads the
// schema, and scans every table (with its declared width, so the carving passes run) and the
// tables the width table knows by name. Every row image is walked and its values touched.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/record.h"
#include "db/sqlite_page_reader.h"
#include "db/table_shapes.h"
#include "db/varint.h"

namespace {

class TouchAll : public qv::db::RowSink {
 public:
  int onRow(qv::db::SqlitePageReader& reader, const qv::db::RowImage& row) override {
    qv::db::Record rec;
    if (qv::db::walkRow(row, &rec) != 0) return 87;
    for (const qv::db::RecordColumn& c : rec.columns) {
      const std::uint8_t* p = row.data + c.offset;
      if (qv::db::isTextType(c.serialType)) {
        sum += qv::db::textToUtf8(std::string_view(reinterpret_cast<const char*>(p), c.width),
                                  reader.textEncoding())
                   .size();
      } else if (c.serialType == 7) {
        sum += static_cast<std::size_t>(qv::db::realValue(p) != 0);
      } else {
        sum += static_cast<std::size_t>(qv::db::integerValue(p, c.serialType));
      }
    }
    return 0;
  }
  std::size_t sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::db::SqlitePageReader reader;
  if (reader.OpenMemory(std::string(reinterpret_cast<const char*>(data), size)) != 0) return 0;
  std::vector<qv::db::SchemaEntry> schema;
  reader.ReadSchema(&schema);
  TouchAll sink;
  for (const qv::db::SchemaEntry& e : schema) {
    if (e.type != "table") continue;
    qv::db::TableScan scan;
    scan.shape = qv::db::tableShape(schema, e.name);
    reader.ScanTable(e.name, scan, &sink);
  }
  for (const char* known : {"message", "handle", "call", "ZWAMESSAGE"}) {
    qv::db::TableScan scan;
    scan.shape = qv::db::knownTableShape(known);
    reader.ScanTable(known, scan, &sink);
  }
  return 0;
}
