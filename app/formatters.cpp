#include "app/formatters.h"

namespace qv::app {
namespace {

std::wstring number(std::int64_t v) {
  return std::to_wstring(v);
}

// value / 2^shift with two decimals, rounded half up. value is positive, shift is 10 to 40.
std::wstring scaled(std::int64_t value, int shift) {
  const auto v = static_cast<std::uint64_t>(value);
  std::uint64_t whole = v >> shift;
  const std::uint64_t rest = v & ((std::uint64_t{1} << shift) - 1);
  // rest < 2^40, so rest * 100 stays far below 2^64.
  std::uint64_t hundredths = (rest * 100 + (std::uint64_t{1} << (shift - 1))) >> shift;
  if (hundredths == 100) {
    ++whole;
    hundredths = 0;
  }
  std::wstring out = std::to_wstring(whole);
  out += L'.';
  out += static_cast<wchar_t>(L'0' + hundredths / 10);
  out += static_cast<wchar_t>(L'0' + hundredths % 10);
  return out;
}

}  // namespace

std::wstring formatDuration(std::int64_t seconds) {
  if (seconds > 3599) {
    return number(seconds / 3600) + L" Hour " + number(seconds % 3600 / 60) + L" Min";
  }
  if (seconds >= 60) return number(seconds / 60) + L" Min " + number(seconds % 60) + L" Sec";
  return number(seconds) + L" Sec";
}

std::wstring formatSize(std::int64_t bytes) {
  static const struct {
    int shift;
    const wchar_t* unit;
  } kUnits[] = {{40, L" TB"}, {30, L" GB"}, {20, L" MB"}, {10, L" KB"}};
  for (const auto& u : kUnits) {
    if (bytes >= (std::int64_t{1} << u.shift)) return scaled(bytes, u.shift) + u.unit;
  }
  return number(bytes) + L" Bytes";
}

}  // namespace qv::app
