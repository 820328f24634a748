// The date of a backup in the computer's local time.
#pragma once

#include <string>
#include <string_view>

namespace qv::backup {

// Turns "YYYY-MM-DD hh:mm:ss", a UTC time, into the local time of that instant as
// "%Y-%m-%d %H:%M:%S", daylight saving of that date included. Empty when the text does not
// hold six numbers with those separators, or a field is out of range (month 13, minute 61).
std::string localBackupDate(std::string_view utcText);

}  // namespace qv::backup
