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

bool isAccountGuid(const RowColumns& row) {
  const RecordColumn* c = row.column(kAccountGuidColumn);
  if (c == nullptr || !isTextType(c->serialType) || c->width != 36) return false;
  const std::uint8_t* p = row.data() + c->offset;
  for (std::size_t i = 0; i < 36; ++i) {
    if (p[i] < '-' || p[i] > 'z') return false;
  }
  return true;
}

void appendValue(std::string& line, int column, std::uint64_t type, std::string_view content) {
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

// The values of a row after its row id. A deleted row goes back in as a new message, received
// now: its guid (made of the row id, which a carved row gets only when the lines are written,
// so left out here and its place kept in *guidAt), is_finished 1, date now, and for a message
// not from the owner date_read now and is_read 1 (0 and 0 for the owner's own).
void renderValues(const RowColumns& row, bool deleted, bool fromMe, std::int64_t now,
                  std::string* out, std::size_t* guidAt) {
  std::string& line = *out;
  *guidAt = std::string::npos;
  // A carved row whose column 0 was overwritten still needs the row id's separator.
  if (row.column(0) == nullptr) line += ',';
  for (const RecordColumn& c : row.record().columns) {
    const int column = c.column;
    if (column > kLastColumn) break;
    if (deleted) {
      if (column == kGuidColumn) {
        *guidAt = line.size();
        continue;
      }
      if (column == kFinishedColumn) {
        line += "1,";
        continue;
      }
      if (column == kDateColumn || (column == kDateReadColumn && !fromMe)) {
        appendNumber(line, now);
        line += ',';
        continue;
      }
      if (column == kDateReadColumn || column == kReadColumn) {
        line += column == kReadColumn && !fromMe ? "1," : "0,";
        continue;
      }
    }
    appendValue(line, column, c.serialType,
                std::string_view(reinterpret_cast<const char*>(row.data() + c.offset), c.width));
  }
}

int readLineRow(SqlitePageReader& reader, const RowImage& image, std::int64_t now, LineRow* out) {
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
  std::int64_t fromMe = 0;
  const bool mine = row.integer(kFromMeColumn, &fromMe) && fromMe == 1;
  renderValues(row, image.deleted != 0, mine, now, &out->values, &out->rowIdValueAt);
  out->key = rawColumnsHash(row, 1, kLastColumn);
  return kOk;
}

// The whole line of a row whose row id is known.
std::string makeLine(const LineRow& r) {
  std::string line;
  appendNumber(line, r.rowId);
  const std::string_view values = r.values;
  const std::size_t at = r.rowIdValueAt;
  if (at == std::string::npos || at > values.size()) {
    line += values;
  } else {
    char guid[64];
    std::snprintf(guid, sizeof guid, "27B99F78-F6F0-475F-8BA1-%012llX",
                  static_cast<unsigned long long>(r.rowId));
    line += values.substr(0, at);
    appendQuotedValue(line, guid);
    line += ',';
    line += values.substr(at);
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
  LineFile out;
  rc = out.open(outputPath);
  if (rc != kOk) return rc;
  int written = kOk;
  // A damaged page ends the scan; the rows read before it are written.
  writeValueLines(
      reader, "message", scan,
      [nowAppleSeconds](SqlitePageReader& r, const RowImage& image, LineRow* row) {
        return readLineRow(r, image, nowAppleSeconds, row);
      },
      makeLine, startRowId, &out, &written);
  if (written != kOk) {
    out.discard();
    return written;
  }
  return out.finish();
}

int WriteMessageLines(const DatabaseFile& sms, const std::string& outputPath,
                      std::uint64_t startRowId) {
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) - kAppleEpochOffset;
  return WriteMessageLinesAt(sms, outputPath, startRowId, now);
}

}  // namespace qv::db
