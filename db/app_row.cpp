#include "db/app_row.h"

#include <algorithm>
#include <cstring>

#include "db/create_table.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::db {

int AppRow::load(const RowImage& row, TextEncoding encoding) {
  data_ = row.data;
  encoding_ = encoding;
  first_ = row.carvedLayout ? row.firstColumn : 0;
  if (row.data == nullptr) {
    record_.columns.clear();
    return kInvalid;
  }
  return walkRow(row, &record_);
}

const RecordColumn* AppRow::column(int n) const {
  // The walk numbers columns consecutively from the first one.
  if (n < first_) return nullptr;
  const auto at = static_cast<std::size_t>(n - first_);
  if (at >= record_.columns.size()) return nullptr;
  return &record_.columns[at];
}

bool AppRow::integer(int n, std::int64_t* out) const {
  const RecordColumn* c = column(n);
  if (c == nullptr) return false;
  const std::uint64_t t = c->serialType;
  if (!((t >= 1 && t <= 6) || t == 8 || t == 9)) return false;
  *out = integerValue(data_ + c->offset, t);
  return true;
}

bool AppRow::smallUnsigned(int n, std::uint32_t* out) const {
  const RecordColumn* c = column(n);
  if (c == nullptr) return false;
  const std::uint64_t t = c->serialType;
  if (t == 8 || t == 9) {
    *out = static_cast<std::uint32_t>(t - 8);
    return true;
  }
  if (t < 1 || t > 4) return false;
  *out = unsignedValue(data_ + c->offset, t);
  return true;
}

bool AppRow::real(int n, double* out) const {
  const RecordColumn* c = column(n);
  if (c == nullptr || c->serialType != 7) return false;
  *out = realValue(data_ + c->offset);
  return true;
}

std::string_view AppRow::bytes(int n) const {
  const RecordColumn* c = column(n);
  if (c == nullptr || c->serialType < 12) return {};
  return std::string_view(reinterpret_cast<const char*>(data_ + c->offset), c->width);
}

AppRow::Text AppRow::text(int n, std::wstring* out, bool blobToo) const {
  out->clear();
  const RecordColumn* c = column(n);
  if (c == nullptr || c->serialType < 12) return Text::kAbsent;
  if (c->serialType % 2 == 0 && !blobToo) return Text::kAbsent;
  return decodeText(bytes(n), encoding_, out);
}

AppRow::Text decodeText(std::string_view bytes, TextEncoding encoding, std::wstring* out) {
  out->clear();
  if (bytes.empty()) return AppRow::Text::kEmpty;
  if (encoding == TextEncoding::kUtf8) {
    // Malformed bytes would come back as U+FFFD, which the test below refuses anyway; checking
    // first spares the conversion of the garbage that carving meets.
    if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr || !isValidUtf8(bytes))
      return AppRow::Text::kBad;
    *out = platform::toWide(bytes);
  } else {
    const std::string utf8 = textToUtf8(bytes, encoding);
    if (utf8.find('\0') != std::string::npos) return AppRow::Text::kBad;
    *out = platform::toWide(utf8);
  }
  if (out->empty()) return AppRow::Text::kEmpty;
  if (out->find(L'\xFFFD') != std::wstring::npos) {
    out->clear();
    return AppRow::Text::kBad;
  }
  return AppRow::Text::kGood;
}

std::vector<SchemaEntry> readSchemaOf(SqlitePageReader& reader) {
  std::vector<SchemaEntry> schema;
  reader.ReadSchema(&schema);  // a damaged schema still gives the rows it could read
  return schema;
}

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

int declaredColumnCount(const std::vector<SchemaEntry>& schema, std::string_view table) {
  for (const SchemaEntry& e : schema) {
    if (e.type == "table" && equalsNoCase(e.name, table)) return createTableColumnCount(e.sql);
  }
  return 0;
}

int declareTableWidth(SqlitePageReader& reader, const std::vector<SchemaEntry>& schema,
                      const std::string& table) {
  const int n = declaredColumnCount(schema, table);
  reader.SetDeclaredWidth(table, n);
  return n;
}

bool lessNoCase(const std::wstring& a, const std::wstring& b) {
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
