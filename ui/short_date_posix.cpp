#include <cstdio>

#include "ui/backup_rows.h"

namespace qv::ui {

std::wstring shortDateTime(const platform::CivilTime& t) {
  wchar_t buf[32];
  std::swprintf(buf, 32, L"%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
  return buf;
}

}  // namespace qv::ui
