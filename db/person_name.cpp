#include "db/person_name.h"

namespace qv::db {

namespace {

bool isHighSurrogate(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// The first and the last code point of a wide text (UTF-16 on Windows, UTF-32 elsewhere).
char32_t firstCodePoint(const std::wstring& s) {
  const auto a = static_cast<char32_t>(s[0]);
  if (isHighSurrogate(a) && s.size() > 1 && isLowSurrogate(static_cast<char32_t>(s[1])))
    return 0x10000 + ((a - 0xD800) << 10) + (static_cast<char32_t>(s[1]) - 0xDC00);
  return a;
}
char32_t lastCodePoint(const std::wstring& s) {
  const auto b = static_cast<char32_t>(s.back());
  if (isLowSurrogate(b) && s.size() > 1 && isHighSurrogate(static_cast<char32_t>(s[s.size() - 2])))
    return 0x10000 + ((static_cast<char32_t>(s[s.size() - 2]) - 0xD800) << 10) + (b - 0xDC00);
  return b;
}

}  // namespace

bool isCjkCodePoint(char32_t c) {
  return (c >= 0x1100 && c <= 0x11FF) ||  // Hangul jamo
         (c >= 0x2E80 && c <= 0x2FDF) ||  // CJK and Kangxi radicals
         (c >= 0x3005 && c <= 0x3007) ||  // iteration mark, closing mark, number zero
         (c >= 0x3040 && c <= 0x31FF) ||  // kana, bopomofo, Hangul compatibility jamo
         (c >= 0x3400 && c <= 0x4DBF) ||  // CJK extension A
         (c >= 0x4E00 && c <= 0x9FFF) ||  // CJK unified ideographs
         (c >= 0xAC00 && c <= 0xD7AF) ||  // Hangul syllables
         (c >= 0xF900 && c <= 0xFAFF) ||  // CJK compatibility ideographs
         (c >= 0xFF66 && c <= 0xFF9F) ||  // half-width katakana
         (c >= 0x20000 && c <= 0x3134F);  // CJK extensions B to G
}

std::wstring fullName(const std::wstring& first, const std::wstring& last) {
  if (first.empty()) return last;
  if (last.empty()) return first;
  if (isCjkCodePoint(lastCodePoint(first)) && isCjkCodePoint(firstCodePoint(last)))
    return first + last;
  return first + L' ' + last;
}

}  // namespace qv::db
