#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "backup/file_id.h"
#include "backup/manifest_choice.h"
#include "backup/manifest_db.h"
#include "backup/manifest_mbdb.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/backup_builder.h"
#include "samples/sqlite_fixture.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::backup {
namespace {

// The id of an entry left in an index before a read, which the read must drop.
constexpr char kStaleId[] = "0123456789abcdef0123456789abcdef01234567";

using samples::BackupBuilder;
using samples::ManifestLayout;

class ManifestDbTest : public ::testing::Test {
 protected:
  std::string folder(const std::string& name) const {
    return platform::joinPath(temp_.path(), name);
  }
  static std::string manifestOf(const BackupBuilder& b) {
    return platform::joinPath(b.folder(), "Manifest.db");
  }
  fixtures::TempFolder temp_;
};

TEST_F(ManifestDbTest, RowsInTableOrderWithNullAndEmptyPaths) {
  BackupBuilder b(folder("Zoë 山田"), ManifestLayout::kDb);
  b.addFile("HomeDomain", "Library/SMS/sms.db", "x");
  b.addDirectory("HomeDomain", "Library/SMS");
  const std::string rootId = samples::fileIdFor("HomeDomain", "");
  b.addDbRow(rootId, std::string("HomeDomain"), std::string(""), 2);                 // empty path
  b.addDbRow(std::string(40, 'a'), std::string("KeychainDomain"), std::nullopt, 1);  // NULL path
  b.addDbRow(std::string(40, 'b'), std::nullopt, std::string("orphan"), 1);          // NULL domain
  b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", "jpeg");
  ASSERT_EQ(b.finish(), 0);

  ManifestIndex index = {{"stale", kStaleId}};
  ASSERT_EQ(readManifestDb(manifestOf(b), &index), kOk);
  ASSERT_EQ(index.size(), 6u);
  EXPECT_EQ(index[0].key, "HomeDomain-Library/SMS/sms.db");
  EXPECT_EQ(index[0].fileId, "3d0d7e5fb2ce288813306e4d4636395e047a3d28");
  EXPECT_EQ(index[1].key, "HomeDomain-Library/SMS");  // directories are not told apart here
  EXPECT_EQ(index[2].key, "HomeDomain-");
  EXPECT_EQ(index[2].fileId, rootId);
  EXPECT_EQ(index[3].key, "KeychainDomain");
  EXPECT_EQ(index[4].key, "-orphan");
  EXPECT_EQ(index[5].key, "CameraRollDomain-Media/DCIM/100APPLE/IMG_0001.JPG");
  EXPECT_EQ(index[5].fileId, "343e26971dfe9c395c425c0ccf799df63ae6261e");
}

// A crafted fileID would become a path under the backup folder: only real ids get through.
TEST_F(ManifestDbTest, RowsWithoutAUsableFileIdAreDropped) {
  BackupBuilder b(folder("crafted"), ManifestLayout::kDb);
  b.addDbRow(std::nullopt, std::string("HomeDomain"), std::string("a"), 1);
  b.addDbRow(std::string("../../../../etc/passwd"), std::string("HomeDomain"), std::string("b"), 1);
  b.addDbRow(std::string("3D0D7E5FB2CE288813306E4D4636395E047A3D28"), std::string("HomeDomain"),
             std::string("c"), 1);
  b.addDbRow(std::string("3d0d7e5fb2ce288813306e4d4636395e047a3d2"), std::string("HomeDomain"),
             std::string("d"), 1);
  b.addDbRow(std::string("3d0d7e5fb2ce288813306e4d4636395e047a3d28"), std::string("HomeDomain"),
             std::string("e"), 1);
  ASSERT_EQ(b.finish(), 0);
  ManifestIndex index;
  ASSERT_EQ(readManifestDb(manifestOf(b), &index), kOk);
  ASSERT_EQ(index.size(), 1u);
  EXPECT_EQ(index[0].key, "HomeDomain-e");
}

TEST_F(ManifestDbTest, FilesThatAreNotAManifest) {
  ManifestIndex index = {{"stale", kStaleId}};
  const std::string missing = platform::joinPath(temp_.path(), "Manifest.db");
  EXPECT_EQ(readManifestDb(missing, &index), SQLITE_CANTOPEN);
  EXPECT_TRUE(index.empty());
  EXPECT_FALSE(platform::pathExists(missing));  // opened read-only: nothing is created

  const std::string garbage = platform::joinPath(temp_.path(), "garbage.db");
  std::string noise = samples::pseudoRandomBytes(8192, 5);
  ASSERT_EQ(platform::writeWholeFile(garbage, noise.data(), noise.size()), 0);
  EXPECT_EQ(readManifestDb(garbage, &index), kQueryFailed);

  const std::string other = platform::joinPath(temp_.path(), "other.db");
  ASSERT_EQ(samples::makeSqliteDatabase(other, "CREATE TABLE Files2 (fileID TEXT);"), 0);
  EXPECT_EQ(readManifestDb(other, &index), kQueryFailed);
  EXPECT_TRUE(index.empty());

  // An mbdb manifest handed to the database reader, and the other way round.
  const std::string mbdb = platform::joinPath(temp_.path(), "Manifest.mbdb");
  std::string bytes = samples::encodeMbdb({});
  ASSERT_EQ(platform::writeWholeFile(mbdb, bytes.data(), bytes.size()), 0);
  EXPECT_EQ(readManifestDb(mbdb, &index), kQueryFailed);
  EXPECT_EQ(readManifestMbdb(other, &index), kInvalid);
}

// A database whose later pages are overwritten fails part-way through the table: the rows read
// before the failure stay. Cut short instead, it fails before the first row.
TEST_F(ManifestDbTest, DamagedDatabaseKeepsTheRowsBeforeTheDamage) {
  BackupBuilder b(folder("cut"), ManifestLayout::kDb);
  b.setDbFileBlobSize(400);
  for (int i = 0; i < 3000; ++i)
    b.addFile("HomeDomain", "Library/f" + std::to_string(i), "", samples::StoredAs::kNone);
  ASSERT_EQ(b.finish(), 0);
  std::string path = manifestOf(b);
  std::string bytes;
  ASSERT_EQ(platform::readWholeFile(path, 1u << 30, &bytes), 0);
  ManifestIndex index;
  ASSERT_EQ(readManifestDb(manifestOf(b), &index), kOk);
  ASSERT_EQ(index.size(), 3000u);

  std::string damaged = bytes;
  for (std::size_t i = damaged.size() / 2 / 4096 * 4096; i < damaged.size(); ++i) damaged[i] = 'Z';
  ASSERT_EQ(platform::writeWholeFile(path, damaged.data(), damaged.size()), 0);
  std::string failure;
  EXPECT_EQ(readManifestDb(manifestOf(b), &index, &failure), kQueryFailed);
  ASSERT_GT(index.size(), 0u);
  EXPECT_LT(index.size(), 3000u);
  EXPECT_EQ(index[0].key, "HomeDomain-Library/f0");
  // What happened, in the library's words, rather than a system text for the number 1006.
  EXPECT_EQ(failure, "database disk image is malformed");
  EXPECT_EQ(manifestResultText(ManifestKind::kDb, kQueryFailed, failure),
            "the manifest query failed: database disk image is malformed");

  std::string cut = bytes.substr(0, bytes.size() / 2);
  ASSERT_EQ(platform::writeWholeFile(path, cut.data(), cut.size()), 0);
  EXPECT_EQ(readManifestDb(manifestOf(b), &index), kQueryFailed);
}

// One set of files in both manifest kinds reads as the same index.
TEST_F(ManifestDbTest, BothManifestKindsGiveTheSameIndex) {
  struct File {
    const char* domain;
    const char* path;
  } files[] = {{"HomeDomain", "Library/SMS/sms.db"},
               {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG"},
               {"AppDomain-net.whatsapp.WhatsApp", "Documents/ChatStorage.sqlite"},
               {"HomeDomain", "Library/Notes/Zoë 山田.txt"},
               {"HomeDomain", "Library/Caches/file11817.dat"}};
  ManifestIndex fromDb;
  ManifestIndex fromMbdb;
  for (ManifestLayout layout : {ManifestLayout::kDb, ManifestLayout::kMbdb}) {
    BackupBuilder b(folder(layout == ManifestLayout::kDb ? "db" : "mbdb"), layout);
    for (const File& f : files) b.addFile(f.domain, f.path, "bytes");
    ASSERT_EQ(b.finish(), 0);
    if (layout == ManifestLayout::kDb) {
      ASSERT_EQ(readManifestDb(manifestOf(b), &fromDb), kOk);
    } else {
      ASSERT_EQ(readManifestMbdb(platform::joinPath(b.folder(), "Manifest.mbdb"), &fromMbdb), kOk);
    }
  }
  ASSERT_EQ(fromDb.size(), std::size(files));
  ASSERT_EQ(fromMbdb.size(), std::size(files));
  for (std::size_t i = 0; i < fromDb.size(); ++i) {
    EXPECT_EQ(fromDb[i].key, fromMbdb[i].key);
    EXPECT_EQ(fromDb[i].fileId, fromMbdb[i].fileId);
    EXPECT_EQ(fromDb[i].key, std::string(files[i].domain) + "-" + files[i].path);
  }
}

// The rows as SQLite's own query gives them: a manifest's table is read straight from its pages
// when it can be, and every shape of table must read the same either way.
std::vector<std::pair<std::string, std::string>> queryRows(const std::string& path,
                                                           const std::string& table) {
  std::vector<std::pair<std::string, std::string>> rows;
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = "select fileID, domain, relativePath from " + table;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
    auto text = [stmt](int col) {
      const unsigned char* t = sqlite3_column_text(stmt, col);
      return t == nullptr ? std::string()
                          : std::string(reinterpret_cast<const char*>(t),
                                        static_cast<std::size_t>(sqlite3_column_bytes(stmt, col)));
    };
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      if (!isFileId(text(0))) continue;
      std::string key = text(1);
      if (sqlite3_column_type(stmt, 2) != SQLITE_NULL) key += "-" + text(2);
      rows.emplace_back(key, text(0));
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

TEST_F(ManifestDbTest, EveryShapeOfTableReadsAsTheQueryReadsIt) {
  constexpr char kFiles[] =
      "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, "
      "flags INTEGER, file BLOB)";
  // Row i of a case: its row id, id and values as SQL (the id of row i is fileIdFor(i)).
  auto row = [](int rowId, int i, const std::string& domain, const std::string& path) {
    return "INSERT INTO Files (rowid, fileID, domain, relativePath, flags, file) VALUES (" +
           std::to_string(rowId) + ", '" + samples::fileIdFor("HomeDomain", std::to_string(i)) +
           "', " + domain + ", " + path + ", 1, zeroblob(300))";
  };
  struct Case {
    const char* name;
    samples::SqliteOptions options;
    std::string schema;
    std::function<std::string(int)> insert;  // the statement of row i
    int rows;
  } cases[] = {
      {"rows in the table's order",
       {},
       kFiles,
       [&](int i) { return row(i + 1, i, "'HomeDomain'", "'Library/f" + std::to_string(i) + "'"); },
       3000},
      // Pages split to the left: the walk meets the leaves in another order than the row ids.
      {"row ids falling",
       {},
       kFiles,
       [&](int i) { return row(100000 - i, i, "'HomeDomain'", "'f" + std::to_string(i) + "'"); },
       3000},
      // Columns of no type keep numbers as numbers (TEXT columns would turn them into text).
      {"numbers and blobs where texts belong",
       {},
       "CREATE TABLE Files (fileID PRIMARY KEY, domain, relativePath, flags, file)",
       [&](int i) {
         return i % 3 == 0   ? row(i + 1, i, "42", "1.5")
                : i % 3 == 1 ? row(i + 1, i, "x'486f6d65'", "NULL")
                             : row(i + 1, i, "NULL", "-7");
       },
       30},
      {"a lower-case table with its columns in another order",
       {},
       "CREATE TABLE files (flags INTEGER, file BLOB, relativePath TEXT, domain TEXT, "
       "fileID TEXT PRIMARY KEY)",
       [&](int i) { return row(i + 1, i, "'AppDomain'", "'Zoë 山田/" + std::to_string(i) + "'"); },
       500},
      {"texts in UTF-16",
       {.encoding = "UTF-16le"},
       kFiles,
       [&](int i) { return row(i + 1, i, "'Zoë'", "'山田" + std::to_string(i) + "'"); },
       500},
      {"rows only in the log",
       {.wal = true},
       kFiles,
       [&](int i) { return row(i + 1, i, "'HomeDomain'", "'log/" + std::to_string(i) + "'"); },
       800},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string made = folder("made" + std::to_string(n));
    const std::string copied = folder("Manifest" + std::to_string(n++) + ".db");
    samples::SqliteFixture db;
    ASSERT_EQ(db.create(made, c.options), 0);
    ASSERT_EQ(db.exec(c.schema), 0);
    ASSERT_EQ(db.begin(), 0);
    for (int i = 0; i < c.rows; ++i) ASSERT_EQ(db.exec(c.insert(i)), 0);
    ASSERT_EQ(db.commit(), 0);
    // A log is copied while the connection is open: closing checkpoints it into the file.
    const std::string path = c.options.wal ? copied : made;
    if (c.options.wal) {
      ASSERT_EQ(db.copyWithWal(path), 0);
    }
    ASSERT_EQ(db.close(), 0);

    ManifestIndex index;
    ASSERT_EQ(readManifestDb(path, &index), kOk);
    const auto expected =
        queryRows(path, c.schema.find("files") == std::string::npos ? "Files" : "files");
    ASSERT_EQ(index.size(), expected.size());
    EXPECT_GT(index.size(), 0u);
    for (std::size_t i = 0; i < index.size(); ++i) {
      EXPECT_EQ(index[i].key, expected[i].first) << i;
      EXPECT_EQ(index[i].fileId, expected[i].second) << i;
    }
  }
}

}  // namespace
}  // namespace qv::backup
