#include "cli/terminal_text.h"

#include "platform/text.h"

namespace qv::cli {
namespace {

// The code point of the well-formed UTF-8 sequence at the start of s and its length; length 0
// for a byte that does not start one (stray continuation, overlong form, surrogate, cut short).
std::size_t decode(std::string_view s, char32_t* cp) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  }
  std::size_t n = 0;
  char32_t c = 0;
  char32_t least = 0;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2, c = b0 & 0x1F, least = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, c = b0 & 0x0F, least = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, c = b0 & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *cp = c;
  return n;
}

// "\\x" and two hex digits for a byte, "\\u" and four for a character.
void appendEscape(std::string& out, bool byte, unsigned value) {
  static const char kDigits[] = "0123456789abcdef";
  out += byte ? "\\x" : "\\u";
  for (int shift = byte ? 4 : 12; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 15];
}

}  // namespace

std::string terminalText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    char32_t cp = 0;
    const std::size_t n = decode(utf8, &cp);
    if (n == 0) {
      appendEscape(out, true, static_cast<unsigned char>(utf8[0]));
      utf8.remove_prefix(1);
      continue;
    }
    if (cp == '\n') {
      out += "\\n";
    } else if (cp == '\r') {
      out += "\\r";
    } else if (cp == '\t') {
      out += "\\t";
    } else if (platform::isControlCharacter(cp)) {
      appendEscape(out, cp < 0x80, static_cast<unsigned>(cp));
    } else if (platform::isBidiControl(cp)) {
      appendEscape(out, false, static_cast<unsigned>(cp));
    } else {
      out.append(utf8.substr(0, n));
    }
    utf8.remove_prefix(n);
  }
  return out;
}

}  // namespace qv::cli
