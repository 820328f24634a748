#include "db/value_lines.h"

#include <charconv>
#include <cstring>

#include "platform/file.h"
#include "platform/result.h"

namespace qv::db {

void appendQuotedValue(std::string& line, std::string_view bytes) {
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
  line += '"';
  for (char c : bytes) {
    if (c == '"' || c == '\'') line += c;
    line += c;
  }
  line += '"';
}

void appendHexValue(std::string& line, std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    line += kDigits[c >> 4];
    line += kDigits[c & 15];
  }
}

void appendNumber(std::string& line, std::int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  line.append(buf, r.ptr);
}

int appendToFile(const std::string& path, const std::string& text) {
  std::string all;
  if (platform::isFile(path)) {
    // What an earlier run wrote stays in front; the whole file is then replaced at once.
    int rc = platform::readWholeFile(path, std::uint64_t{1} << 31, &all);
    if (rc != kOk) return rc;
  }
  all += text;
  return platform::writeWholeFile(path, all.data(), all.size());
}

std::wstring rawColumnsKey(const RowColumns& row, int fromColumn, int toColumn) {
  std::wstring key;
  for (int n = fromColumn; n <= toColumn; ++n) {
    const RecordColumn* c = row.column(n);
    if (c == nullptr) {
      key += L"-\x1f";
      continue;
    }
    key += std::to_wstring(c->serialType);
    key += L':';
    const std::uint8_t* p = row.data() + c->offset;
    for (std::size_t i = 0; i < c->width; ++i) key += static_cast<wchar_t>(p[i]);
  }
  return key;
}

}  // namespace qv::db
