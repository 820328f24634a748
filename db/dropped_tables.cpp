#include "db/dropped_tables.h"

#include <memory>
#include <string>
#include <string_view>

#include "db/record.h"
#include "db/table_columns.h"
#include "db/varint.h"
#include "platform/ascii.h"
#include "platform/result.h"

namespace qv::db {

namespace {

// The schema table: type, name, tbl_name, rootpage, sql; no row-id alias.
TableShape schemaTableShape(TextEncoding encoding) {
  TableShape shape;
  const std::uint64_t unit = encoding == TextEncoding::kUtf8 ? 1 : 2;
  shape.firstTypeGuess = 13 + 2 * 5 * unit;  // "table"
  shape.width = 5;
  shape.firstIsValue = true;
  auto classes = std::make_shared<std::vector<ColumnClasses>>(5);
  for (ColumnClasses& c : *classes) c = {kHoldsText, kHoldsText};
  (*classes)[3] = {kHoldsInteger, kHoldsInteger};
  shape.columnClasses = std::move(classes);
  return shape;
}

class DroppedSink : public RowSink {
 public:
  explicit DroppedSink(const std::vector<SchemaEntry>& schema) : schema_(schema) {}

  int onRow(SqlitePageReader& reader, const RowImage& row) override {
    if (row.kind == RowKind::kLive) return kOk;
    if (walkRow(row, &record_) != kOk) return kInvalid;
    SchemaEntry e;
    for (const RecordColumn& c : record_.columns) {
      const std::string_view bytes(reinterpret_cast<const char*>(row.data + c.offset), c.width);
      if (c.column == 3 && c.serialType >= 1 && c.serialType <= 6) {
        const std::int64_t page = integerValue(row.data + c.offset, c.serialType);
        if (page > 0 && page <= 0xFFFFFFFFll) e.rootPage = static_cast<std::uint32_t>(page);
      }
      if (!isTextType(c.serialType)) continue;
      std::string text = textToUtf8(bytes, reader.textEncoding());
      if (c.column == 0) e.type = std::move(text);
      if (c.column == 1) e.name = std::move(text);
      if (c.column == 2) e.tableName = std::move(text);
      if (c.column == 4) e.sql = std::move(text);
    }
    // Column 0 ("table") may be the part the freeblock header overwrote.
    if ((!e.type.empty() && e.type != "table") || e.name.empty()) return kOk;
    if (!TableLayout(e.sql).known()) return kOk;
    // A live table of that name, or one rooted where the statement's table was (a renamed
    // table leaves its old statement behind): not dropped.
    for (const SchemaEntry& k : schema_) {
      if (k.type != "table") continue;
      if (platform::equalsNoCase(k.name, e.name)) return kOk;
      if (e.rootPage != 0 && k.rootPage == e.rootPage) return kOk;
    }
    for (const SchemaEntry& k : found) {
      if (platform::equalsNoCase(k.name, e.name)) return kOk;
    }
    e.type = "table";
    found.push_back(std::move(e));
    return kOk;
  }

  std::vector<SchemaEntry> found;

 private:
  const std::vector<SchemaEntry>& schema_;
  Record record_;
};

}  // namespace

std::vector<SchemaEntry> droppedTables(SqlitePageReader& reader,
                                       const std::vector<SchemaEntry>& schema) {
  DroppedSink sink(schema);
  TableScan scan;
  scan.shape = schemaTableShape(reader.textEncoding());
  scan.withFreelist = false;
  reader.ScanTable(kSchemaTable, scan, &sink);  // what could be read, even when damaged
  return std::move(sink.found);
}

}  // namespace qv::db
