#include "db/record.h"

#include <algorithm>
#include <cstring>

#include "db/varint.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::db {

namespace {

// The most varints header bytes [p, p + len) can hold. A varint ends at a byte below 0x80,
// except one of nine bytes (whose last byte may be any) and one cut short by the end of the
// header; in an ordinary header that is the exact count, so a list sized by it once keeps its
// size from record to record.
std::size_t mostVarints(const std::uint8_t* p, std::size_t len) {
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::size_t ends = 0, i = 0;
  for (; len - i >= 8; i += 8) {
    std::uint64_t w = 0;
    std::memcpy(&w, p + i, 8);
    // One in each byte below 0x80, summed into the top byte.
    ends += static_cast<std::size_t>((((~w & kHigh) >> 7) * 0x0101010101010101ull) >> 56);
  }
  for (; i < len; ++i) ends += p[i] < 0x80 ? 1 : 0;
  const std::size_t unended = len - ends;
  return ends + unended / 9 + (len != 0 && p[len - 1] >= 0x80 ? 1 : 0);
}

// Reads `count` serial types from header bytes [p, p + headerLen) (or until the header ends)
// and lays the columns out from contentStart. Fails when a content runs past n.
int layColumns(const std::uint8_t* p, std::size_t headerLen, std::size_t contentStart,
               std::size_t n, int firstColumn, std::size_t count, Record* out) {
  std::size_t pos = 0;
  std::uint64_t content = contentStart;
  int column = firstColumn;
  // Size the list once and fill it by index.
  const std::size_t most = std::min(count, mostVarints(p, headerLen));
  out->columns.resize(most);
  std::size_t k = 0;
  while (pos < headerLen && k < most) {
    std::uint64_t type = 0;
    std::size_t len = readVarint(p + pos, headerLen - pos, &type);
    pos += len;
    std::uint64_t width = serialTypeWidth(type);
    // A content past the bytes held ends the row: the invariant is content end <= n.
    if (width > n - content) {
      out->columns.resize(k);
      return kInvalid;
    }
    RecordColumn& c = out->columns[k++];
    c.column = column++;
    c.serialType = type;
    c.offset = static_cast<std::size_t>(content);
    c.width = static_cast<std::size_t>(width);
    content += width;
  }
  out->columns.resize(k);
  out->contentStart = contentStart;
  out->end = static_cast<std::size_t>(content);
  return kOk;
}

}  // namespace

std::size_t utf8SequenceLength(const std::uint8_t* p, std::size_t avail) {
  const unsigned c = p[0];
  std::size_t len = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((c & 0xE0) == 0xC0)
    len = 2, cp = c & 0x1F, min = 0x80;
  else if ((c & 0xF0) == 0xE0)
    len = 3, cp = c & 0x0F, min = 0x800;
  else if ((c & 0xF8) == 0xF0)
    len = 4, cp = c & 0x07, min = 0x10000;
  else
    return 0;
  if (len > avail) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are malformed.
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

bool isValidUtf8(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    // Runs of ASCII, eight bytes at a time.
    while (n - i >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, p + i, 8);
      if (word & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= n) break;
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t len = utf8SequenceLength(p + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

// The column list is not emptied before a walk that lays columns out: it is resized to what
// the header holds, and a list that already has that size (the last record's) is kept as it is.
int walkPayload(const std::uint8_t* p, std::size_t n, Record* out) {
  out->typesStart = out->contentStart = out->end = 0;
  std::uint64_t headerSize = 0;
  std::size_t h = readVarint(p, n, &headerSize);
  // The header counts its own size varint and must lie inside the payload.
  if (h == 0 || headerSize < h || headerSize > n) {
    out->columns.clear();
    return kInvalid;
  }
  const std::size_t hs = static_cast<std::size_t>(headerSize);
  out->typesStart = h;
  return layColumns(p + h, hs - h, hs, n, 0, static_cast<std::size_t>(-1), out);
}

int walkCarved(const std::uint8_t* p, std::size_t n, int firstColumn, std::size_t count,
               Record* out, std::uint64_t lostType) {
  out->typesStart = out->contentStart = out->end = 0;
  if (count == 0) {
    out->columns.clear();
    return kInvalid;
  }
  // The serial types are the next `count` varints; content follows right after them.
  std::size_t headerLen = varintsLength(p, n, count);
  if (lostType == 0 || firstColumn != 1) {
    int rc = layColumns(p, headerLen, headerLen, n, firstColumn, count, out);
    if (rc != kOk) return rc;
    return out->columns.size() == count ? kOk : kInvalid;
  }
  // Column 0's content lies first; the serial types read lay the others out behind it.
  const std::uint64_t lostWidth = serialTypeWidth(lostType);
  if (headerLen > n || lostWidth > n - headerLen) {
    out->columns.clear();
    return kInvalid;
  }
  const std::size_t after = headerLen + static_cast<std::size_t>(lostWidth);
  int rc = layColumns(p, headerLen, after, n, firstColumn, count, out);
  if (rc != kOk) return rc;
  if (out->columns.size() != count) return kInvalid;
  RecordColumn first;
  first.column = 0;
  first.serialType = lostType;
  first.offset = headerLen;
  first.width = static_cast<std::size_t>(lostWidth);
  out->columns.insert(out->columns.begin(), first);
  out->contentStart = headerLen;
  return kOk;
}

std::uint64_t recordSize(const std::uint8_t* p, std::size_t avail, std::uint64_t headerLen,
                         std::size_t width) {
  if (width != 0) {
    std::size_t n = (avail > 0 && p[0] != 0) ? width - 1 : width;
    headerLen = varintsLength(p, avail, n);
  }
  if (headerLen > avail) return headerLen;
  std::uint64_t sum = 0;
  std::size_t pos = 0;
  const std::size_t hl = static_cast<std::size_t>(headerLen);
  while (pos < hl && sum <= avail) {
    std::uint64_t type = 0;
    pos += readVarint(p + pos, hl - pos, &type);
    std::uint64_t w = serialTypeWidth(type);
    sum = w > avail ? std::uint64_t{avail} + 1 : sum + w;
  }
  return headerLen + sum;
}

std::uint32_t unsignedValue(const std::uint8_t* c, std::uint64_t serialType) {
  if (serialType < 1 || serialType > 4) return 0;
  std::uint32_t v = 0;
  for (std::uint64_t i = 0; i < serialType; ++i) v = (v << 8) | c[i];
  return v;
}

double realValue(const std::uint8_t* c) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits = (bits << 8) | c[i];
  double d = 0;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

std::string textToUtf8(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::kUtf8) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    // The platform converter turns each malformed sequence into U+FFFD.
    return platform::toUtf8(platform::toWide(bytes));
  }
  std::string out;
  out.reserve(bytes.size());
  const bool little = encoding == TextEncoding::kUtf16le;
  const std::size_t units = bytes.size() / 2;
  auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    return little ? static_cast<char32_t>(a | (b << 8)) : static_cast<char32_t>((a << 8) | b);
  };
  for (std::size_t i = 0; i < units; ++i) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      char32_t lo = unit(i + 1);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        platform::appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        ++i;
        continue;
      }
    }
    platform::appendUtf8(out, u);  // an unpaired surrogate becomes U+FFFD
  }
  if (bytes.size() % 2) platform::appendUtf8(out, 0xFFFD);
  return out;
}

}  // namespace qv::db
