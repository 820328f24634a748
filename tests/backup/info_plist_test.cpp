#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup/info_plist.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "samples/encrypt_plist_writer.h"
#include "tests/backup/fixed_zone.h"

namespace qv::backup {
namespace {

using testing::FixedZone;

BackupInfo readText(const std::string& text, BackupInfo start = BackupInfo()) {
  MemorySource source(text.data(), text.size());
  LineReader lines(&source);
  applyInfoPlistKeys(&lines, &start);
  return start;
}

TEST(InfoPlistTest, ReadsTheFiveKeys) {
  FixedZone zone(0, false);
  samples::DeviceInfo device;
  device.displayName = "Zoë's iPhone 山田";
  device.phoneNumber = "+81 90-1234-5678";
  device.serialNumber = "C39XK1ZPHG7F";
  device.productVersion = "14.3";
  BackupInfo info = readText(samples::infoPlistText(device));
  EXPECT_EQ(info.displayName, platform::toWide("Zoë's iPhone 山田"));
  EXPECT_EQ(info.phoneNumber, "+81 90-1234-5678");
  EXPECT_EQ(info.serialNumber, "C39XK1ZPHG7F");
  EXPECT_EQ(info.lastBackupDate, "2016-05-01 23:30:00");
  EXPECT_TRUE(info.versionAbove11);
  EXPECT_FALSE(info.encrypted);
  EXPECT_TRUE(info.folder.empty());
}

TEST(InfoPlistTest, VersionAbove11ByTheIntegerPart) {
  struct Case {
    const char* version;
    bool above;
  } cases[] = {{"9.3.5", false}, {"11.4", false},  {"11.99", false},
               {"12.0", true},   {"12.4.1", true}, {"14.3", true},
               {"", false},      {"beta", false},  {"99999999999999999999", true}};
  for (const Case& c : cases) {
    samples::DeviceInfo device;
    device.productVersion = c.version;
    BackupInfo info = readText(samples::infoPlistText(device));
    EXPECT_EQ(info.versionAbove11, c.above) << c.version;
    EXPECT_EQ(info.productVersion, c.version);
  }
}

TEST(InfoPlistTest, TabletWithoutPhoneNumberHasNone) {
  samples::DeviceInfo device;
  device.phoneNumber.reset();
  EXPECT_EQ(readText(samples::infoPlistText(device)).phoneNumber, "");
}

TEST(InfoPlistTest, KeysAfterSerialNumberAreNeverRead) {
  samples::DeviceInfo device;
  device.displayName = "Real";
  device.phoneNumber.reset();
  device.keysAfterSerial = {
      {"Display Name", "Impostor"}, {"Phone Number", "+1 555 0000"}, {"Serial Number", "SECOND"}};
  BackupInfo info = readText(samples::infoPlistText(device));
  EXPECT_EQ(info.displayName, L"Real");
  EXPECT_EQ(info.phoneNumber, "");
  EXPECT_EQ(info.serialNumber, "F2LQX0ABGRY9");
}

TEST(InfoPlistTest, LineEndsLongLinesAndEscapes) {
  samples::DeviceInfo device;
  device.displayName = "Tom & Jerry <2>";
  device.crlf = true;
  device.applicationDataBytes = 70000;  // one data line far longer than the line buffer
  BackupInfo info = readText(samples::infoPlistText(device));
  EXPECT_EQ(info.displayName, L"Tom & Jerry <2>");
  EXPECT_EQ(info.serialNumber, "F2LQX0ABGRY9");  // no CR left on the value
  EXPECT_EQ(decodeXmlText("a&#233;&#x5C71;&quot;&apos;&bogus;&#0;&"), "aé山\"'&bogus;&#0;&");
}

TEST(InfoPlistTest, MalformedLinesLeaveFieldsAlone) {
  BackupInfo start;
  start.phoneNumber = "kept";
  start.serialNumber = "kept";
  struct Case {
    const char* name;
    std::string text;
    std::string phone;
    std::string serial;
    std::wstring display;
  } cases[] = {
      {"value without tag", "<key>Phone Number</key>\n+1 555\n<key>Serial Number</key>\nX\n",
       "kept", "kept", L""},
      {"key is the last line", "<key>Serial Number</key>", "kept", "kept", L""},
      {"no closing tag", "<key>Serial Number</key>\n  <string>ABC  \r\n", "kept", "ABC  ", L""},
      {"closing before opening", "<key>Serial Number</key>\n</string><string>X\n", "kept", "kept",
       L""},
      {"key and value on one line",
       "<key>Display Name</key><string>Inline</string>\n<string>Next</string>\n", "kept", "kept",
       L"Next"},
      {"two keys on one line: the first in rule order wins",
       "<key>Serial Number</key><key>Display Name</key>\n<string>V</string>\n"
       "<key>Serial Number</key>\n<string>S</string>\n",
       "kept", "S", L"V"},
      {"empty string", "<key>Phone Number</key>\n<string></string>\n", "", "kept", L""},
      {"invalid UTF-8 name",
       "<key>Display Name</key>\n<string>a\xff\xfe"
       "b</string>\n",
       "kept", "kept", L"a\uFFFD\uFFFDb"},
      {"NUL bytes", "<key>Phone Number</key>\n<string>1" + std::string(1, '\0') + "2</string>\n",
       std::string("1\0"
                   "2",
                   3),
       "kept", L""},
  };
  for (const Case& c : cases) {
    BackupInfo info = readText(c.text, start);
    EXPECT_EQ(info.phoneNumber, c.phone) << c.name;
    EXPECT_EQ(info.serialNumber, c.serial) << c.name;
    EXPECT_EQ(info.displayName, c.display) << c.name;
  }
}

TEST(InfoPlistTest, LinesLongerThanTheBufferComeInPieces) {
  std::string text(LineReader::kMaxLine, 'a');
  text += "\n" + std::string(LineReader::kMaxLine + 5, 'b') + "\r\nend";
  MemorySource source(text.data(), text.size());
  LineReader lines(&source);
  std::string line;
  std::vector<std::size_t> sizes;
  while (lines.next(&line)) sizes.push_back(line.size());
  // A line of exactly the buffer's length leaves its line end for an empty next line.
  std::vector<std::size_t> expected = {LineReader::kMaxLine, 0, LineReader::kMaxLine, 5, 3};
  EXPECT_EQ(sizes, expected);
}

// Damaged copies of a real plist: cut at every length, and with bytes overwritten. A value line
// cut short gives a shortened value (or one ending in part of its closing tag), never text from
// anywhere else.
TEST(InfoPlistTest, DamagedPlistsYieldOnlyPrefixesOfTheTrueValues) {
  FixedZone zone(0, false);
  samples::DeviceInfo device;
  device.displayName = "Zoë 山田";
  device.phoneNumber = "+44 7700 900123";
  device.serialNumber = "C39XK1ZPHG7F";
  device.applicationDataBytes = 3000;
  const std::string text = samples::infoPlistText(device);
  const std::wstring name = platform::toWide(device.displayName) + L"</string>";
  const std::string serial = device.serialNumber + "</string>";
  const std::string phone = *device.phoneNumber + "</string>";
  auto isPrefix = [](const auto& part, const auto& whole) {
    return whole.compare(0, part.size(), part) == 0 && part.size() <= whole.size();
  };
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    BackupInfo info = readText(text.substr(0, cut));
    ASSERT_TRUE(isPrefix(info.serialNumber, serial)) << cut;
    ASSERT_TRUE(isPrefix(info.phoneNumber, phone)) << cut;
    // A cut inside a multi-byte character ends the name with U+FFFD.
    std::wstring shown = info.displayName;
    if (!shown.empty() && shown.back() == L'\uFFFD') shown.pop_back();
    ASSERT_TRUE(isPrefix(shown, name)) << cut;
  }
  // Overwritten bytes: every value read is still text of the file itself (the plist has no
  // character references, and the noise makes none).
  ASSERT_EQ(text.find('&'), std::string::npos);
  std::string mangled = text;
  std::string noise = samples::pseudoRandomBytes(4096, 7);
  for (char& c : noise) c = c == '&' ? 'x' : c;
  for (std::size_t round = 0; round < 2000; ++round) {
    std::size_t at = (static_cast<unsigned char>(noise[round % noise.size()]) * 131 + round * 977) %
                     mangled.size();
    mangled[at] = noise[(round * 13) % noise.size()];
    BackupInfo info = readText(mangled);
    ASSERT_NE(mangled.find(info.serialNumber), std::string::npos) << round;
    ASSERT_NE(mangled.find(info.phoneNumber), std::string::npos) << round;
  }
}

// The two forms of Info.plist say the same: a table of devices, each written as XML and as a
// binary property list, read into the same record.
TEST(InfoPlistTest, TheBinaryFormGivesWhatTheXmlFormGives) {
  FixedZone zone(-480, false);  // eight hours ahead of UTC
  std::vector<samples::DeviceInfo> devices(4);
  devices[0].displayName = "Zoë's iPhone 山田";
  devices[0].phoneNumber = "+44 7700 900123";
  devices[0].productVersion = "17.2";
  devices[0].lastBackupDate = "2021-03-14T09:26:53Z";
  devices[1].phoneNumber.reset();  // a tablet
  devices[1].productVersion = "11.4";
  devices[2].displayName = "Tom & Jerry <2>";
  devices[2].applicationDataBytes = 70000;
  devices[3].productVersion = "12.0";
  devices[3].lastBackupDate = "1999-12-31T23:59:59Z";  // before the epoch of plist dates
  for (const samples::DeviceInfo& d : devices) {
    SCOPED_TRACE(d.displayName);
    const BackupInfo fromXml = readText(samples::infoPlistText(d));
    BackupInfo fromBinary;
    const std::string bytes = samples::infoPlistBinary(d);
    ASSERT_TRUE(isBinaryInfoPlist(bytes));
    ASSERT_EQ(applyBinaryInfoPlist(bytes, &fromBinary), 0);
    EXPECT_EQ(fromBinary.displayName, fromXml.displayName);
    EXPECT_EQ(fromBinary.lastBackupDate, fromXml.lastBackupDate);
    EXPECT_EQ(fromBinary.phoneNumber, fromXml.phoneNumber);
    EXPECT_EQ(fromBinary.serialNumber, fromXml.serialNumber);
    EXPECT_EQ(fromBinary.versionAbove11, fromXml.versionAbove11);
    EXPECT_FALSE(fromBinary.serialNumber.empty());
  }
  EXPECT_EQ(readText(samples::infoPlistText(devices[0])).lastBackupDate, "2021-03-14 17:26:53");
}

TEST(InfoPlistTest, ADamagedBinaryPlistLeavesTheFieldsAlone) {
  samples::DeviceInfo device;
  const std::string bytes = samples::infoPlistBinary(device);
  BackupInfo start;
  start.serialNumber = "kept";
  for (std::size_t cut : {std::size_t{8}, bytes.size() / 2, bytes.size() - 1}) {
    BackupInfo info = start;
    EXPECT_EQ(applyBinaryInfoPlist(bytes.substr(0, cut), &info), kInvalid) << cut;
    EXPECT_EQ(info.serialNumber, "kept");
  }
  // A binary plist whose top is no dictionary holds no keys.
  BackupInfo info = start;
  EXPECT_EQ(applyBinaryInfoPlist(samples::enc::toBinaryPlist(samples::enc::PlistOut::string_("x")),
                                 &info),
            kInvalid);
}

}  // namespace
}  // namespace qv::backup
