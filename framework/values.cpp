#include "framework/values.h"

#include <cstdint>
#include <vector>

namespace qv::framework {

namespace {

constexpr long long kMaxFigure = 1000000;

std::wstring_view trim(std::wstring_view t) {
  while (!t.empty() && (t.front() == L' ' || t.front() == L'\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == L' ' || t.back() == L'\t')) t.remove_suffix(1);
  return t;
}

// Exactly `count` comma-separated integers.
bool parseInts(std::wstring_view text, std::size_t count, int* out) {
  std::vector<int> v;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(L',', start);
    int n = 0;
    if (!parseInt(text.substr(start, comma == text.npos ? text.npos : comma - start), &n)) {
      return false;
    }
    v.push_back(n);
    if (v.size() > count) return false;
    if (comma == text.npos) break;
    start = comma + 1;
  }
  if (v.size() != count) return false;
  for (std::size_t i = 0; i < count; ++i) out[i] = v[i];
  return true;
}

}  // namespace

bool parseInt(std::wstring_view text, int* out) {
  text = trim(text);
  bool negative = !text.empty() && text.front() == L'-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return false;
  long long v = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + (c - L'0');
    if (v > kMaxFigure) return false;
  }
  *out = static_cast<int>(negative ? -v : v);
  return true;
}

bool parseSize(std::wstring_view text, Size* out) {
  int v[2];
  if (!parseInts(text, 2, v)) return false;
  *out = Size{v[0], v[1]};
  return true;
}

bool parseEdges(std::wstring_view text, Edges* out) {
  int v[4];
  if (!parseInts(text, 4, v)) return false;
  *out = Edges{v[0], v[1], v[2], v[3]};
  return true;
}

bool parseRect(std::wstring_view text, Rect* out) {
  int v[4];
  if (!parseInts(text, 4, v)) return false;
  *out = Rect{v[0], v[1], v[2], v[3]};
  return true;
}

bool parseColor(std::wstring_view text, Color* out) {
  text = trim(text);
  if (!text.empty() && text.front() == L'#') {
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    text.remove_prefix(2);
  } else {
    return false;
  }
  if (text.size() != 6 && text.size() != 8) return false;
  std::uint32_t v = 0;
  for (wchar_t c : text) {
    int d = c >= L'0' && c <= L'9'   ? c - L'0'
            : c >= L'a' && c <= L'f' ? c - L'a' + 10
            : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                     : -1;
    if (d < 0) return false;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  if (text.size() == 6) v |= 0xFF000000u;
  *out = v;
  return true;
}

bool parseBool(std::wstring_view text, bool* out) {
  text = trim(text);
  if (text == L"true" || text == L"1") {
    *out = true;
  } else if (text == L"false" || text == L"0") {
    *out = false;
  } else {
    return false;
  }
  return true;
}

bool parseHAlign(std::wstring_view text, HAlign* out) {
  text = trim(text);
  if (text == L"left") {
    *out = HAlign::kLeft;
  } else if (text == L"center") {
    *out = HAlign::kCenter;
  } else if (text == L"right") {
    *out = HAlign::kRight;
  } else {
    return false;
  }
  return true;
}

bool parseVAlign(std::wstring_view text, VAlign* out) {
  text = trim(text);
  if (text == L"top") {
    *out = VAlign::kTop;
  } else if (text == L"center" || text == L"vcenter") {
    *out = VAlign::kCenter;
  } else if (text == L"bottom") {
    *out = VAlign::kBottom;
  } else {
    return false;
  }
  return true;
}

}  // namespace qv::framework
