#include "backup/backup_date.h"

#include <cstdint>

#include "platform/local_time.h"

namespace qv::backup {
namespace {

// Leading decimal digits at pos (at most 9, so the value cannot overflow); false when there is
// no digit there.
bool readNumber(std::string_view text, std::size_t pos, int* out) {
  int value = 0;
  int digits = 0;
  while (pos < text.size() && digits < 9 && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  *out = value;
  return digits > 0;
}

bool isLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::string localBackupDate(std::string_view text) {
  // Each number follows its separator, searched from where the previous one was found:
  // year at the start, month after the first '-', day after the next '-', hour after the
  // following ' ', minute after the next ':', second after the following ':'.
  static const char kSeparators[5] = {'-', '-', ' ', ':', ':'};
  int fields[6] = {};
  std::size_t pos = 0;
  if (!readNumber(text, 0, &fields[0])) return {};
  for (int i = 0; i < 5; ++i) {
    std::size_t sep = text.find(kSeparators[i], pos);
    if (sep == std::string_view::npos) return {};
    pos = sep + 1;
    if (!readNumber(text, pos, &fields[i + 1])) return {};
  }

  platform::CivilTime utc;
  utc.year = fields[0];
  utc.month = fields[1];
  utc.day = fields[2];
  utc.hour = fields[3];
  utc.minute = fields[4];
  utc.second = fields[5];
  // Out-of-range fields would otherwise roll over into a different, plausible-looking date.
  if (utc.year < 1 || utc.year > 9999 || utc.month < 1 || utc.month > 12 || utc.day < 1 ||
      utc.day > daysInMonth(utc.year, utc.month) || utc.hour > 23 || utc.minute > 59 ||
      utc.second > 59)
    return {};

  // The local time of the instant itself, not UTC minus the standard bias: a summer backup in
  // a zone with daylight saving would otherwise be shown an hour off.
  platform::CivilTime local;
  if (platform::utcToLocal(platform::civilToUnix(utc), &local) != 0) return {};
  return platform::formatCivil(local);
}

}  // namespace qv::backup
