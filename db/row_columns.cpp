#include "db/row_columns.h"

#include <cstring>

#include "db/varint.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::db {

int RowColumns::load(const RowImage& row, TextEncoding encoding) {
  data_ = row.data;
  encoding_ = encoding;
  first_ = row.carvedLayout ? row.firstColumn : 0;
  if (row.data == nullptr) {
    record_.columns.clear();
    return kInvalid;
  }
  return walkRow(row, &record_);
}

const RecordColumn* RowColumns::column(int n) const {
  // The walk numbers columns consecutively from the first one.
  if (n < first_) return nullptr;
  const auto at = static_cast<std::size_t>(n - first_);
  if (at >= record_.columns.size()) return nullptr;
  return &record_.columns[at];
}

bool RowColumns::integer(int n, std::int64_t* out) const {
  const RecordColumn* c = column(n);
  if (c == nullptr) return false;
  const std::uint64_t t = c->serialType;
  if (!isIntegerType(t) && t != 8 && t != 9) return false;
  *out = integerValue(data_ + c->offset, t);
  return true;
}

bool RowColumns::reference(int n, std::uint32_t* out) const {
  const RecordColumn* c = column(n);
  if (c == nullptr) return false;
  const std::uint64_t t = c->serialType;
  if (!((t >= 1 && t <= 4) || t == 8 || t == 9)) return false;
  const std::int64_t v = integerValue(data_ + c->offset, t);
  if (v < 0) return false;
  *out = static_cast<std::uint32_t>(v);
  return true;
}

bool RowColumns::smallUnsigned(int n, std::uint32_t* out) const {
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

bool RowColumns::holdsZero(int n) const {
  const RecordColumn* c = column(n);
  if (c == nullptr) return false;
  const std::uint64_t t = c->serialType;
  return t == 8 || (t >= 1 && t <= 4 && integerValue(data_ + c->offset, t) == 0);
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
  if (c == nullptr || c->serialType < 12) return {};
  return std::string_view(reinterpret_cast<const char*>(data_ + c->offset), c->width);
}

RowColumns::Text RowColumns::text(int n, std::wstring* out, bool blobToo) const {
  out->clear();
  const RecordColumn* c = column(n);
  if (c == nullptr || c->serialType < 12) return Text::kAbsent;
  if (c->serialType % 2 == 0 && !blobToo) return Text::kAbsent;
  return decodeText(bytes(n), encoding_, out);
}

RowColumns::Text decodeText(std::string_view bytes, TextEncoding encoding, std::wstring* out) {
  out->clear();
  if (bytes.empty()) return RowColumns::Text::kEmpty;
  if (encoding == TextEncoding::kUtf8) {
    // Malformed bytes would come back as U+FFFD, which the test below refuses anyway; checking
    // first spares the conversion of the garbage that carving meets.
    if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr || !isValidUtf8(bytes))
      return RowColumns::Text::kBad;
    *out = platform::toWide(bytes);
  } else {
    const std::string utf8 = textToUtf8(bytes, encoding);
    if (utf8.find('\0') != std::string::npos) return RowColumns::Text::kBad;
    *out = platform::toWide(utf8);
  }
  if (out->empty()) return RowColumns::Text::kEmpty;
  if (out->find(L'\xFFFD') != std::wstring::npos) {
    out->clear();
    return RowColumns::Text::kBad;
  }
  return RowColumns::Text::kGood;
}

}  // namespace qv::db
