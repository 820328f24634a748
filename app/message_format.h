// Filling the printf-style message texts of the language files ("%s %d%%", MSG0513, MSG1102).
//
// The patterns come from files that translators edit, so they are never handed to the C
// library's printf: a "%s" where the program passes an integer would read an integer as a
// pointer. Here each conversion takes the next argument and prints it by the argument's own
// type: texts as texts, integers in decimal (or hexadecimal for %x / %X). Supported: flags
// "-+ 0", a width and a precision (capped at kMaxFieldWidth), the length prefixes h, l, ll, I64,
// I32, z, j, t, w, L, and the conversions s S d i u x X; "%%" is a percent sign. A conversion
// without an argument left, or one that is not supported (%n, %p, %f, "*" widths, ...), is
// copied to the output as written. Arguments without a conversion are ignored.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace qv::app {

constexpr int kMaxFieldWidth = 256;

class MessageArg {
 public:
  MessageArg(std::wstring_view text) : text_(text) {}    // NOLINT: implicit by design
  MessageArg(const wchar_t* text) : text_(text) {}       // NOLINT
  MessageArg(const std::wstring& text) : text_(text) {}  // NOLINT
  template <typename Int, typename = std::enable_if_t<std::is_integral_v<Int>>>
  MessageArg(Int value) : isNumber_(true), number_(static_cast<std::int64_t>(value)) {}  // NOLINT

  bool isNumber() const { return isNumber_; }
  std::wstring_view text() const { return text_; }
  std::int64_t number() const { return number_; }

 private:
  std::wstring_view text_;
  bool isNumber_ = false;
  std::int64_t number_ = 0;
};

std::wstring formatMessage(std::wstring_view pattern, std::initializer_list<MessageArg> args);

// The conversions of a pattern, in order, one letter each: 's' text, 'd' integer, '?' any
// conversion that formatMessage copies as written. "%%" is not a conversion. Lets a test check
// that a language's pattern takes its arguments in the order the program passes them.
std::string conversionKinds(std::wstring_view pattern);

}  // namespace qv::app
