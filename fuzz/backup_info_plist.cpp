// Any bytes as an Info.plist, in either form: the line reader and the key rules must end and
// stay inside their buffers, the date conversion must survive whatever text the date line
// holds, and the binary form's reader must refuse damage without reading outside the bytes.
#include <cstdint>
#include <cstdlib>

#include "backup/backup_date.h"
#include "backup/info_plist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  qv::backup::MemorySource source(text, size);
  qv::backup::LineReader lines(&source);
  qv::backup::BackupInfo info;
  qv::backup::applyInfoPlistKeys(&lines, &info);
  if (info.serialNumber.size() > size || info.phoneNumber.size() > size) std::abort();
  qv::backup::localBackupDate(std::string_view(text, size < 64 ? size : 64));
  qv::backup::BackupInfo binary;
  qv::backup::applyBinaryInfoPlist(std::string_view(text, size), &binary);
  if (binary.serialNumber.size() > size || binary.phoneNumber.size() > size) std::abort();
  return 0;
}
