// The immutable URI under which the SQLite library opens a file, for paths that hold every
// character a URI gives a meaning to.
#include "db/sqlite_uri.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/folders.h"

namespace qv::db {
namespace {

constexpr bool kWindows = platform::kSep == '\\';

TEST(SqliteUri, EveryPathBecomesAnImmutableUri) {
  const struct {
    const char* path;
    const char* uri;
  } cases[] = {
      {"/tmp/a b#c?d%e.db", "file:///tmp/a%20b%23c%3Fd%25e.db?immutable=1"},
      {"rel/x-y_z.~db", "file:rel/x-y_z.~db?immutable=1"},
      {"/Caf\xC3\xA9/sms.db", "file:///Caf%C3%A9/sms.db?immutable=1"},
      {"", "file:?immutable=1"},
      // A backslash separates folders on Windows only; elsewhere it belongs to a name, and
      // so does a colon after a first letter.
      {"C:\\Users\\x.db",
       kWindows ? "file:///C:/Users/x.db?immutable=1" : "file:C:%5CUsers%5Cx.db?immutable=1"},
      {"\\\\server\\share\\x.db", kWindows ? "file:////server/share/x.db?immutable=1"
                                           : "file:%5C%5Cserver%5Cshare%5Cx.db?immutable=1"},
  };
  for (const auto& c : cases) EXPECT_EQ(immutableSqliteUri(c.path), c.uri) << c.path;
}

}  // namespace
}  // namespace qv::db
