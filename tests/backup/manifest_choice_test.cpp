#include <gtest/gtest.h>

#include <string>

#include "backup/manifest_choice.h"
#include "backup/stored_path.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/backup_builder.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::backup {
namespace {

// The id of an entry left in an index before a read, which the read must drop.
constexpr char kStaleId[] = "0123456789abcdef0123456789abcdef01234567";

using samples::BackupBuilder;
using samples::ManifestLayout;

TEST(StoredPathTest, LayoutRulesInOrder) {
  const std::string folder = "backup";
  const std::string sep(1, platform::kSep);
  const std::string id = "3d0d7e5fb2ce288813306e4d4636395e047a3d28";
  EXPECT_EQ(storedFilePath(folder, id, true, true), folder + sep + id);  // enciphered: flat
  EXPECT_EQ(storedFilePath(folder, id, true, false), folder + sep + id);
  EXPECT_EQ(storedFilePath(folder, id, false, true), folder + sep + "3d" + sep + id);
  EXPECT_EQ(storedFilePath(folder, id, false, false), folder + sep + id);
  EXPECT_EQ(storedFilePath(folder + sep, id, false, false), folder + sep + id);
  // A folder of non-ASCII letters stays as it is, byte for byte.
  EXPECT_EQ(storedFilePath("Sauvegarde \xC3\xA9t\xC3\xA9", id, false, true),
            "Sauvegarde \xC3\xA9t\xC3\xA9" + sep + "3d" + sep + id);
}

class ManifestChoiceTest : public ::testing::Test {
 protected:
  std::string folder(const std::string& name) const {
    return platform::joinPath(temp_.path(), name);
  }
  fixtures::TempFolder temp_;
};

// A file named like the deciphered manifest in a backup folder (planted, or left by an old
// version) never stands in for the backup's own manifest; decryption's copy is read from the
// tool's output folder only.
TEST_F(ManifestChoiceTest, APlainBackupReadsItsOwnManifestAndDecryptionItsOwnCopy) {
  BackupBuilder own(folder("Zoë 山田"), ManifestLayout::kDb);
  own.addFile("HomeDomain", "own-manifest", "x");
  ASSERT_EQ(own.finish(), 0);
  BackupBuilder other(folder("other"), ManifestLayout::kDb);
  other.addFile("HomeDomain", "other-a", "x");
  other.addFile("HomeDomain", "other-b", "x");
  ASSERT_EQ(other.finish(), 0);
  const std::string otherDb = platform::joinPath(other.folder(), "Manifest.db");
  const std::string planted = platform::joinPath(own.folder(), kDecipheredManifestName);
  std::string bytes;
  ASSERT_EQ(platform::readWholeFile(otherDb, 1 << 24, &bytes), 0);
  ASSERT_EQ(platform::writeWholeFile(planted, bytes.data(), bytes.size()), 0);

  const std::string w = own.folder();
  ASSERT_TRUE(hasManifestDb(w));
  ManifestIndex index;
  ASSERT_EQ(readChosenManifest(w, true, &index), kOk);
  ASSERT_EQ(index.size(), 1u);
  EXPECT_EQ(index[0].key, "HomeDomain-own-manifest");

  // After decryption: the copy in the output folder, for the Manifest.db era.
  const std::string output = folder("output");
  ASSERT_EQ(platform::createFolders(output), 0);
  ASSERT_EQ(platform::renameFile(otherDb, platform::joinPath(output, kDecipheredManifestName)), 0);
  ASSERT_EQ(readDecipheredManifest(w, output, true, &index), kOk);
  ASSERT_EQ(index.size(), 2u);
  EXPECT_EQ(index[0].key, "HomeDomain-other-a");
  EXPECT_EQ(readDecipheredManifest(w, folder("no-output"), true, &index), kInvalid);
  EXPECT_TRUE(index.empty());
}

TEST_F(ManifestChoiceTest, ChosenManifestThatIsGone) {
  BackupBuilder b(folder("gone"), ManifestLayout::kDb);
  b.addFile("HomeDomain", "a", "x");
  ASSERT_EQ(b.finish(), 0);
  const std::string w = b.folder();
  ASSERT_TRUE(hasManifestDb(w));
  ASSERT_EQ(platform::removeFile(platform::joinPath(b.folder(), "Manifest.db")), 0);
  ManifestIndex index = {{"stale", kStaleId}};
  EXPECT_EQ(readChosenManifest(w, true, &index), kInvalid);
  EXPECT_TRUE(index.empty());
  EXPECT_FALSE(platform::pathExists(platform::joinPath(b.folder(), "Manifest.db")));
  EXPECT_FALSE(hasManifestDb(w));
  EXPECT_EQ(readChosenManifest(w, false, &index), kInvalid);  // no Manifest.mbdb either

  // A folder named Manifest.db is not a manifest database.
  ASSERT_EQ(platform::createFolders(platform::joinPath(b.folder(), "Manifest.db")), 0);
  EXPECT_FALSE(hasManifestDb(w));
}

TEST_F(ManifestChoiceTest, MbdbWhenThereIsNoDatabase) {
  BackupBuilder b(folder("old"), ManifestLayout::kMbdb);
  b.addFile("HomeDomain", "Library/SMS/sms.db", "x");
  ASSERT_EQ(b.finish(), 0);
  const std::string w = b.folder();
  ASSERT_FALSE(hasManifestDb(w));
  ManifestIndex index;
  ASSERT_EQ(readChosenManifest(w, false, &index), kOk);
  ASSERT_EQ(index.size(), 1u);
  EXPECT_TRUE(platform::isFile(storedFilePath(w, index[0].fileId, false, false)));
  EXPECT_EQ(manifestResultText(ManifestKind::kDb, 14).rfind("SQLite: ", 0), 0u);
  EXPECT_EQ(manifestResultText(ManifestKind::kMbdb, kMbdbOpenFailed),
            "Manifest.mbdb cannot be opened");
}

}  // namespace
}  // namespace qv::backup
