// The URI filename under which the SQLite library opens a backup's database read-only and
// immutable: a missing file is an error rather than a new empty database in the backup, and a
// database in write-ahead-log mode gets no -wal or -shm files beside it.
#pragma once

#include <string>

namespace qv::db {

// "file:" + the path with backslashes as slashes and URI characters percent-encoded +
// "?immutable=1". Open it with SQLITE_OPEN_READONLY | SQLITE_OPEN_URI.
std::string immutableSqliteUri(const std::string& path);

}  // namespace qv::db
