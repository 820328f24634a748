#include <gtest/gtest.h>

#include <string>

#include "framework/zip_archive.h"
#include "platform/result.h"
#include "tests/framework/test_support.h"

namespace qv::framework {
namespace {

using test::makeZip;

TEST(ZipArchiveTest, ReadsStoredAndDeflatedEntriesByNormalisedName) {
  std::string big(100000, 'x');
  ZipArchive zip;
  ASSERT_EQ(zip.open(makeZip({{"xml/skin.xml", "<Window/>", false},
                              {"Controls.png", big, true},
                              {"empty.txt", "", true},
                              {"xml/", "", false}})),
            kOk);
  std::string out;
  EXPECT_EQ(zip.read("xml\\SKIN.xml", &out), kOk);
  EXPECT_EQ(out, "<Window/>");
  EXPECT_EQ(zip.read("./controls.PNG", &out), kOk);
  EXPECT_EQ(out, big);
  EXPECT_EQ(zip.read("empty.txt", &out), kOk);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(zip.read("missing.png", &out), kErrFileNotFound);
  EXPECT_EQ(zip.names(), (std::vector<std::string>{"controls.png", "empty.txt", "xml/skin.xml"}));
}

TEST(ZipArchiveTest, UnsafeNamesAreNeverIndexed) {
  ZipArchive zip;
  ASSERT_EQ(zip.open(makeZip({{"../evil.xml", "a"},
                              {"/abs.xml", "b"},
                              {"c:/drive.xml", "c"},
                              {"xml/../up.xml", "d"},
                              {"fine..name.xml", "e"}})),
            kOk);
  EXPECT_EQ(zip.names(), std::vector<std::string>{"fine..name.xml"});
}

// Damage at a fixed place of a one-entry archive, and the code the read must give.
struct Damage {
  const char* what;
  std::size_t offset;  // from the start; patched with `bytes`
  std::string bytes;
  int openCode;
  int readCode;
};

class ZipDamageTest : public testing::TestWithParam<Damage> {};

TEST_P(ZipDamageTest, DamagedArchivesGiveCodes) {
  std::string bytes = makeZip({{"a.xml", "<Window size=\"1,1\"/>", false}});
  const Damage& d = GetParam();
  bytes.replace(d.offset, d.bytes.size(), d.bytes);
  ZipArchive zip;
  EXPECT_EQ(zip.open(bytes), d.openCode);
  std::string out = "stale";
  EXPECT_EQ(zip.read("a.xml", &out), d.readCode);
  EXPECT_TRUE(out.empty());
}

// Layout of the archive above: local header at 0 (30 + 5 name + 20 data = 55 bytes), central
// entry at 55 (46 + 5), end record at 106.
INSTANTIATE_TEST_SUITE_P(
    Faults, ZipDamageTest,
    testing::Values(
        Damage{"crc", 55 + 16, std::string("\x01\x02\x03\x04", 4), kOk, kInvalid},
        Damage{"local signature", 0, "PK\x09\x09", kOk, kInvalid},
        Damage{"local offset past end", 55 + 42, "\xF0\xFF\xFF\x00", kOk, kInvalid},
        Damage{"compressed size past end", 55 + 20, "\xFF\xFF\x00\x00", kOk, kInvalid},
        Damage{"method", 55 + 10, std::string("\x0E\x00", 2), kOk, kInvalid},
        Damage{"directory offset", 106 + 16, "\xFF\xFF\x00\x00", kInvalid, kErrFileNotFound},
        Damage{"entry count", 106 + 10, std::string("\x09\x00", 2), kInvalid, kErrFileNotFound},
        Damage{"end signature", 106, "PK\x07\x07", kInvalid, kErrFileNotFound}));

TEST(ZipArchiveTest, EntriesLargerThanTheCapAreRefusedBeforeInflating) {
  ZipLimits limits;
  limits.maxEntryBytes = 1000;
  ZipArchive zip;
  ASSERT_EQ(zip.open(makeZip({{"big", std::string(1001, 'a')}, {"small", "ok"}}), limits), kOk);
  std::string out;
  EXPECT_EQ(zip.read("big", &out), kErrNotEnoughMemory);
  EXPECT_EQ(zip.read("small", &out), kOk);
}

TEST(ZipArchiveTest, DeflatedDataLongerThanDeclaredIsRejected) {
  std::string bytes = makeZip({{"a", std::string(50, 'z')}});
  // Declare 10 bytes in the directory: the stream inflates to more and must not overflow.
  std::size_t dir = bytes.find("PK\x01\x02");
  bytes.replace(dir + 24, 4, std::string("\x0A\x00\x00\x00", 4));
  ZipArchive zip;
  ASSERT_EQ(zip.open(bytes), kOk);
  std::string out;
  EXPECT_EQ(zip.read("a", &out), kInvalid);
}

TEST(ZipArchiveTest, TruncationsNeverReadPastTheBuffer) {
  std::string bytes = makeZip({{"a.xml", "<A/>"}, {"b.xml", std::string(3000, 'b')}});
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    ZipArchive zip;
    zip.open(bytes.substr(0, n));
    std::string out;
    zip.read("a.xml", &out);
    zip.read("b.xml", &out);
  }
}

}  // namespace
}  // namespace qv::framework
