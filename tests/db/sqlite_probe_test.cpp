// The SQLite library beside the page reader: the immutable URI of a file and the table probe,
// on paths that hold every character a URI gives a meaning to.
#include "db/sqlite_probe.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "db/sqlite_uri.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "samples/sqlite_fixture.h"
#include "tests/fixtures/temp_folder.h"

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

TEST(SqliteProbe, TablesAndTheirColumnsUnderAnyName) {
  fixtures::TempFolder folder;
  std::string name = "a #dir% with \xC3\xA9 &";
  if (!kWindows) name += " and \\";  // a name character elsewhere
  const std::string dir = folder.file(name);
  ASSERT_EQ(platform::createFolders(dir), 0);
  const std::string path = platform::joinPath(dir, "t.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {}), 0);
  ASSERT_EQ(db.exec("CREATE TABLE wide (a, b, c, d, e); CREATE TABLE empty (x)"), 0);
  ASSERT_EQ(db.exec("PRAGMA journal_mode=WAL"), 0);
  ASSERT_EQ(db.close(), 0);

  int columns = -1;
  EXPECT_EQ(probeTable(path, "wide", &columns), kOk);
  EXPECT_EQ(columns, 5);
  EXPECT_EQ(probeTable(path, "empty", &columns), kOk);  // no rows, still its columns
  EXPECT_EQ(columns, 1);
  EXPECT_EQ(probeTable(path, "missing", &columns), kQueryFailed);
  EXPECT_EQ(columns, 0);
  // Nothing is written beside a write-ahead-log database.
  EXPECT_FALSE(platform::pathExists(path + "-wal"));
  EXPECT_FALSE(platform::pathExists(path + "-shm"));

  // A missing file is the library's open error, and is not created.
  const std::string missing = platform::joinPath(dir, "missing.db");
  EXPECT_EQ(probeTable(missing, "wide", &columns), SQLITE_CANTOPEN);
  EXPECT_FALSE(platform::pathExists(missing));
  // Bytes that are no database cannot be queried.
  const std::string garbage = platform::joinPath(dir, "garbage.db");
  const std::string bytes(4096, 'x');
  ASSERT_EQ(platform::writeWholeFile(garbage, bytes.data(), bytes.size()), 0);
  EXPECT_EQ(probeTable(garbage, "wide", &columns), kQueryFailed);
}

TEST(SqliteProbe, AHandleOpensOnceAndClosesWithItsOwner) {
  fixtures::TempFolder folder;
  const std::string path = folder.file("one.db");
  samples::SqliteFixture db;
  ASSERT_EQ(db.create(path, {}), 0);
  ASSERT_EQ(db.close(), 0);
  SqliteHandle handle;
  EXPECT_EQ(handle.get(), nullptr);
  ASSERT_EQ(handle.open(path), SQLITE_OK);
  ASSERT_NE(handle.get(), nullptr);
  // Opening again closes the first handle; a failed open still leaves a handle to close.
  EXPECT_EQ(handle.open(folder.file("none.db")), SQLITE_CANTOPEN);
  ASSERT_EQ(handle.open(path), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  // Read only: nothing can be written through it.
  EXPECT_EQ(sqlite3_prepare_v2(handle.get(), "CREATE TABLE t (a)", -1, &stmt, nullptr), SQLITE_OK);
  EXPECT_EQ(sqlite3_step(stmt), SQLITE_READONLY);
  sqlite3_finalize(stmt);
}

}  // namespace
}  // namespace qv::db
