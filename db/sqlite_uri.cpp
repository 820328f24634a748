#include "db/sqlite_uri.h"

#include "platform/folders.h"

namespace qv::db {

std::string immutableSqliteUri(const std::string& path) {
  constexpr bool kWindows = platform::kSep == '\\';
  std::string p = path;
  if (kWindows) {
    for (char& c : p) {
      if (c == '\\') c = '/';
    }
  }
  std::string uri = "file:";
  const bool drive = kWindows && p.size() >= 2 && p[1] == ':' &&
                     ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
  if (drive) uri += "///";
  if (!p.empty() && p[0] == '/') uri += "//";
  static const char kHex[] = "0123456789ABCDEF";
  for (char ch : p) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~' || c == '/' || c == ':') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri + "?immutable=1";
}

}  // namespace qv::db
