// ASCII-only case folding. Names compared here (table and column names, file extensions,
// category names, device names, INI keys) are ASCII by definition; folding only A-Z keeps the
// result the same in every locale and never touches the bytes of a UTF-8 sequence.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace qv::platform {

constexpr char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
constexpr char asciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
constexpr wchar_t asciiLower(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}
constexpr wchar_t asciiUpper(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
}

template <typename Char>
bool equalsNoCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}
inline bool equalsNoCase(std::string_view a, std::string_view b) {
  return equalsNoCase<char>(a, b);
}
inline bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
  return equalsNoCase<wchar_t>(a, b);
}

// Orders by the folded characters, compared as unsigned code units.
template <typename Char>
bool lessNoCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  using U = std::make_unsigned_t<Char>;
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const U x = static_cast<U>(asciiLower(a[i]));
    const U y = static_cast<U>(asciiLower(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}
inline bool lessNoCase(std::string_view a, std::string_view b) {
  return lessNoCase<char>(a, b);
}
inline bool lessNoCase(std::wstring_view a, std::wstring_view b) {
  return lessNoCase<wchar_t>(a, b);
}

inline std::string toLowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = asciiLower(c);
  return out;
}
inline std::wstring toLowerAscii(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = asciiLower(c);
  return out;
}

}  // namespace qv::platform
