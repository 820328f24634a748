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

TEST_F(ManifestChoiceTest, DecipheredCopyIsPreferred) {
  BackupBuilder b(folder("Zoë 山田"), ManifestLayout::kDb);
  b.addFile("HomeDomain", "enciphered-manifest", "x");
  ASSERT_EQ(b.finish(), 0);
  BackupBuilder plain(folder("plain"), ManifestLayout::kDb);
  plain.addFile("HomeDomain", "deciphered-a", "x");
  plain.addFile("HomeDomain", "deciphered-b", "x");
  ASSERT_EQ(plain.finish(), 0);
  ASSERT_EQ(platform::renameFile(platform::joinPath(plain.folder(), "Manifest.db"),
                                 platform::joinPath(b.folder(), "Manifest.db-decypted")),
            0);

  const std::string w = b.folder();
  ASSERT_TRUE(hasManifestDb(w));
  ManifestIndex index;
  ASSERT_EQ(readChosenManifest(w, true, &index), kOk);
  ASSERT_EQ(index.size(), 2u);
  EXPECT_EQ(index[0].key, "HomeDomain-deciphered-a");
}

TEST_F(ManifestChoiceTest, ChosenManifestThatIsGone) {
  BackupBuilder b(folder("gone"), ManifestLayout::kDb);
  b.addFile("HomeDomain", "a", "x");
  ASSERT_EQ(b.finish(), 0);
  const std::string w = b.folder();
  ASSERT_TRUE(hasManifestDb(w));
  ASSERT_EQ(platform::removeFile(platform::joinPath(b.folder(), "Manifest.db")), 0);
  ManifestIndex index = {{"stale", "stale"}};
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
