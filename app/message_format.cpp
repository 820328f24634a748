#include "app/message_format.h"

#include <algorithm>
#include <cstddef>

namespace qv::app {
namespace {

struct Conversion {
  std::size_t length = 0;  // characters from the "%" to the conversion letter, both included
  bool leftAlign = false;
  bool zeroPad = false;
  wchar_t sign = 0;  // '+', ' ' or 0
  int width = 0;
  int precision = -1;
  wchar_t conversion = 0;  // 0 when the conversion is not supported
  bool supported() const { return conversion != 0; }
};

bool isDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

int readNumber(std::wstring_view p, std::size_t* i) {
  int v = 0;
  while (*i < p.size() && isDigit(p[*i])) {
    v = std::min(v * 10 + (p[*i] - L'0'), kMaxFieldWidth);
    ++*i;
  }
  return v;
}

bool startsWith(std::wstring_view p, std::size_t i, std::wstring_view prefix) {
  return p.size() - i >= prefix.size() && p.compare(i, prefix.size(), prefix) == 0;
}

// Reads the conversion that starts with the "%" at p[start] (not "%%").
Conversion readConversion(std::wstring_view p, std::size_t start) {
  Conversion s;
  std::size_t i = start + 1;
  while (i < p.size() && std::wstring_view(L"-+ 0#").find(p[i]) != std::wstring_view::npos) {
    if (p[i] == L'-') s.leftAlign = true;
    if (p[i] == L'0') s.zeroPad = true;
    if (p[i] == L'+') s.sign = L'+';
    if (p[i] == L' ' && s.sign == 0) s.sign = L' ';
    ++i;
  }
  s.width = readNumber(p, &i);
  if (i < p.size() && p[i] == L'.') {
    ++i;
    s.precision = readNumber(p, &i);
  }
  for (std::wstring_view prefix :
       {L"I64", L"I32", L"ll", L"hh", L"l", L"h", L"z", L"j", L"t", L"w", L"L"}) {
    if (startsWith(p, i, prefix)) {
      i += prefix.size();
      break;
    }
  }
  if (i >= p.size()) {
    s.length = p.size() - start;
    return s;
  }
  s.length = i + 1 - start;
  switch (p[i]) {
    case L's':
    case L'S':
    case L'd':
    case L'i':
    case L'u':
    case L'x':
    case L'X':
      s.conversion = p[i];
      break;
    default:
      break;
  }
  return s;
}

std::wstring digitsOf(std::uint64_t v, unsigned base, bool upper) {
  const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  std::wstring out;
  do {
    out.push_back(digits[v % base]);
    v /= base;
  } while (v != 0);
  std::reverse(out.begin(), out.end());
  return out;
}

void appendPadded(std::wstring& out, const Conversion& s, std::wstring_view sign,
                  std::wstring body) {
  const std::size_t width = static_cast<std::size_t>(s.width);
  const std::size_t used = sign.size() + body.size();
  const std::size_t pad = width > used ? width - used : 0;
  if (s.leftAlign) {
    out.append(sign).append(body).append(pad, L' ');
  } else if (s.zeroPad && s.precision < 0) {
    out.append(sign).append(pad, L'0').append(body);
  } else {
    out.append(pad, L' ').append(sign).append(body);
  }
}

void appendNumber(std::wstring& out, const Conversion& s, std::int64_t v) {
  std::wstring sign;
  std::wstring body;
  if (s.conversion == L'x' || s.conversion == L'X') {
    body = digitsOf(static_cast<std::uint64_t>(v), 16, s.conversion == L'X');
  } else if (s.conversion == L'u') {
    body = digitsOf(static_cast<std::uint64_t>(v), 10, false);
  } else {
    // Negated in unsigned arithmetic so that the lowest value has no overflow.
    const auto magnitude =
        v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    body = digitsOf(magnitude, 10, false);
    if (v < 0)
      sign = L"-";
    else if (s.sign)
      sign.assign(1, s.sign);
  }
  if (s.precision > 0 && body.size() < static_cast<std::size_t>(s.precision)) {
    body.insert(0, static_cast<std::size_t>(s.precision) - body.size(), L'0');
  }
  appendPadded(out, s, sign, std::move(body));
}

void appendText(std::wstring& out, const Conversion& s, std::wstring_view text) {
  if (s.precision >= 0 && text.size() > static_cast<std::size_t>(s.precision)) {
    text = text.substr(0, static_cast<std::size_t>(s.precision));
  }
  Conversion plain = s;
  plain.zeroPad = false;
  plain.precision = -1;
  appendPadded(out, plain, L"", std::wstring(text));
}

}  // namespace

std::wstring formatMessage(std::wstring_view pattern, std::initializer_list<MessageArg> args) {
  std::wstring out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  std::size_t i = 0;
  while (i < pattern.size()) {
    const wchar_t c = pattern[i];
    if (c != L'%') {
      out.push_back(c);
      ++i;
      continue;
    }
    if (startsWith(pattern, i, L"%%")) {
      out.push_back(L'%');
      i += 2;
      continue;
    }
    const Conversion s = readConversion(pattern, i);
    if (!s.supported() || next == args.end()) {
      out.append(pattern.substr(i, s.length));
    } else {
      const MessageArg& arg = *next++;
      const bool wantsText = s.conversion == L's' || s.conversion == L'S';
      if (arg.isNumber()) {
        Conversion asNumber = s;
        if (wantsText) asNumber.conversion = L'd';
        appendNumber(out, asNumber, arg.number());
      } else {
        appendText(out, s, arg.text());
      }
    }
    i += s.length;
  }
  return out;
}

std::string conversionKinds(std::wstring_view pattern) {
  std::string kinds;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] != L'%') {
      ++i;
      continue;
    }
    if (startsWith(pattern, i, L"%%")) {
      i += 2;
      continue;
    }
    const Conversion s = readConversion(pattern, i);
    if (!s.supported())
      kinds.push_back('?');
    else
      kinds.push_back((s.conversion == L's' || s.conversion == L'S') ? 's' : 'd');
    i += s.length;
  }
  return kinds;
}

}  // namespace qv::app
