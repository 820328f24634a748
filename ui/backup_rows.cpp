#include "ui/backup_rows.h"

#include "app/formatters.h"
#include "platform/text.h"

namespace qv::ui {
namespace {

// Exactly `digits` decimal digits at text[*pos]; advances past them.
bool number(std::string_view text, std::size_t* pos, int digits, int* out) {
  if (text.size() - *pos < static_cast<std::size_t>(digits)) return false;
  int v = 0;
  for (int i = 0; i < digits; ++i) {
    char c = text[*pos + static_cast<std::size_t>(i)];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *pos += static_cast<std::size_t>(digits);
  *out = v;
  return true;
}

bool separator(std::string_view text, std::size_t* pos, char c) {
  if (*pos >= text.size() || text[*pos] != c) return false;
  ++*pos;
  return true;
}

int daysIn(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

bool parseBackupDate(std::string_view text, platform::CivilTime* out) {
  platform::CivilTime t;
  std::size_t p = 0;
  if (!number(text, &p, 4, &t.year) || !separator(text, &p, '-') ||
      !number(text, &p, 2, &t.month) || !separator(text, &p, '-') || !number(text, &p, 2, &t.day) ||
      !separator(text, &p, ' ') || !number(text, &p, 2, &t.hour) || !separator(text, &p, ':') ||
      !number(text, &p, 2, &t.minute) || !separator(text, &p, ':') ||
      !number(text, &p, 2, &t.second) || p != text.size()) {
    return false;
  }
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysIn(t.year, t.month) || t.hour > 23 ||
      t.minute > 59 || t.second > 60) {
    return false;
  }
  *out = t;
  return true;
}

BackupRows::BackupRows(DateFormatter format) : format_(format) {}

int BackupRows::setBackups(std::vector<backup::BackupInfo> backups, int selected) {
  std::wstring selectedFolder;
  if (selected >= 0 && static_cast<std::size_t>(selected) < backups_.size())
    selectedFolder = backups_[static_cast<std::size_t>(selected)].folder;
  backups_ = std::move(backups);
  sizes_.assign(backups_.size(), std::wstring());
  if (backups_.empty()) return -1;
  for (std::size_t i = 0; i < backups_.size(); ++i) {
    if (!selectedFolder.empty() && backups_[i].folder == selectedFolder) return static_cast<int>(i);
  }
  return 0;
}

int BackupRows::setSize(const std::wstring& folder, std::uint64_t bytes) {
  for (std::size_t i = 0; i < backups_.size(); ++i) {
    if (backups_[i].folder != folder) continue;
    sizes_[i] = app::formatSize(static_cast<std::int64_t>(bytes));
    return static_cast<int>(i);
  }
  return -1;
}

BackupRow BackupRows::row(std::size_t i) const {
  const backup::BackupInfo& b = backups_.at(i);
  BackupRow r;
  r.icon = b.encrypted ? kEncryptedBackupIcon : kPlainBackupIcon;
  r.name = b.displayName;
  platform::CivilTime t;
  r.date = parseBackupDate(b.lastBackupDate, &t) && format_ ? format_(t)
                                                            : platform::toWide(b.lastBackupDate);
  r.version = platform::toWide(b.productVersion);
  r.size = sizes_.at(i);
  r.serial = platform::toWide(b.serialNumber);
  return r;
}

}  // namespace qv::ui
