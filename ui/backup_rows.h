// What the backup list shows of each backup, apart from drawing: a row per backup in the order
// given (the engine's, newest first), the icon of a plain or a password-protected backup, the
// date in the user's own short format (the record's text stays the sort key and is shown as it
// is when it is not a date), the product version, and the size once it has been measured. After
// a refresh the backup that was selected is selected again wherever it now is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_info.h"
#include "platform/os_calls.h"

namespace qv::ui {

// The icons of the backup list: 48 x 26 in "Controls.png".
inline constexpr wchar_t kPlainBackupIcon[] =
    L"file='Controls.png' source='2,436,50,462' dest='0,0,48,26'";
inline constexpr wchar_t kEncryptedBackupIcon[] =
    L"file='Controls.png' source='53,436,101,462' dest='0,0,48,26'";

struct BackupRow {
  const wchar_t* icon = kPlainBackupIcon;
  std::wstring name;
  std::wstring date;
  std::wstring version;
  std::wstring size;  // empty until measured
  std::wstring serial;
};

// Turns a local date and time into the text the user's locale writes (shortDateTime, the
// default, on Windows; tests give their own).
using DateFormatter = std::wstring (*)(const platform::CivilTime&);

// "2021-03-14 09:26:53", the form the engine gives a backup date, into its fields; false for any
// other text and for fields out of range (the engine keeps an unparsable date as it is).
bool parseBackupDate(std::string_view text, platform::CivilTime* out);

class BackupRows {
 public:
  explicit BackupRows(DateFormatter format);

  // Replaces the backups. Returns the row to select: the row of the backup that `selected`
  // named before (its folder), else row 0, or -1 when there is none.
  int setBackups(std::vector<backup::BackupInfo> backups, int selected);
  // Records a backup's measured size; the row it changed, or -1 for a folder not listed.
  int setSize(const std::wstring& folder, std::uint64_t bytes);

  std::size_t size() const { return backups_.size(); }
  const backup::BackupInfo& backup(std::size_t row) const { return backups_.at(row); }
  BackupRow row(std::size_t i) const;

 private:
  DateFormatter format_;
  std::vector<backup::BackupInfo> backups_;
  std::vector<std::wstring> sizes_;
};

// The date and time in the user's short formats ("14/03/2021 09:26"); outside Windows the
// numbers as the engine writes them, without seconds ("2021-03-14 09:26").
std::wstring shortDateTime(const platform::CivilTime& t);

}  // namespace qv::ui
