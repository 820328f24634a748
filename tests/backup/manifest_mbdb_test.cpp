#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup/file_id.h"
#include "backup/manifest_mbdb.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/os_calls.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/backup_builder.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::backup {
namespace {

// The id of an entry left in an index before a read, which the read must drop.
constexpr char kStaleId[] = "0123456789abcdef0123456789abcdef01234567";

using samples::MbdbRecord;

MbdbRecord record(std::optional<std::string> domain, std::optional<std::string> path,
                  std::uint16_t mode = samples::kModeFile) {
  MbdbRecord r;
  r.domain = std::move(domain);
  r.relativePath = std::move(path);
  r.mode = mode;
  return r;
}

std::vector<std::string> keysOf(const ManifestIndex& index) {
  std::vector<std::string> keys;
  for (const ManifestEntry& e : index) keys.emplace_back(e.key);
  return keys;
}

TEST(FileIdTest, KnownDigests) {
  EXPECT_EQ(fileIdOf("HomeDomain-Library/SMS/sms.db"), "3d0d7e5fb2ce288813306e4d4636395e047a3d28");
  EXPECT_EQ(fileIdOf("HomeDomain-Library/AddressBook/AddressBook.sqlitedb"),
            "31bb7ba8914766d4ba40d6dfb6113c8b614be442");
  // A digest that begins with sixteen zero bits keeps its leading zeros.
  EXPECT_EQ(fileIdOf("HomeDomain-Library/Caches/file11817.dat"),
            "00004f6ae631191639f274a24a69e5d3fa06c5be");
  EXPECT_EQ(fileIdOf(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_TRUE(isFileId("00004f6ae631191639f274a24a69e5d3fa06c5be"));
  EXPECT_FALSE(isFileId("00004F6AE631191639F274A24A69E5D3FA06C5BE"));
  EXPECT_FALSE(isFileId("../../00004f6ae631191639f274a24a69e5d3fa"));
  EXPECT_FALSE(isFileId("00004f6ae631191639f274a24a69e5d3fa06c5b"));
}

TEST(ManifestMbdbTest, RecordsOfEveryKind) {
  std::vector<MbdbRecord> records;
  records.push_back(record("HomeDomain", "Library/SMS/sms.db"));
  records.push_back(record("HomeDomain", "Library/SMS", samples::kModeDirectory));
  MbdbRecord link = record("MediaDomain", "Media/Recordings/latest.m4a", samples::kModeSymlink);
  link.linkTarget = "Recording 1.m4a";
  records.push_back(link);
  records.push_back(record("KeychainDomain", std::nullopt));  // absent path
  records.push_back(record(std::nullopt, "Library/x"));       // absent domain
  records.push_back(record("HomeDomain", ""));                // empty path
  MbdbRecord full = record("AppDomain-com.example.app", "Documents/Zoë 山田.txt");
  full.dataHash = std::string(20, '\x01');
  full.encryptionKey = std::string(44, '\xFE');
  full.size = 0xFFFFFFFFFFull;
  full.properties = {{"com.apple.assetsd.UUID", std::string("\0\xFF\xFF", 3)},
                     {std::nullopt, std::nullopt},
                     {"", "x"}};
  records.push_back(full);
  // A directory whose other type bits are odd still counts as a directory only by 0x4000.
  records.push_back(record("HomeDomain", "weird", 0x6000));
  records.push_back(record("HomeDomain", "Library/Caches/file11817.dat"));

  ManifestIndex index = {{"stale", kStaleId}};
  ASSERT_EQ(parseManifestMbdb(samples::encodeMbdb(records), &index), kOk);
  std::vector<std::string> expected = {
      "HomeDomain-Library/SMS/sms.db", "MediaDomain-Media/Recordings/latest.m4a",
      "AppDomain-com.example.app-Documents/Zoë 山田.txt", "HomeDomain-weird",
      "HomeDomain-Library/Caches/file11817.dat"};
  EXPECT_EQ(keysOf(index), expected);
  EXPECT_EQ(index[0].fileId, "3d0d7e5fb2ce288813306e4d4636395e047a3d28");
  EXPECT_EQ(index[4].fileId, "00004f6ae631191639f274a24a69e5d3fa06c5be");
  for (const ManifestEntry& e : index) EXPECT_EQ(e.fileId, fileIdOf(e.key));
}

TEST(ManifestMbdbTest, HeaderOnlyAndMissingSignature) {
  ManifestIndex index = {{"stale", kStaleId}};
  EXPECT_EQ(parseManifestMbdb(std::string("mbdb\x05\x00", 6), &index), kOk);
  EXPECT_TRUE(index.empty());
  EXPECT_EQ(parseManifestMbdb("mbdb", &index), kOk);
  EXPECT_EQ(parseManifestMbdb("mbdb\x05", &index), kOk);
  EXPECT_TRUE(index.empty());
  index = {{"stale", kStaleId}};
  EXPECT_EQ(parseManifestMbdb("mbdx\x05\x00", &index), kInvalid);
  EXPECT_TRUE(index.empty());
  EXPECT_EQ(parseManifestMbdb("", &index), kInvalid);
  EXPECT_EQ(parseManifestMbdb("mbd", &index), kInvalid);
}

// Every cut of a manifest keeps exactly the records that end before the cut.
TEST(ManifestMbdbTest, TruncatedFilesKeepTheWholeRecordsBeforeTheCut) {
  std::vector<MbdbRecord> records;
  for (int i = 0; i < 6; ++i) {
    MbdbRecord r = record("HomeDomain", "Library/file" + std::to_string(i));
    if (i % 2 == 1) r.properties = {{"name", "value"}};
    records.push_back(r);
  }
  const std::string bytes = samples::encodeMbdb(records);
  std::vector<std::size_t> recordEnds;
  std::size_t end = 6;
  for (const MbdbRecord& r : records)
    recordEnds.push_back(end += samples::encodeMbdbRecord(r).size());
  ASSERT_EQ(recordEnds.back(), bytes.size());

  for (std::size_t cut = 6; cut <= bytes.size(); ++cut) {
    std::size_t complete = 0;
    while (complete < recordEnds.size() && recordEnds[complete] <= cut) ++complete;
    ManifestIndex index;
    ASSERT_EQ(parseManifestMbdb(std::string_view(bytes).substr(0, cut), &index), kOk) << cut;
    ASSERT_EQ(index.size(), complete) << cut;
  }
}

TEST(ManifestMbdbTest, StringsRunningPastTheEnd) {
  std::string bytes = samples::encodeMbdb({record("HomeDomain", "a")});
  // A second record whose domain claims 0x7FFF bytes, then its path claims 0xFFFE.
  std::string past = bytes + "\x7F\xFF" + std::string(40, 'd');
  ManifestIndex index;
  EXPECT_EQ(parseManifestMbdb(past, &index), kOk);
  EXPECT_EQ(index.size(), 1u);
  std::string pastPath = bytes +
                         std::string(
                             "\x00\x01"
                             "d"
                             "\xFF\xFE",
                             5) +
                         std::string(10, 'p');
  EXPECT_EQ(parseManifestMbdb(pastPath, &index), kOk);
  EXPECT_EQ(index.size(), 1u);
  // 255 properties announced, none there.
  MbdbRecord r = record("HomeDomain", "b");
  std::string props = samples::encodeMbdbRecord(r);
  props.back() = '\xFF';
  EXPECT_EQ(parseManifestMbdb(bytes + props, &index), kOk);
  EXPECT_EQ(index.size(), 1u);
}

// Overwritten bytes anywhere: the reader ends, and whatever it yields is self-consistent.
TEST(ManifestMbdbTest, DamagedManifestsNeverYieldInconsistentEntries) {
  std::vector<MbdbRecord> records;
  for (int i = 0; i < 40; ++i) {
    MbdbRecord r = record(i % 3 ? "HomeDomain" : "CameraRollDomain",
                          "Media/DCIM/100APPLE/IMG_" + std::to_string(1000 + i) + ".JPG",
                          i % 7 ? samples::kModeFile : samples::kModeDirectory);
    if (i % 4 == 0) r.properties = {{"p", "v"}, {std::nullopt, "w"}};
    records.push_back(r);
  }
  const std::string clean = samples::encodeMbdb(records);
  const std::string noise = samples::pseudoRandomBytes(8192, 11);
  for (std::size_t round = 0; round < 3000; ++round) {
    std::string bytes = clean;
    for (std::size_t k = 0; k < 1 + round % 4; ++k) {
      std::size_t at =
          4 + (static_cast<unsigned char>(noise[(round * 5 + k) % noise.size()]) * 257 +
               round * 31 + k * 7919) %
                  (bytes.size() - 4);
      bytes[at] = noise[(round * 3 + k * 17) % noise.size()];
    }
    ManifestIndex index;
    ASSERT_EQ(parseManifestMbdb(bytes, &index), kOk);
    ASSERT_LE(index.size(), records.size() + bytes.size() / 41);
    for (const ManifestEntry& e : index) {
      ASSERT_EQ(e.fileId, fileIdOf(e.key)) << round;
      ASSERT_NE(e.key.find('-'), std::string::npos);
    }
  }
}

// A crafted manifest may list as many records as fit its size: the index's limits refuse one
// past them before anything is allocated for it, where a manifest of 255 MiB of tiny records
// once took 890 MB. One within them is read whole.
TEST(ManifestIndexLimits, ManifestsPastTheLimitsAreRefused) {
  const std::string one = samples::encodeMbdbRecord(record("D", "p"));
  std::string many = samples::encodeMbdb({});
  many.reserve(many.size() + one.size() * (kMaxManifestEntries + 1));
  for (std::size_t i = 0; i <= kMaxManifestEntries; ++i) many += one;
  ManifestIndex index = {{"stale", kStaleId}};
  EXPECT_EQ(parseManifestMbdb(many, &index), kInvalid);
  EXPECT_TRUE(index.empty());

  // The limit on ids and keys, tested on the index itself: a part that long is refused by its
  // length, before any of its bytes are read.
  ManifestIndex small;
  const char byte = 'k';
  EXPECT_TRUE(small.add(kStaleId, {"HomeDomain-a"}));
  EXPECT_FALSE(small.add(kStaleId, {std::string_view(&byte, kMaxManifestTextBytes)}));
  EXPECT_FALSE(small.add("not an id", {"HomeDomain-b"}));
  ASSERT_EQ(small.size(), 1u);
  EXPECT_EQ(small[0].key, "HomeDomain-a");
  EXPECT_EQ(small[0].fileId, kStaleId);
  EXPECT_EQ(small.textBytes(), 40u + 12u);
}

class ManifestMbdbFileTest : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    std::string path = platform::joinPath(temp_.path(), name);
    EXPECT_EQ(platform::writeWholeFile(path, bytes.data(), bytes.size()), 0);
    return path;
  }
  fixtures::TempFolder temp_;
};

// A file is read through a window of a megabyte; a record larger than that (properties of up
// to 64 KiB each) widens it, and the records around it are read as from memory.
TEST_F(ManifestMbdbFileTest, RecordsLargerThanTheReadingWindow) {
  std::vector<MbdbRecord> records;
  records.push_back(record("HomeDomain", "before"));
  MbdbRecord big = record("HomeDomain", std::string(60000, 'p'));
  for (int i = 0; i < 24; ++i) big.properties.push_back({std::string(60000, 'n'), "v"});
  records.push_back(big);
  for (int i = 0; i < 30000; ++i) records.push_back(record("HomeDomain", "f" + std::to_string(i)));
  const std::string bytes = samples::encodeMbdb(records);
  ASSERT_GT(bytes.size(), 2u << 20);
  ManifestIndex fromFile, fromMemory;
  ASSERT_EQ(readManifestMbdb(write("big", bytes), &fromFile), kOk);
  ASSERT_EQ(parseManifestMbdb(bytes, &fromMemory), kOk);
  ASSERT_EQ(fromFile.size(), records.size());
  EXPECT_EQ(keysOf(fromFile), keysOf(fromMemory));
  EXPECT_EQ(fromFile[1].key.size(), std::string("HomeDomain-").size() + 60000);
  EXPECT_EQ(fromFile[records.size() - 1].key, "HomeDomain-f29999");
}

TEST_F(ManifestMbdbFileTest, OpenAndReadFailures) {
  ManifestIndex index = {{"stale", kStaleId}};
  EXPECT_EQ(readManifestMbdb("", &index), kInvalid);
  EXPECT_TRUE(index.empty());
  index = {{"stale", kStaleId}};
  EXPECT_EQ(readManifestMbdb(platform::joinPath(temp_.path(), "none"), &index), kMbdbOpenFailed);
  EXPECT_TRUE(index.empty());
  EXPECT_EQ(readManifestMbdb(write("garbage", "not a manifest at all"), &index), kInvalid);

  std::string good = write("Zoë 山田 Manifest.mbdb",
                           samples::encodeMbdb({record("HomeDomain", "Library/SMS/sms.db")}));
  ASSERT_EQ(readManifestMbdb(good, &index), kOk);
  ASSERT_EQ(index.size(), 1u);

  // A file that claims to be larger than the cap is refused before anything is allocated.
  platform::OsCalls calls = platform::osCalls();
  calls.sizeOf = [](platform::NativeHandle, std::uint64_t* size) {
    *size = kMaxMbdbBytes + 1;
    return kOk;
  };
  calls.readAt = [](platform::NativeHandle, std::uint64_t, void*, std::size_t, std::size_t*) {
    ADD_FAILURE() << "read of a manifest over the cap";
    return kErrReadFault;
  };
  {
    platform::ScopedOsCalls scope(calls);
    EXPECT_EQ(readManifestMbdb(good, &index), kInvalid);
    EXPECT_TRUE(index.empty());
  }
  // A file that shrinks between its size and its read gives the short-read code.
  calls = platform::osCalls();
  calls.readAt = [](platform::NativeHandle, std::uint64_t, void*, std::size_t, std::size_t* got) {
    *got = 0;
    return kOk;
  };
  {
    platform::ScopedOsCalls scope(calls);
    EXPECT_EQ(readManifestMbdb(good, &index), kShortRead);
    EXPECT_TRUE(index.empty());
  }
  calls = platform::osCalls();
  calls.sizeOf = [](platform::NativeHandle, std::uint64_t*) { return kErrAccessDenied; };
  platform::ScopedOsCalls scope(calls);
  EXPECT_EQ(readManifestMbdb(good, &index), kErrAccessDenied);
}

}  // namespace
}  // namespace qv::backup
