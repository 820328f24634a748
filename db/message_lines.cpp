#include "db/message_lines.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_shapes.h"
#include "db/timestamp.h"
#include "db/value_lines.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

namespace {

constexpr int kColumns = 38;
constexpr int kLastColumn = kColumns - 1;
constexpr int kGuidColumn = 1;
constexpr int kTextColumn = 2;
constexpr int kBodyColumn = 8;
constexpr int kAccountGuidColumn = 13;
constexpr int kDateColumn = 15;
constexpr int kDateReadColumn = 16;
constexpr int kFinishedColumn = 19;
constexpr int kFromMeColumn = 21;
constexpr int kReadColumn = 26;

// One row as read, before its line is made (the row id may still have to be given).
struct LineRow {
  std::uint32_t deleted = 0;
  std::int64_t rowId = 0;
  bool fromMe = false;
  bool hasColumnZero = true;
  std::vector<std::pair<std::uint64_t, std::string>> columns;  // serial type, content
  std::wstring key;
};

bool isAccountGuid(const RowColumns& row) {
  const RecordColumn* c = row.column(kAccountGuidColumn);
  if (c == nullptr || !isTextType(c->serialType) || c->width != 36) return false;
  const std::uint8_t* p = row.data() + c->offset;
  for (std::size_t i = 0; i < 36; ++i) {
    if (p[i] < '-' || p[i] > 'z') return false;
  }
  return true;
}

int readLineRow(SqlitePageReader& reader, const RowImage& image, LineRow* out) {
  RowColumns row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  for (const RecordColumn& c : row.record().columns) {
    // Reserved serial types never occur in a sound record.
    if (c.serialType == 10 || c.serialType == 11) return kInvalid;
  }
  const RecordColumn* text = row.column(kTextColumn);
  if (text != nullptr && isTextType(text->serialType)) {
    std::wstring wide;
    if (row.text(kTextColumn, &wide) != RowColumns::Text::kGood) return kInvalid;
  }
  if (image.deleted != 0 && !isAccountGuid(row)) return kInvalid;
  out->rowId = image.rowId;
  std::int64_t fromMe = 0;
  out->fromMe = row.integer(kFromMeColumn, &fromMe) && fromMe == 1;
  out->hasColumnZero = row.column(0) != nullptr;
  for (const RecordColumn& c : row.record().columns) {
    if (c.column > kLastColumn) break;
    out->columns.emplace_back(
        c.serialType, std::string(reinterpret_cast<const char*>(row.data() + c.offset), c.width));
  }
  out->key = rawColumnsKey(row, 1, kLastColumn);
  return kOk;
}

void appendValue(std::string& line, int column, std::uint64_t type, const std::string& content) {
  if (type == 0) {
    line += column == 0 ? "," : "NULL,";
  } else if (type >= 1 && type <= 4) {
    appendNumber(line, integerValue(reinterpret_cast<const std::uint8_t*>(content.data()), type));
    line += ',';
  } else if (type >= 5 && type <= 7) {
    line += ',';
  } else if (type == 8 || type == 9) {
    line += type == 8 ? '0' : '1';
    if (column != kLastColumn) line += ',';
  } else if (type == 13) {
    line += "NULL,";
  } else if (column == kBodyColumn) {
    appendHexValue(line, content);
    line += ',';
  } else {
    appendQuotedValue(line, content);
    line += ',';
  }
}

std::string makeLine(const LineRow& r, std::int64_t now) {
  std::string line;
  appendNumber(line, r.rowId);
  // A carved row whose column 0 was overwritten still needs the row id's separator.
  if (!r.hasColumnZero) line += ',';
  for (std::size_t i = 0; i < r.columns.size(); ++i) {
    const int column = (r.hasColumnZero ? 0 : 1) + static_cast<int>(i);
    if (r.deleted != 0) {
      // A deleted row goes back in as a new message, received now.
      if (column == kGuidColumn) {
        char guid[64];
        std::snprintf(guid, sizeof guid, "27B99F78-F6F0-475F-8BA1-%012llX",
                      static_cast<unsigned long long>(r.rowId));
        appendQuotedValue(line, guid);
        line += ',';
        continue;
      }
      if (column == kFinishedColumn) {
        line += "1,";
        continue;
      }
      if (column == kDateColumn || (column == kDateReadColumn && !r.fromMe)) {
        appendNumber(line, now);
        line += ',';
        continue;
      }
      if (column == kDateReadColumn || column == kReadColumn) {
        line += column == kReadColumn && !r.fromMe ? "1," : "0,";
        continue;
      }
    }
    appendValue(line, column, r.columns[i].first, r.columns[i].second);
  }
  line += "\r\n";
  return line;
}

}  // namespace

int WriteMessageLinesAt(const DatabaseFile& sms, const std::string& outputPath,
                        std::uint64_t startRowId, std::int64_t nowAppleSeconds) {
  SqlitePageReader reader;
  int rc = reader.Open(sms);
  if (rc != kOk) return rc;
  // Every row is read as the 38-column layout.
  TableScan scan;
  scan.shape = knownTableShape("message");
  std::vector<ScannedRow<LineRow>> rows;
  // A damaged page ends the scan; the rows read before it are written.
  scanRows(reader, "message", scan, readLineRow, lineKey<LineRow>, &rows);
  std::uint64_t lastRowId = startRowId;
  std::string text;
  for (auto& scanned : rows) {
    LineRow& r = scanned.record;
    if (r.rowId == 0) r.rowId = static_cast<std::int64_t>(++lastRowId);
    text += makeLine(r, nowAppleSeconds);
  }
  if (text.empty()) return kOk;
  return appendToFile(outputPath, text);
}

int WriteMessageLines(const DatabaseFile& sms, const std::string& outputPath,
                      std::uint64_t startRowId) {
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) - kAppleEpochOffset;
  return WriteMessageLinesAt(sms, outputPath, startRowId, now);
}

}  // namespace qv::db
