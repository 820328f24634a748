#include "db/contact_lines.h"

#include <vector>

#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/value_lines.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

namespace {

const char kContactsTable[] = "ABPersonFullTextSearch_content";
constexpr int kLastColumn = 23;

struct LineRow {
  std::uint32_t deleted = 0;
  std::int64_t rowId = 0;
  std::string values;  // the value texts of the row's columns, the last comma included
  std::wstring key;
};

int readLineRow(SqlitePageReader& reader, const RowImage& image, LineRow* out) {
  RowColumns row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  std::string& v = out->values;
  // A carved row whose column 0 was overwritten still needs the row id's separator.
  if (row.column(0) == nullptr) v += ',';
  for (const RecordColumn& c : row.record().columns) {
    const std::uint64_t t = c.serialType;
    if (t == 10 || t == 11) return kInvalid;  // never in a sound record
    if (isTextType(t) && c.width > 0) {
      std::wstring wide;
      if (row.text(c.column, &wide) != RowColumns::Text::kGood) return kInvalid;
    }
    if (c.column > kLastColumn) continue;
    const std::uint8_t* content = row.data() + c.offset;
    if (t == 0) {
      v += c.column == 0 ? "," : "NULL,";
    } else if (t >= 1 && t <= 4) {
      appendNumber(v, integerValue(content, t));
      v += ',';
    } else if (t >= 5 && t <= 7) {
      v += ',';
    } else if (t == 8 || t == 9) {
      v += t == 8 ? "0," : "1,";
    } else if (t == 13) {
      v += "NULL,";
    } else {
      appendQuotedValue(v, std::string_view(reinterpret_cast<const char*>(content), c.width));
      v += ',';
    }
  }
  out->rowId = image.rowId;
  out->key = rawColumnsKey(row, 1, kLastColumn);
  return kOk;
}

}  // namespace

int WriteContactLines(const DatabaseFile& addressBook, const std::string& outputPath,
                      std::uint64_t startRowId) {
  SqlitePageReader reader;
  int rc = reader.Open(addressBook);
  if (rc != kOk) return rc;
  TableScan scan;
  scan.shape = tableShape(readSchemaOf(reader), kContactsTable);
  std::vector<ScannedRow<LineRow>> rows;
  // A damaged page ends the scan; the rows read before it are written.
  scanRows(reader, kContactsTable, scan, readLineRow, lineKey<LineRow>, &rows);
  std::uint64_t lastRowId = startRowId;
  std::string text;
  for (auto& scanned : rows) {
    LineRow& r = scanned.record;
    if (r.rowId == 0) r.rowId = static_cast<std::int64_t>(++lastRowId);
    appendNumber(text, r.rowId);
    text += r.values;
    if (!text.empty() && text.back() == ',') text.pop_back();
    text += "\r\n";
  }
  if (text.empty()) return kOk;
  return appendToFile(outputPath, text);
}

}  // namespace qv::db
