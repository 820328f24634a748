// The tool's readers of untrusted bytes: both plist forms give one tree; damaged plists,
// keybags, Manifest.mbdb and file records give kInvalid, never a crash; the tail rule keeps
// the right number of bytes.
#include <gtest/gtest.h>

#include <string>

#include "backup/binary_plist.h"
#include "platform/result.h"
#include "samples/encrypt_plist_writer.h"
#include "tools/decrypt/archived_file.h"
#include "tools/decrypt/keybag.h"
#include "tools/decrypt/manifest_plist.h"
#include "tools/decrypt/mbdb.h"
#include "tools/decrypt/stored_file.h"
#include "tools/decrypt/xml_plist.h"

namespace qv::decrypt {
namespace {

using samples::enc::PlistOut;

PlistOut sampleTree() {
  std::vector<PlistOut> many;
  for (int i = 0; i < 300; ++i) many.push_back(PlistOut::integer_(i * 1000003LL));
  return PlistOut::dict({
      {"IsEncrypted", PlistOut::boolean_(true)},
      {"BackupKeyBag", PlistOut::data(std::string("\x00\x01\xFF tlv bytes with \x00 inside", 27))},
      {"Lockdown",
       PlistOut::dict({{"ProductVersion", PlistOut::string_("14.2")},
                       {"Nested", PlistOut::array({PlistOut::dict({}), PlistOut::array({})})}})},
      {"Name <&> \"quoted\"", PlistOut::string_("caf\xC3\xA9 \xF0\x9F\x94\x91 & <tag>")},
      {"Negative", PlistOut::integer_(-5)},
      {"Big", PlistOut::integer_(0x123456789ALL)},
      {"Many", PlistOut::array(std::move(many))},
      {"Long", PlistOut::string_(std::string(70000, 'z'))},
  });
}

void expectSampleTree(const plist::PlistValue& v) {
  ASSERT_TRUE(v.is(plist::PlistKind::kDict));
  ASSERT_NE(v.find("IsEncrypted"), nullptr);
  EXPECT_TRUE(v.find("IsEncrypted")->boolean);
  EXPECT_EQ(v.find("BackupKeyBag")->bytes,
            std::string("\x00\x01\xFF tlv bytes with \x00 inside", 27));
  EXPECT_EQ(v.find("Lockdown")->find("ProductVersion")->bytes, "14.2");
  EXPECT_EQ(v.find("Lockdown")->find("Nested")->items.size(), 2u);
  EXPECT_EQ(v.find("Name <&> \"quoted\"")->bytes, "caf\xC3\xA9 \xF0\x9F\x94\x91 & <tag>");
  EXPECT_EQ(v.find("Negative")->integer, -5);
  EXPECT_EQ(v.find("Big")->integer, 0x123456789ALL);
  ASSERT_EQ(v.find("Many")->items.size(), 300u);
  EXPECT_EQ(v.find("Many")->items[299].integer, 299 * 1000003LL);
  EXPECT_EQ(v.find("Long")->bytes.size(), 70000u);
}

TEST(DecryptPlist, BinaryAndXmlFormsGiveTheSameTree) {
  plist::PlistValue fromBinary;
  ASSERT_EQ(readAnyPlist(samples::enc::toBinaryPlist(sampleTree()), &fromBinary), kOk);
  expectSampleTree(fromBinary);
  plist::PlistValue fromXml;
  ASSERT_EQ(readAnyPlist(samples::enc::toXmlPlist(sampleTree()), &fromXml), kOk);
  expectSampleTree(fromXml);
}

TEST(DecryptPlist, XmlDetailsThatWritersProduce) {
  const char* text =
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- comment -->\n<plist version='1.0'><dict>"
      "<key>d</key><data>\n\tQUJD\n\tREVG\r\n</data>"
      "<key>e</key><string/><key>f</key><string>&#65;&#x42;&lt;<![CDATA[<raw>&amp;]]></string>"
      "<key>g</key><integer> 42 </integer><key>h</key><array/></dict></plist>";
  plist::PlistValue v;
  ASSERT_EQ(readAnyPlist(text, &v), kOk);
  EXPECT_EQ(v.find("d")->bytes, "ABCDEF");
  EXPECT_EQ(v.find("e")->bytes, "");
  EXPECT_EQ(v.find("f")->bytes, "AB<<raw>&amp;");
  EXPECT_EQ(v.find("g")->integer, 42);
  EXPECT_TRUE(v.find("h")->is(plist::PlistKind::kArray));
}

TEST(DecryptPlist, DamagedXmlIsRefused) {
  const char* damaged[] = {
      "<plist><dict><key>a</key></dict></plist>",           // key without value
      "<plist><dict><key>a</key><string>x</dict></plist>",  // closed by another name
      "<plist><dict><string>x</string></dict></plist>",     // value without key
      "<plist><data>QU*J</data></plist>",                   // outside the base64 alphabet
      "<plist><integer>99999999999999999999</integer></plist>",
      "<plist><string>&bogus;</string></plist>",
      "<plist><string>never closed",
      "<plist><unknown/></plist>",
  };
  for (const char* text : damaged) {
    plist::PlistValue v;
    EXPECT_EQ(readXmlPlist(text, &v), kInvalid) << text;
    EXPECT_TRUE(v.is(plist::PlistKind::kNull));
  }
  std::string deep;
  for (int i = 0; i < 1000; ++i) deep += "<array>";
  plist::PlistValue v;
  EXPECT_EQ(readXmlPlist("<plist>" + deep, &v), kInvalid);
}

// A binary plist assembled by hand: objects, then an offset table, then the trailer.
std::string handBinaryPlist(const std::string& objects, const std::vector<unsigned>& offsets,
                            unsigned refSize, std::uint64_t top = 0) {
  std::string out = "bplist00" + objects;
  std::uint64_t table = out.size();
  for (unsigned off : offsets) out.push_back(static_cast<char>(off));
  out.append(6, '\0');
  out.push_back(1);
  out.push_back(static_cast<char>(refSize));
  for (int i = 7; i >= 0; --i) out.push_back(static_cast<char>((offsets.size() >> (8 * i)) & 0xFF));
  for (int i = 7; i >= 0; --i) out.push_back(static_cast<char>((top >> (8 * i)) & 0xFF));
  for (int i = 7; i >= 0; --i) out.push_back(static_cast<char>((table >> (8 * i)) & 0xFF));
  return out;
}

TEST(DecryptPlist, DamagedBinaryIsRefused) {
  plist::PlistValue v;
  // Sanity: a one-element array holding an integer reads.
  ASSERT_EQ(
      plist::readBinaryPlist(handBinaryPlist(std::string("\xA1\x01\x10\x07", 4), {8, 10}, 1), &v),
      kOk);
  EXPECT_EQ(v.items.at(0).integer, 7);

  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"array containing itself", handBinaryPlist(std::string("\xA1\x00", 2), {8}, 1)},
      {"two arrays containing each other",
       handBinaryPlist(std::string("\xA1\x01\xA1\x00", 4), {8, 10}, 1)},
      {"reference past the object count", handBinaryPlist(std::string("\xA1\x05", 2), {8}, 1)},
      {"offset into the header", handBinaryPlist(std::string("\x10\x01", 2), {3}, 1)},
      {"offset into the offset table", handBinaryPlist(std::string("\x10\x01", 2), {10}, 1)},
      {"top object out of range", handBinaryPlist(std::string("\x10\x01", 2), {8}, 1, 4)},
      {"data longer than the file", handBinaryPlist(std::string("\x4F\x10\x7F", 3), {8}, 1)},
      {"string count past the object area", handBinaryPlist(std::string("\x5E"
                                                                        "abc",
                                                                        4),
                                                            {8}, 1)},
      {"bad reference width", handBinaryPlist(std::string("\x10\x01", 2), {8}, 3)},
      {"dict key that is not a string",
       handBinaryPlist(std::string("\xD1\x01\x01\x10\x01", 5), {8, 11}, 1)},
      {"unknown marker", handBinaryPlist(std::string("\xE0", 1), {8}, 1)},
      {"trailer only", std::string("bplist00") + std::string(20, '\0')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plist::readBinaryPlist(c.bytes, &v), kInvalid) << c.name;
  }
  // Shared references that would build a tree of 2^40 values are stopped by the budget.
  std::string objects;
  std::vector<unsigned> offsets;
  for (int i = 0; i < 40; ++i) {
    offsets.push_back(8 + static_cast<unsigned>(objects.size()));
    objects += std::string("\xA2", 1) + static_cast<char>(i + 1) + static_cast<char>(i + 1);
  }
  offsets.push_back(8 + static_cast<unsigned>(objects.size()));
  objects += std::string("\x10\x01", 2);
  EXPECT_EQ(plist::readBinaryPlist(handBinaryPlist(objects, offsets, 1), &v), kInvalid);
}

TEST(DecryptParsers, KeybagLayoutIsEnforced) {
  auto tlv = [](const char* tag, const std::string& value) {
    std::string out(tag, 4);
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((value.size() >> s) & 0xFF));
    return out + value;
  };
  std::string four("\x00\x00\x27\x10", 4);
  std::string salt(20, 's');
  std::string good = tlv("UUID", std::string(16, 'a')) + tlv("SALT", salt) + tlv("ITER", four) +
                     tlv("UUID", std::string(16, 'b')) + tlv("CLAS", std::string("\0\0\0\3", 4)) +
                     tlv("WRAP", std::string("\0\0\0\2", 4)) + tlv("WPKY", std::string(40, 'k'));
  Keybag bag;
  ASSERT_EQ(parseKeybag(good, &bag), kOk);
  ASSERT_EQ(bag.classes.size(), 1u);
  EXPECT_EQ(bag.classes[0].protectionClass, 3u);
  EXPECT_EQ(bag.iterations, 10000u);
  EXPECT_FALSE(bag.hasDataProtection);

  EXPECT_EQ(parseKeybag(good.substr(0, good.size() - 1), &bag), kInvalid);  // record cut short
  EXPECT_EQ(parseKeybag(good + tlv("DPIC", four), &bag), kInvalid);         // DPIC without DPSL
  EXPECT_EQ(parseKeybag(good + tlv("WPKY", std::string(39, 'k')), &bag),
            kInvalid);                                                 // short wrapped key
  EXPECT_EQ(parseKeybag(good + tlv("ITER", "\x01"), &bag), kInvalid);  // numeric not 4 bytes
  EXPECT_EQ(parseKeybag(tlv("UUID", std::string(16, 'a')) + tlv("ITER", four), &bag),
            kInvalid);  // no salt
  EXPECT_TRUE(bag.classes.empty());
}

TEST(DecryptParsers, ManifestPlistNeedsA44ByteManifestKey) {
  ManifestPlist m;
  std::string key43 = samples::enc::toXmlPlist(
      PlistOut::dict({{"IsEncrypted", PlistOut::boolean_(true)},
                      {"ManifestKey", PlistOut::data(std::string(43, 'k'))}}));
  EXPECT_EQ(readManifestPlist(key43, &m), kInvalid);
  std::string key44 = samples::enc::toBinaryPlist(PlistOut::dict(
      {{"IsEncrypted", PlistOut::boolean_(true)},
       {"ManifestKey", PlistOut::data(std::string("\x04\x00\x00\x00", 4) + std::string(40, 'k'))},
       {"Lockdown", PlistOut::dict({{"ProductVersion", PlistOut::string_("10.2")}})}}));
  ASSERT_EQ(readManifestPlist(key44, &m), kOk);
  EXPECT_TRUE(m.hasManifestKey);
  EXPECT_EQ(m.manifestKeyClass, 4u);
  EXPECT_EQ(m.productVersion, "10.2");
}

TEST(DecryptParsers, MbdbRecordsAndTheirDamage) {
  auto str = [](const std::string& s) {
    return std::string(1, static_cast<char>(s.size() >> 8)) + static_cast<char>(s.size() & 0xFF) +
           s;
  };
  std::string absent("\xFF\xFF", 2);
  std::string fixed(40, '\0');
  fixed[0] = '\x81';  // mode 0x81A4: regular file
  fixed[1] = '\xA4';
  fixed[37] = '\x05';  // size 5 (last byte of the 8-byte size at 30..37)
  fixed[38] = '\x03';  // protection class
  fixed[39] = '\x01';  // one property
  std::string record = str("HomeDomain") + str("Library/a") + absent + absent +
                       str(std::string(44, 'k')) + fixed + str("name") + str("value");
  std::string file = std::string("mbdb\x05\x00", 6) + record + record;
  std::vector<MbdbRecord> records;
  ASSERT_EQ(readMbdb(file, &records), kOk);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_TRUE(records[0].isRegularFile());
  EXPECT_EQ(records[0].size, 5u);
  EXPECT_EQ(records[0].protectionClass, 3);
  EXPECT_EQ(records[0].encryptionKey.size(), 44u);

  EXPECT_EQ(readMbdb(file.substr(0, file.size() - 3), &records), kInvalid);
  EXPECT_EQ(records.size(), 1u);  // the whole first record is kept
  EXPECT_EQ(readMbdb("mbdb\x04\x00", &records), kInvalid);
}

TEST(DecryptParsers, ArchivedFileRecordResolvesItsKeyThroughUids) {
  // $objects: 0 "$null", 1 record, 2 key wrapper dict, 3 the data behind a UID, 4 a UID loop.
  PlistOut objects = PlistOut::array({
      PlistOut::string_("$null"),
      PlistOut::dict({{"EncryptionKey", PlistOut::uid(2)},
                      {"Size", PlistOut::uid(5)},
                      {"ProtectionClass", PlistOut::integer_(2)},
                      {"Loop", PlistOut::uid(4)}}),
      PlistOut::dict({{"NS.data", PlistOut::uid(3)}}),
      PlistOut::data(std::string(44, 'k')),
      PlistOut::uid(4),
      PlistOut::integer_(123),
  });
  std::string blob = samples::enc::toBinaryPlist(PlistOut::dict(
      {{"$top", PlistOut::dict({{"root", PlistOut::uid(1)}})}, {"$objects", objects}}));
  ArchivedFile f;
  ASSERT_EQ(readArchivedFile(blob, &f), kOk);
  EXPECT_TRUE(f.hasKey);
  EXPECT_EQ(f.keyBlob, std::string(44, 'k'));
  EXPECT_EQ(f.size, 123u);
  EXPECT_EQ(f.protectionClass, 2u);

  // A reference to $null is nil: a record without a key, not damage.
  std::string nilBlob = samples::enc::toBinaryPlist(PlistOut::dict(
      {{"$top", PlistOut::dict({{"root", PlistOut::uid(1)}})},
       {"$objects", PlistOut::array({PlistOut::string_("$null"),
                                     PlistOut::dict({{"EncryptionKey", PlistOut::uid(0)},
                                                     {"Size", PlistOut::integer_(0)}})})}}));
  ASSERT_EQ(readArchivedFile(nilBlob, &f), kOk);
  EXPECT_FALSE(f.hasKey);
  EXPECT_TRUE(f.hasSize);

  // An EncryptionKey that loops or points outside $objects is damage, not a missing key.
  for (std::uint64_t target : {4u, 99u}) {
    PlistOut bad = PlistOut::array(
        {PlistOut::string_("$null"), PlistOut::dict({{"EncryptionKey", PlistOut::uid(target)}}),
         PlistOut::string_("x"), PlistOut::string_("y"), PlistOut::uid(4)});
    std::string badBlob = samples::enc::toBinaryPlist(PlistOut::dict(
        {{"$top", PlistOut::dict({{"root", PlistOut::uid(1)}})}, {"$objects", bad}}));
    EXPECT_EQ(readArchivedFile(badBlob, &f), kInvalid) << target;
  }
}

TEST(DecryptParsers, TailRuleKeepsTheRightLength) {
  unsigned char padded[16];
  for (unsigned char& b : padded) b = 0x10;  // a whole block of padding
  unsigned char dataEnd[16] = {0};
  dataEnd[15] = 0x01;  // looks like one byte of padding
  bool mismatch = false;
  // Recorded size inside the last block wins.
  EXPECT_EQ(keptLength(32, padded, TailRule::kStoredFile, true, 16, 0, &mismatch), 16u);
  EXPECT_EQ(keptLength(32, dataEnd, TailRule::kStoredFile, true, 32, 0, &mismatch), 32u);
  EXPECT_FALSE(mismatch);
  // No size, or a size that cannot be right: PKCS#7 decides, and the mismatch is told.
  EXPECT_EQ(keptLength(32, padded, TailRule::kStoredFile, false, 0, 0, &mismatch), 16u);
  EXPECT_EQ(keptLength(64, padded, TailRule::kStoredFile, true, 5, 0, &mismatch), 48u);
  EXPECT_TRUE(mismatch);
  // A database of whole pages was not padded, even when its last byte is 1.
  EXPECT_EQ(keptLength(8192, dataEnd, TailRule::kDatabase, false, 0, 4096, &mismatch), 8192u);
  EXPECT_EQ(keptLength(8192 + 16, padded, TailRule::kDatabase, false, 0, 4096, &mismatch), 8192u);
  EXPECT_EQ(keptLength(0, padded, TailRule::kStoredFile, true, 0, 0, &mismatch), 0u);
}

}  // namespace
}  // namespace qv::decrypt
