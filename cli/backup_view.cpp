#include "cli/backup_view.h"

#include "cli/cli_io.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

bool isWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
         (c >= 0x20000 && c <= 0x3FFFD);
}

const char* boolText(bool b) {
  return b ? "true" : "false";
}

}  // namespace

std::string backupJsonMembers(const backup::BackupInfo& info) {
  std::string out;
  out += "\"encrypted\": " + std::string(boolText(info.encrypted));
  out += ", \"versionAbove11\": " + std::string(boolText(info.versionAbove11));
  out += ", \"lastBackupDate\": " + jsonString(info.lastBackupDate);
  out += ", \"phoneNumber\": " + jsonString(info.phoneNumber);
  out += ", \"serialNumber\": " + jsonString(info.serialNumber);
  out += ", \"folder\": " + jsonString(platform::toUtf8(info.folder));
  out += ", \"displayName\": " + jsonString(platform::toUtf8(info.displayName));
  out += ", \"productVersion\": " + jsonString(info.productVersion);
  return out;
}

std::size_t displayWidth(std::string_view utf8) {
  std::size_t cells = 0;
  for (wchar_t w : platform::toWide(utf8)) {
    auto c = static_cast<char32_t>(w);
    if (c >= 0xDC00 && c <= 0xDFFF)
      continue;  // second half of a UTF-16 pair: counted with the first
    if (c >= 0xD800 && c <= 0xDBFF) {
      cells += 2;  // astral characters shown here (emoji, rare CJK) are wide
      continue;
    }
    if ((c >= 0x0300 && c <= 0x036F) || c == 0x200D) continue;  // combining marks, joiners
    cells += isWide(c) ? 2 : 1;
  }
  return cells;
}

std::string padTo(const std::string& utf8, std::size_t width) {
  std::size_t cells = displayWidth(utf8);
  return cells >= width ? utf8 : utf8 + std::string(width - cells, ' ');
}

}  // namespace qv::cli
