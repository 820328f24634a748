#include "backup/encryption_probe.h"

#include "backup/file_id.h"
#include "backup/manifest_choice.h"
#include "backup/stored_path.h"
#include "platform/ascii.h"
#include "platform/file.h"

namespace qv::backup {

bool probeEncrypted(const std::string& folder) {
  const std::string path = storedFilePath(folder, kAddressBookFileId, false, hasManifestDb(folder));
  platform::File file;
  if (file.openRead(path) != 0 && file.openRead(path + ".mddata") != 0) return false;

  char head[512];
  std::size_t got = 0;
  if (file.readAt(0, head, sizeof head, &got) != 0 || got == 0) return false;
  return got < 6 || !platform::equalsNoCase(std::string_view(head, 6), "sqlite");
}

}  // namespace qv::backup
