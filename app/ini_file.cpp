#include "app/ini_file.h"

#include <cstddef>
#include <cstdint>

#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::app {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::size_t bomLength(TextEncoding e) {
  switch (e) {
    case TextEncoding::kUtf8Bom:
      return 3;
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be:
      return 2;
    case TextEncoding::kUtf8:
      break;
  }
  return 0;
}

std::size_t unitSize(TextEncoding e) {
  return (e == TextEncoding::kUtf16Le || e == TextEncoding::kUtf16Be) ? 2 : 1;
}

// The code unit at byte offset pos; the caller guarantees unitSize bytes are there.
std::uint32_t unitAt(std::string_view bytes, std::size_t pos, TextEncoding e) {
  const auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  if (e == TextEncoding::kUtf16Le) return b(pos) | (b(pos + 1) << 8);
  if (e == TextEncoding::kUtf16Be) return (b(pos) << 8) | b(pos + 1);
  return b(pos);
}

std::string utf16ToUtf8(std::string_view bytes, TextEncoding e) {
  std::string utf8;
  utf8.reserve(bytes.size());
  const std::size_t n = bytes.size();
  std::size_t pos = 0;
  while (n - pos >= 2) {
    const std::uint32_t u = unitAt(bytes, pos, e);
    pos += 2;
    if (u >= 0xD800 && u <= 0xDBFF && n - pos >= 2) {
      const std::uint32_t low = unitAt(bytes, pos, e);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        pos += 2;
        platform::appendUtf8(utf8, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        continue;
      }
    }
    // appendUtf8 turns an unpaired surrogate into U+FFFD.
    platform::appendUtf8(utf8, u);
  }
  if (pos < n) platform::appendUtf8(utf8, kReplacement);  // odd byte at the end
  return utf8;
}

// Decodes a byte range that holds no byte-order mark.
std::wstring decodeRange(std::string_view bytes, TextEncoding e) {
  if (unitSize(e) == 2) return platform::toWide(utf16ToUtf8(bytes, e));
  return platform::toWide(bytes);
}

std::string encodeText(std::wstring_view text, TextEncoding e) {
  const std::string utf8 = platform::toUtf8(text);
  if (unitSize(e) == 1) return utf8;
  // Back to code points through the wide form, then out as UTF-16 units.
  const std::wstring wide = platform::toWide(utf8);
  std::string out;
  const auto put = [&](std::uint32_t u) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    if (e == TextEncoding::kUtf16Le) {
      out.push_back(lo);
      out.push_back(hi);
    } else {
      out.push_back(hi);
      out.push_back(lo);
    }
  };
  for (wchar_t wc : wide) {
    const auto cp = static_cast<std::uint32_t>(wc);
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

// One line of the raw bytes: its text [begin, contentEnd) and its line end [contentEnd, end).
struct RawLine {
  std::size_t begin;
  std::size_t contentEnd;
  std::size_t end;
  bool hasEnd() const { return end > contentEnd; }
};

std::vector<RawLine> splitLines(std::string_view bytes, TextEncoding e) {
  std::vector<RawLine> lines;
  const std::size_t u = unitSize(e);
  const std::size_t n = bytes.size();
  std::size_t begin = bomLength(e);
  std::size_t pos = begin;
  while (n - pos >= u) {
    const std::uint32_t c = unitAt(bytes, pos, e);
    if (c != '\r' && c != '\n') {
      pos += u;
      continue;
    }
    std::size_t end = pos + u;
    if (c == '\r' && n - end >= u && unitAt(bytes, end, e) == '\n') end += u;
    lines.push_back({begin, pos, end});
    begin = pos = end;
  }
  if (begin < n) lines.push_back({begin, n, n});
  return lines;
}

bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

std::wstring_view trim(std::wstring_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

enum class LineKind { kSkip, kHeader, kEntry };

struct ParsedLine {
  LineKind kind = LineKind::kSkip;
  std::wstring_view name;  // section name for a header, key for an entry
  std::wstring_view text;
};

ParsedLine parseLine(std::wstring_view raw) {
  ParsedLine out;
  const std::wstring_view line = trim(raw);
  if (line.empty() || line.front() == L';') return out;
  if (line.front() == L'[') {
    std::wstring_view name = line.substr(1);
    const std::size_t close = name.find(L']');
    if (close != std::wstring_view::npos) name = name.substr(0, close);
    out.kind = LineKind::kHeader;
    out.name = trim(name);
    return out;
  }
  out.kind = LineKind::kEntry;
  const std::size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) {
    out.name = out.text = line;
  } else {
    out.name = trim(line.substr(0, eq));
    out.text = trim(line.substr(eq + 1));
  }
  return out;
}

}  // namespace

bool namesEqual(std::wstring_view a, std::wstring_view b, NameMatch match) {
  if (match == NameMatch::kExact) return a == b;
  return platform::equalsNoCase(a, b);
}

const std::wstring* IniSection::find(std::wstring_view key, NameMatch match) const {
  for (const IniEntry& e : entries) {
    if (namesEqual(e.key, key, match)) return &e.text;
  }
  return nullptr;
}

const IniSection* IniDocument::section(std::wstring_view name, NameMatch match) const {
  for (const IniSection& s : sections) {
    if (namesEqual(s.name, name, match)) return &s;
  }
  return nullptr;
}

TextEncoding detectEncoding(std::string_view bytes) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return TextEncoding::kUtf8Bom;
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) return TextEncoding::kUtf16Le;
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0) return TextEncoding::kUtf16Be;
  return TextEncoding::kUtf8;
}

std::wstring decodeText(std::string_view bytes) {
  const TextEncoding e = detectEncoding(bytes);
  return decodeRange(bytes.substr(bomLength(e)), e);
}

IniDocument parseIni(std::string_view bytes) {
  IniDocument doc;
  doc.encoding = detectEncoding(bytes);
  IniSection* current = nullptr;
  for (const RawLine& raw : splitLines(bytes, doc.encoding)) {
    const std::wstring text =
        decodeRange(bytes.substr(raw.begin, raw.contentEnd - raw.begin), doc.encoding);
    const ParsedLine line = parseLine(text);
    if (line.kind == LineKind::kHeader) {
      current = nullptr;
      for (IniSection& s : doc.sections) {
        if (s.name == line.name) current = &s;
      }
      if (current == nullptr) {
        doc.sections.push_back({std::wstring(line.name), {}});
        current = &doc.sections.back();
      }
    } else if (line.kind == LineKind::kEntry && current != nullptr) {
      current->entries.push_back({std::wstring(line.name), std::wstring(line.text)});
    }
  }
  return doc;
}

int readIniFile(const std::string& path, IniDocument* out) {
  *out = IniDocument();
  std::string bytes;
  const int rc = platform::readWholeFile(path, kMaxIniFileBytes, &bytes);
  if (rc != kOk) return rc;
  *out = parseIni(bytes);
  return kOk;
}

std::string setIniValue(std::string_view bytes, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value) {
  const TextEncoding e = detectEncoding(bytes);
  const std::vector<RawLine> lines = splitLines(bytes, e);

  // New lines take the file's first line end; a file without one gets CR LF.
  std::string eol = encodeText(L"\r\n", e);
  for (const RawLine& l : lines) {
    if (l.hasEnd()) {
      eol.assign(bytes.substr(l.contentEnd, l.end - l.contentEnd));
      break;
    }
  }
  std::wstring entryText(key);
  entryText += L'=';
  entryText += value;
  const std::string entry = encodeText(entryText, e);

  std::size_t header = lines.size();
  std::size_t lastEntry = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const RawLine& l = lines[i];
    const std::wstring text = decodeRange(bytes.substr(l.begin, l.contentEnd - l.begin), e);
    const ParsedLine line = parseLine(text);
    if (header == lines.size()) {
      if (line.kind == LineKind::kHeader &&
          namesEqual(line.name, section, NameMatch::kIgnoreAsciiCase)) {
        header = lastEntry = i;
      }
      continue;
    }
    if (line.kind == LineKind::kHeader) break;  // end of the section's first block
    if (line.kind != LineKind::kEntry) continue;
    lastEntry = i;
    if (namesEqual(line.name, key, NameMatch::kIgnoreAsciiCase)) {
      std::string out(bytes.substr(0, l.begin));
      out += entry;
      out.append(bytes.substr(l.contentEnd));
      return out;
    }
  }

  std::string out;
  if (header != lines.size()) {
    const RawLine& after = lines[lastEntry];
    out.assign(bytes.substr(0, after.end));
    if (!after.hasEnd()) out += eol;
    out += entry;
    out += eol;
    out.append(bytes.substr(after.end));
    return out;
  }
  out.assign(bytes);
  if (!lines.empty() && !lines.back().hasEnd()) out += eol;
  std::wstring headerText = L"[";
  headerText += section;
  headerText += L']';
  out += encodeText(headerText, e);
  out += eol;
  out += entry;
  out += eol;
  return out;
}

}  // namespace qv::app
