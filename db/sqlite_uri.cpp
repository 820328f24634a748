#include "db/sqlite_uri.h"

namespace qv::db {

// The path as an SQLite URI filename for an immutable, read-only open: characters with a
// meaning in URIs percent-encoded, backslashes turned into slashes.
std::string immutableSqliteUri(const std::string& path) {
  std::string uri = "file:";
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (drive) uri += "///";
  if (!path.empty() && (path[0] == '/' || path[0] == '\\')) uri += "//";
  static const char kHex[] = "0123456789ABCDEF";
  for (char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      uri += '/';
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '.' || c == '_' || c == '~' || c == '/' || c == ':') {
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
