// The backup store: finding the device backups on the computer, reading the device description
// in each backup's Info.plist, telling an enciphered backup by its address-book file, and reading
// a backup's file manifest (Manifest.db or Manifest.mbdb) into one flat index.
//
// Paths are UTF-8 throughout and opened through the platform layer, which uses the wide system
// calls on Windows, so folder and user names outside any code page work. The record's folder is
// wide text, as the backup list shows it; it is converted where the record is made.
#pragma once

#include <string>

namespace qv::backup {

// One backup found on the computer. A fresh record has both flags false and all texts empty.
struct BackupInfo {
  bool encrypted = false;       // stored files are enciphered (probeEncrypted)
  bool versionAbove11 = false;  // integer part of the product version is greater than 11
  std::string lastBackupDate;   // local "%Y-%m-%d %H:%M:%S", or the raw text when it did not parse
  std::string phoneNumber;      // UTF-8, as stored
  std::string serialNumber;     // UTF-8, as stored
  std::wstring folder;          // full path of the backup folder, no trailing separator
  std::wstring displayName;     // the device's display name
  std::string productVersion;   // the device's system version as stored ("14.3"), shown in lists
};

}  // namespace qv::backup
