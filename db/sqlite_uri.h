// The URI filename under which the SQLite library opens a backup's database read only and
// immutable: a missing file is an error rather than a new empty database in the backup, and a
// database in write-ahead-log mode gets no -wal or -shm files beside it. A library of its own
// (qv::sqlite_uri) so that the decryption tool opens its manifest the same way.
#pragma once

#include <string>

namespace qv::db {

// "file:" + the path with characters that mean something in a URI percent-encoded +
// "?immutable=1". On Windows backslashes become slashes and a drive letter starts an absolute
// path; elsewhere both are characters of a name. An absolute path gets an empty authority
// ("file:///C:/x", "file:///home/x"). Open it with SQLITE_OPEN_READONLY | SQLITE_OPEN_URI.
std::string immutableSqliteUri(const std::string& path);

}  // namespace qv::db
