#include <windows.h>

#include "ui/backup_rows.h"

namespace qv::ui {

std::wstring shortDateTime(const platform::CivilTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  wchar_t date[96] = {};
  wchar_t time[96] = {};
  // The user's locale decides, not the program's language: the formats the rest of the system
  // shows dates in.
  if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 96, nullptr) ==
          0 ||
      GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, time, 96) == 0) {
    wchar_t buf[32];
    swprintf(buf, 32, L"%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return buf;
  }
  return std::wstring(date) + L" " + time;
}

}  // namespace qv::ui
