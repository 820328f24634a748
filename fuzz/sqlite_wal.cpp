// Fuzz target: a database read together with a write-ahead log, both from arbitrary bytes.
// Input: a 4-byte little-endian length n, then n bytes of database file (n is taken modulo what
// follows), then the log. The log's index is built on its own first (any page size), then the
// pair is opened and every table of the view's schema is scanned, the older page versions the
// log replaced included, and every row image walked.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/page_source.h"
#include "db/record.h"
#include "db/sqlite_page_reader.h"
#include "db/table_shapes.h"
#include "db/wal_index.h"

namespace {

class TouchAll : public qv::db::RowSink {
 public:
  int onRow(qv::db::SqlitePageReader&, const qv::db::RowImage& row) override {
    qv::db::Record rec;
    if (qv::db::walkRow(row, &rec) != 0) return 87;
    for (const qv::db::RecordColumn& c : rec.columns) {
      const std::uint8_t* p = row.data + c.offset;
      for (std::size_t i = 0; i < c.width; ++i) sum += p[i];
    }
    sum += row.frame;
    return 0;
  }
  std::size_t sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::uint32_t declared =
      data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
  const std::size_t rest = size - 4;
  const std::size_t dbSize = rest == 0 ? 0 : declared % (rest + 1);
  const std::string db(reinterpret_cast<const char*>(data + 4), dbSize);
  const std::string wal(reinterpret_cast<const char*>(data + 4 + dbSize), rest - dbSize);

  qv::db::MemoryPageSource source(wal);
  qv::db::WalIndex index;
  if (index.load(source, 0) == 0 && !index.empty()) {
    for (std::uint32_t commit : index.commits()) (void)index.pagesAt(commit);
    for (const auto& page : index.versions()) (void)index.frameOf(page.first, index.lastCommit());
  }

  qv::db::SqlitePageReader reader;
  if (reader.OpenMemory(db, wal) != 0) return 0;
  std::vector<qv::db::SchemaEntry> schema;
  reader.ReadSchema(&schema);
  TouchAll sink;
  for (const qv::db::SchemaEntry& e : schema) {
    if (e.type != "table") continue;
    qv::db::TableScan scan;
    scan.shape = qv::db::tableShape(schema, e.name);
    reader.ScanTable(e.name, scan, &sink);
  }
  return 0;
}
