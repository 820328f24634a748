#include "backup/stored_path.h"

#include "platform/folders.h"
#include "platform/text.h"

namespace qv::backup {

std::wstring joinWide(const std::wstring& folder, std::wstring_view name) {
  std::wstring out = folder;
  if (out.empty() || out.back() != static_cast<wchar_t>(platform::kSep))
    out.push_back(static_cast<wchar_t>(platform::kSep));
  out.append(name);
  return out;
}

std::wstring storedFilePath(const std::wstring& folder, std::string_view fileId, bool encrypted,
                            bool hasManifestDb) {
  std::wstring id = platform::toWide(fileId);
  if (encrypted || !hasManifestDb) return joinWide(folder, id);
  return joinWide(joinWide(folder, id.substr(0, 2)), id);
}

}  // namespace qv::backup
