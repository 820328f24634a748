#include "db/chat_columns.h"

#include "db/table_columns.h"
#include "db/varint.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::db {

int RowColumns::load(const RowImage& row, TextEncoding encoding) {
  data_ = row.data;
  encoding_ = encoding;
  return walkRow(row, &record_);
}

const RecordColumn* RowColumns::column(int n) const {
  if (n < 0 || record_.columns.empty()) return nullptr;
  // Columns are numbered consecutively from the first one walked.
  const int first = record_.columns.front().column;
  if (n < first) return nullptr;
  const auto index = static_cast<std::size_t>(n - first);
  return index < record_.columns.size() ? &record_.columns[index] : nullptr;
}

bool RowColumns::integer(int n, std::int64_t* out) const {
  const RecordColumn* c = column(n);
  if (c == nullptr) return false;
  if (!isIntegerType(c->serialType) && c->serialType != 8 && c->serialType != 9) return false;
  *out = integerValue(data_ + c->offset, c->serialType);
  return true;
}

bool RowColumns::reference(int n, std::int64_t* out) const {
  const RecordColumn* c = column(n);
  if (c == nullptr) return false;
  if (c->serialType > 4 && c->serialType != 8 && c->serialType != 9) return false;
  if (c->serialType == 0) return false;
  *out = integerValue(data_ + c->offset, c->serialType);
  return true;
}

bool RowColumns::real(int n, double* out) const {
  const RecordColumn* c = column(n);
  if (c == nullptr || c->serialType != 7) return false;
  *out = realValue(data_ + c->offset);
  return true;
}

bool RowColumns::isText(int n) const {
  const RecordColumn* c = column(n);
  return c != nullptr && isTextType(c->serialType);
}

std::string_view RowColumns::bytes(int n) const {
  const RecordColumn* c = column(n);
  if (c == nullptr || !isTextType(c->serialType)) return {};
  return {reinterpret_cast<const char*>(data_ + c->offset), c->width};
}

RowColumns::Text RowColumns::text(int n, std::wstring* out) const {
  out->clear();
  if (!isText(n)) return Text::kAbsent;
  const std::string_view raw = bytes(n);
  if (raw.empty()) return Text::kEmpty;
  // The walk has already checked that the text lies within the bytes held.
  const std::string utf8 = textToUtf8(raw, encoding_);
  // An embedded zero would cut the text short where it is shown; a malformed sequence (turned
  // into U+FFFD by the conversion) or a stored U+FFFD marks bytes that are not this text.
  if (utf8.find('\0') != std::string::npos) return Text::kBad;
  if (utf8.find("\xEF\xBF\xBD") != std::string::npos) return Text::kBad;
  *out = platform::toWide(utf8);
  return Text::kGood;
}

std::vector<std::string> columnsOfTable(const std::vector<SchemaEntry>& schema,
                                        std::string_view table) {
  for (const SchemaEntry& e : schema) {
    if (e.type != "table" || e.name.size() != table.size()) continue;
    if (columnPosition({e.name}, table) != 0) continue;
    return createTableColumnNames(e.sql);
  }
  return {};
}

int positionOf(const std::vector<std::string>& columns,
               std::initializer_list<std::string_view> names, int fallback) {
  for (std::string_view name : names) {
    const int at = columnPosition(columns, name);
    if (at >= 0) return at;
  }
  // A statement that was read but names none of them: the table has no such column.
  return columns.empty() ? fallback : -1;
}

int scanCellLessFreelistPages(SqlitePageReader& reader, int width, RowSink* sink) {
  if (width <= 0 || !reader.isOpen()) return kOk;
  CarveContext ctx;
  ctx.geometry.pageSize = reader.pageSize();
  ctx.geometry.usableSize = reader.usableSize();
  ctx.width = width;
  ctx.callWidth = width;
  ctx.pageCount = reader.pageCount();
  std::vector<std::uint8_t> page(reader.pageSize() + kBufferPad);
  int result = kOk;
  for (std::uint32_t index : reader.freelistLeafPages()) {
    const int rc = reader.ReadPage(index, page.data());
    if (rc != kOk) {
      if (result == kOk) result = rc;
      continue;
    }
    PageHeader h;
    if (!readPageHeader(page.data(), ctx.geometry, index, &h) || h.type != kLeafTable ||
        h.cellCount != 0)
      continue;
    ctx.pageIndex = index;
    std::vector<CarvedCandidate> candidates;
    carvePage(page.data(), ctx, &candidates);
    for (const CarvedCandidate& c : candidates) {
      RowImage row;
      row.kind = RowKind::kCarved;
      row.deleted = 1;
      row.pageIndex = index;
      row.offset = c.offset;
      row.carvedLayout = true;
      row.firstColumn = c.firstColumn;
      row.typeCount = c.typeCount;
      row.data = page.data() + c.offset;
      row.size = ctx.geometry.usableSize - c.offset;
      row.complete = c.firstOverflow == 0;
      sink->onRow(reader, row);
    }
  }
  return result;
}

bool dateTextLess(const std::wstring& a, const std::wstring& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
    if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

}  // namespace qv::db
