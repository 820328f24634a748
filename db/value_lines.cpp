#include "db/value_lines.h"

#include <charconv>
#include <cstring>
#include <vector>

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

int LineFile::open(const std::string& path) {
  replaces_ = platform::isFile(path);
  appended_ = false;
  int rc = file_.create(path);
  if (rc != kOk || !replaces_) return rc;
  // What an earlier run wrote stays in front, copied across in pieces.
  platform::File old;
  rc = old.openRead(path);
  std::vector<char> piece(65536);
  for (std::uint64_t at = 0; rc == kOk;) {
    std::size_t got = 0;
    rc = old.readAt(at, piece.data(), piece.size(), &got);
    if (rc != kOk || got == 0) break;
    rc = file_.write(piece.data(), got);
    at += got;
  }
  if (rc != kOk) file_.discard();
  return rc;
}

int LineFile::append(std::string_view text) {
  appended_ = true;
  return file_.write(text);
}

int LineFile::finish() {
  if (!appended_) {
    file_.discard();
    return kOk;
  }
  if (replaces_) return file_.publishReplacing();
  std::string published;
  return file_.publish(&published);
}

std::uint64_t rawColumnsHash(const RowColumns& row, int fromColumn, int toColumn) {
  // FNV-1a over each column's serial type (or a mark for a missing column) and its bytes.
  std::uint64_t h = 0xcbf29ce484222325ull;
  auto mix = [&h](std::uint64_t v) {
    h ^= v;
    h *= 0x100000001b3ull;
  };
  for (int n = fromColumn; n <= toColumn; ++n) {
    const RecordColumn* c = row.column(n);
    if (c == nullptr) {
      mix(~std::uint64_t{0});
      continue;
    }
    mix(c->serialType);
    const std::uint8_t* p = row.data() + c->offset;
    for (std::size_t i = 0; i < c->width; ++i) mix(p[i]);
  }
  return h;
}

}  // namespace qv::db
