#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/item_naming.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

TEST(KeyClassTest, WalkCandidatesByKey) {
  EXPECT_EQ(photoListOfKey("CameraRollDomain-Media/DCIM/100APPLE/IMG_0001.MOV"),
            PhotoList::kCameraRoll);
  EXPECT_EQ(photoListOfKey("MediaDomain-Media/PhotoStreamsData/1/100APPLE/IMG_1.JPG"),
            PhotoList::kPhotoStream);
  EXPECT_EQ(photoListOfKey("CameraRollDomain-Media/PhotoData/Thumbnails/x"), PhotoList::kNone);
  EXPECT_TRUE(isAttachmentKey("MediaDomain-Library/SMS/Attachments/ab/01/photo.heic"));
  EXPECT_FALSE(isAttachmentKey("MediaDomain-Library/SMS/Attachments"));
  EXPECT_TRUE(isAppFileKey("AppDomain-com.example.camera-Documents/a.jpg"));
  EXPECT_TRUE(isWhatsAppKey("AppDomain-net.whatsapp.WhatsApp-Library/Media/x.jpg"));
  EXPECT_FALSE(isWhatsAppKey("AppDomain-net.whatsapp.whatsapp-Library/Media/x.jpg"));
}

TEST(ItemNameTest, NamesComeFromTheLastPathComponent) {
  EXPECT_EQ(entryName("CameraRollDomain-Media/DCIM/100APPLE/IMG_0001.MOV"), L"IMG_0001.MOV");
  EXPECT_EQ(entryName("HomeDomain-plain"), L"HomeDomain-plain");
  EXPECT_EQ(entryName("MediaDomain-Media/"), L"");
  EXPECT_EQ(entryName("A-Media/\xE7\x85\xA7\xE7\x89\x87.jpg"),
            platform::toWide("\xE7\x85\xA7\xE7\x89\x87.jpg"));

  EXPECT_EQ(detectedItemName("MediaDomain-Library/SMS/Attachments/ab/01/photo.heic", L"0.jpg"),
            L"photo.JPG");
  EXPECT_EQ(detectedItemName("AppDomain-com.x-Documents/clip", L"4.mov"), L"clip.MOV");
  EXPECT_EQ(detectedItemName("AppDomain-com.x-Documents/a.b.c", L"5.png"), L"a.b.PNG");
  EXPECT_EQ(detectedItemName("AppDomain-com.x-Doc.s/file", L"5.png"), L"file.PNG");
  EXPECT_EQ(detectedItemName("AppDomain-com.x-Documents/.hidden", L"6.gif"), L".GIF");
}

bool hasReplacement(const std::wstring& s) {
  return platform::toWide(platform::toUtf8(s)).find(L'\xFFFD') != std::wstring::npos;
}

TEST(ItemNameTest, LongNamesAreCutKeepingTheirExtension) {
  const std::string stem(300, 'x');
  const std::wstring cut =
      detectedItemName("MediaDomain-Library/SMS/Attachments/" + stem + ".bin", L"1.jpeg");
  EXPECT_EQ(cut.size(), kMaxItemName);
  EXPECT_EQ(cut.substr(cut.size() - 5), L".JPEG");
  EXPECT_EQ(entryName("D-M/" + stem).size(), kMaxItemName);
  // Names of characters outside the basic plane are never cut inside a character.
  std::string emoji;
  for (int i = 0; i < 200; ++i) emoji += "\xF0\x9F\x98\x80";
  for (const std::wstring& name : {entryName("D-M/" + emoji), entryName("D-M/" + emoji + ".MOV"),
                                   detectedItemName("D-M/" + emoji + ".x", L"1.mov")}) {
    EXPECT_LE(name.size(), kMaxItemName);
    EXPECT_FALSE(hasReplacement(name));
  }
}

TEST(AppNameTest, TextBetweenTheDomainPrefixAndTheNextDash) {
  EXPECT_EQ(appNameFromKey("AppDomain-com.example.camera-Documents/a.jpg"), L"example.camera");
  EXPECT_EQ(appNameFromKey("AppDomain-net.whatsapp.WhatsApp-Library/Media/a.jpg"),
            L"whatsapp.WhatsApp");
  EXPECT_EQ(appNameFromKey("AppDomain-com.example.camera"), L"other");  // no "-" after it
  EXPECT_EQ(appNameFromKey("AppDomain-org.example-Documents/a.jpg"), L"other");
  EXPECT_EQ(appNameFromKey("AppDomain-com.-x"), L"");
  // "com." is looked for first, anywhere in the key, path included.
  EXPECT_EQ(appNameFromKey("AppDomain-net.a-Library/com.b-c/x.jpg"), L"b");
  // Cut at 259 bytes, never inside a character.
  std::string longName;
  for (int i = 0; i < 100; ++i) longName += "\xE7\x85\xA7";
  const std::wstring app = appNameFromKey("AppDomain-com." + longName + "-Documents/a.jpg");
  EXPECT_EQ(platform::toUtf8(app).size(), 258u);
  EXPECT_FALSE(hasReplacement(app));
}

struct Named {
  std::wstring name;
  int order;
};

TEST(SortTest, ByNameWithoutRegardToCaseKeepingEqualNamesInOrder) {
  std::vector<Named> items = {{L"b.JPG", 0},  {L"A.jpg", 1}, {L"a.JPG", 2},
                              {L"_x.png", 3}, {L"a", 4},     {L"B.jpg", 5}};
  sortItemsByName(&items);
  std::vector<int> order;
  for (const Named& n : items) order.push_back(n.order);
  EXPECT_EQ(order, (std::vector<int>{3, 4, 1, 2, 0, 5}));
}

TEST(WalkReportTest, UnsignedArithmeticMultipliedBeforeDividing) {
  // The photo walk of a plain backup: progress 12 after the open, step 11, share 2.
  EXPECT_EQ(walkReportValue(12, 11, 2, 1, 3), 19u);  // 22 / 3 = 7, not 2 * (11 / 3) = 6
  EXPECT_EQ(walkReportValue(12, 11, 2, 3, 3), 34u);
  EXPECT_EQ(walkReportValue(12, 11, 1, 2, 3), 19u);
  EXPECT_EQ(walkReportValue(12, 11, 2, 0, 0), 12u);
  // An index whose product would overflow 32 bits still ends at progress + step * share.
  EXPECT_EQ(walkReportValue(12, 11, 2, 300000000, 300000000), 34u);
  EXPECT_EQ(walkReportValue(12, 11, 2, 150000000, 300000000), 23u);
  EXPECT_EQ(walkReportValue(0, UINT32_MAX, UINT32_MAX, UINT32_MAX - 1, UINT32_MAX),
            static_cast<std::uint32_t>(std::uint64_t{UINT32_MAX} * (UINT32_MAX - 1)));
}

}  // namespace
}  // namespace qv::engine
