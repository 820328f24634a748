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
  // The last value's comma goes: a line ends with its value.
  if (!v.empty() && v.back() == ',') v.pop_back();
  out->key = rawColumnsHash(row, 1, kLastColumn);
  return kOk;
}

std::string makeLine(const LineRow& r) {
  std::string line;
  appendNumber(line, r.rowId);
  line += r.values;
  line += "\r\n";
  return line;
}

}  // namespace

int WriteContactLines(const DatabaseFile& addressBook, const std::string& outputPath,
                      std::uint64_t startRowId) {
  SqlitePageReader reader;
  int rc = reader.Open(addressBook);
  if (rc != kOk) return rc;
  TableScan scan;
  scan.shape = tableShape(readSchemaOf(reader), kContactsTable);
  LineFile out;
  rc = out.open(outputPath);
  if (rc != kOk) return rc;
  int written = kOk;
  // A damaged page ends the scan; the rows read before it are written.
  writeValueLines(reader, kContactsTable, scan, readLineRow, makeLine, startRowId, &out, &written);
  if (written != kOk) {
    out.discard();
    return written;
  }
  return out.finish();
}

}  // namespace qv::db
