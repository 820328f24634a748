#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/file_types.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::engine {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 512 bytes of filler with the given bytes placed at their offsets.
struct Patch {
  std::size_t offset;
  std::string bytes;
};
Bytes makeHead(std::initializer_list<Patch> patches, std::size_t size = kDetectBytes) {
  Bytes b(size, 0x55);
  for (const Patch& p : patches) {
    std::memcpy(b.data() + p.offset, p.bytes.data(), p.bytes.size());
  }
  return b;
}

std::string le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// An icon directory of n entries whose images follow each other from the end of the directory.
Bytes icon(std::uint16_t n, std::size_t size = kDetectBytes) {
  Bytes b = makeHead({{0, std::string("\0\0\1\0", 4)}}, size);
  b[4] = static_cast<std::uint8_t>(n);
  b[5] = static_cast<std::uint8_t>(n >> 8);
  std::uint32_t offset = 6 + 16u * n;
  for (std::uint16_t i = 0; i < n && 6 + 16u * (i + 1) <= size; ++i) {
    std::uint8_t* e = b.data() + 6 + 16 * i;
    std::memset(e, 0, 16);
    e[0] = e[1] = 16;
    const std::uint32_t imageSize = 100 + i;
    std::memcpy(e + 8, le32(imageSize).data(), 4);
    std::memcpy(e + 12, le32(offset).data(), 4);
    offset += imageSize;
  }
  return b;
}

const std::string kAsf("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kPng("\x89PNG\r\n\x1A\n", 8);
const std::string kMidiHeader = std::string("MThd\0\0\0\x06\0\x01\0\x02\x01\xE0", 14) + "MTrk";

struct DetectorCase {
  const char* what;
  Bytes real;      // a true file of the format
  Bytes nearMiss;  // almost the format, not quite
  const char* extension;
};

std::vector<DetectorCase> detectorCases() {
  Bytes icoBadChain = icon(2);
  icoBadChain[6 + 16 + 12] += 1;  // second image does not start where the first ends
  Bytes icoReserved = icon(1);
  icoReserved[6 + 3] = 1;
  return {
      {"mpeg program stream",
       makeHead({{0, std::string("\0\0\1\xBA", 4)}, {14, std::string("\0\0\1\xBB", 4)}}),
       makeHead({{0, std::string("\0\0\1\xBA", 4)}, {29, std::string("\0\0\1\xBB", 4)}}), "mpeg"},
      {"mpeg video stream",
       makeHead({{0, std::string("\0\0\1\xB3", 4)}, {12, std::string("\0\0\1\xB8", 4)}}),
       makeHead({{0, std::string("\0\0\1\xB3", 4)}, {12, std::string("\0\0\1\xBB", 4)}}), "mpeg"},
      {"mp4 iso", makeHead({{4, "ftypisom"}}), makeHead({{4, "ftypmp41"}}), "mp4"},
      {"mp4 mp42", makeHead({{4, "ftypmp42"}}), makeHead({{4, "ftyqmp42"}}), "mp4"},
      {"real media", makeHead({{0, ".RMF"}}), makeHead({{0, ".RMV"}}), "rmvb"},
      {"windows media", makeHead({{0, kAsf}}), makeHead({{0, kAsf.substr(0, 15) + "\x6D"}}), "wmv"},
      {"avi", makeHead({{0, "RIFF"}, {8, "AVI LIST"}}), makeHead({{0, "RIFF"}, {8, "AVI JUNK"}}),
       "avi"},
      {"3gp", makeHead({{4, "ftyp3gp4"}}), makeHead({{4, "ftyp3g2a"}}), "3gp"},
      {"mp3", makeHead({{0, std::string("ID3\x03\0\0\0\0\x02\x01", 10)}}),
       makeHead({{0, std::string("ID3\x03\0\0\0\0\x02\x80", 10)}}), "mp3"},
      {"mp3 flags", makeHead({{0, std::string("ID3\x04\0\xE0\0\0\0\0", 10)}}),
       makeHead({{0, std::string("ID3\x04\0\x01\0\0\0\0", 10)}}), "mp3"},
      {"mp3 version", makeHead({{0, std::string("ID3\x02\0\0\0\0\0\0", 10)}}),
       makeHead({{0, std::string("ID3\xFF\0\0\0\0\0\0", 10)}}), "mp3"},
      {"midi", makeHead({{0, kMidiHeader}}),
       makeHead({{0, std::string("MThd\0\0\0\x07", 8) + kMidiHeader.substr(8)}}), "mid"},
      {"wav", makeHead({{0, "RIFF"}, {8, "WAVEfmt "}}), makeHead({{0, "RIFF"}, {8, "WAVEdata"}}),
       "wav"},
      {"mov atom", makeHead({{0, "moov"}}), makeHead({{0, "mdat"}}), "mov"},
      {"mov brand", makeHead({{4, "ftypqt  "}}), makeHead({{4, "ftypqt 2"}}), "mov"},
      {"gif", makeHead({{0, "GIF89a"}}), makeHead({{0, "GIF89A"}}), "gif"},
      {"bmp", makeHead({{0, "BM"}, {6, std::string(4, '\0')}, {14, le32(40)}}),
       makeHead({{0, "BM"}, {6, std::string(4, '\0')}, {14, le32(124)}}), "bmp"},
      {"bmp array", makeHead({{0, "BA"}, {6, std::string(4, '\0')}, {14, le32(40)}}),
       makeHead({{0, "BA"}, {6, std::string("\0\0\1\0", 4)}, {14, le32(40)}}), "bmp"},
      {"jpeg jfif", makeHead({{0, "\xFF\xD8\xFF\xE0"}, {6, "JFIF"}}),
       makeHead({{0, "\xFF\xD8\xFF\xE1"}, {6, "JFIF"}}), "jpg"},
      {"jpeg exif", makeHead({{0, "\xFF\xD8\xFF\xE1"}, {6, "Exif"}}),
       makeHead({{0, "\xFF\xD8\xFF\xDB"}, {6, "Exif"}}), "jpg"},
      {"png", makeHead({{0, kPng}}), makeHead({{0, kPng.substr(0, 7) + "\x0B"}}), "png"},
      {"ico", icon(3), icoBadChain, "ico"},
      {"ico reserved byte", icon(1), icoReserved, "ico"},
      {"ico count", icon(31), icon(32), "ico"},  // 32 entries end past byte 512
      {"ico empty", icon(1), icon(0), "ico"},
      {"heic", makeHead({{4, "ftypheic"}}), makeHead({{4, "ftypavif"}}), "heic"},
      {"heif image", makeHead({{4, "ftypmif1"}}), makeHead({{4, "ftypmif2"}}), "heic"},
  };
}

class DetectFileTest : public ::testing::Test {
 protected:
  std::string put(const std::string& name, const Bytes& bytes) {
    const std::string path = tmp.file(name);
    EXPECT_EQ(platform::writeWholeFile(path, bytes.data(), bytes.size()), kOk);
    return path;
  }
  fixtures::TempFolder tmp;
};

TEST_F(DetectFileTest, EachDetectorTakesItsFormatAndRefusesNearMissesAndShortFiles) {
  for (const DetectorCase& c : detectorCases()) {
    SCOPED_TRACE(c.what);
    DetectionCounter counter;
    counter.recognised = 7;
    std::wstring out = L"stale";
    // A true file, with more bytes after the 512 that are judged.
    Bytes longer = c.real;
    longer.resize(4096, 0xAA);
    ASSERT_EQ(detectFileType(put("real", longer), &counter, &out), kOk);
    EXPECT_EQ(out, L"7." + platform::toWide(c.extension));
    EXPECT_EQ(counter.recognised, 8u);

    ASSERT_EQ(detectFileType(put("near", c.nearMiss), &counter, &out), kOk);
    EXPECT_EQ(out, L"");
    EXPECT_EQ(counter.recognised, 8u);
    EXPECT_EQ(counter.examined, 2u);

    // The same true bytes, one short of 512.
    const Bytes cut(c.real.begin(), c.real.end() - 1);
    out = L"stale";
    EXPECT_EQ(detectFileType(put("short", cut), &counter, &out), kShortRead);
    EXPECT_EQ(out, L"");
    EXPECT_EQ(counter.recognised, 8u);
    EXPECT_EQ(counter.examined, 2u);
  }
}

TEST_F(DetectFileTest, MissingAndEmptyFiles) {
  DetectionCounter counter;
  std::wstring out = L"stale";
  EXPECT_EQ(detectFileType(tmp.file("absent"), &counter, &out), kErrFileNotFound);
  EXPECT_EQ(out, L"");
  EXPECT_EQ(detectFileType(put("empty", {}), &counter, &out), kShortRead);
  const Bytes jpeg400(makeHead({{0, "\xFF\xD8\xFF\xE0"}, {6, "JFIF"}}, 400));
  EXPECT_EQ(detectFileType(put("small.jpg", jpeg400), &counter, &out), kShortRead);
  EXPECT_EQ(counter.examined, 0u);
}

TEST(DetectTypeTest, TheFirstRowOfAnIdNamesTheExtension) {
  EXPECT_STREQ(extensionOfType(24), "wmv");  // Windows Media audio too
  EXPECT_STREQ(extensionOfType(10), "jpg");
  EXPECT_STREQ(extensionOfType(15), "mpeg");
  EXPECT_STREQ(extensionOfType(32), "heic");
  EXPECT_STREQ(extensionOfType(kTypeUnknown), "");
  EXPECT_STREQ(extensionOfType(99), "");
  const FileTypeTable table = fileTypeTable();
  ASSERT_GT(table.count, 1u);
  EXPECT_EQ(table.rows[table.count - 1].typeId, kTypeUnknown);
  EXPECT_EQ(table.rows[table.count - 1].detect, nullptr);
  // A buffer that several detectors could read still gets the first row's answer.
  EXPECT_EQ(detectTypeId(makeHead({{4, "ftypisom"}}).data(), kDetectBytes), 18);
}

TEST(DetectBufferTest, JudgesOnlyTheFirst128BytesAndNeverReadsPastThem) {
  DetectionCounter counter;
  std::wstring out;
  // Heap copies of exactly the length given, so that a read past them shows under ASan.
  const Bytes png(makeHead({{0, kPng}}, kDetectBufferBytes));
  ASSERT_EQ(detectBufferType(png.data(), png.size(), &counter, &out), kOk);
  EXPECT_EQ(out, L"0.png");
  const Bytes shortPng(png.begin(), png.end() - 1);
  EXPECT_EQ(detectBufferType(shortPng.data(), shortPng.size(), &counter, &out), kShortRead);
  EXPECT_EQ(out, L"");
  EXPECT_EQ(detectBufferType(nullptr, 0, &counter, &out), kShortRead);

  // An icon directory of 10 entries ends at byte 166: inside a file's 512 bytes, but past the
  // 128 bytes a buffer is judged by.
  const Bytes bigIcon = icon(10, kDetectBufferBytes);
  ASSERT_EQ(detectBufferType(bigIcon.data(), bigIcon.size(), &counter, &out), kOk);
  EXPECT_EQ(out, L"");
  EXPECT_EQ(detectTypeId(icon(10).data(), kDetectBytes), 46);
  const Bytes smallIcon = icon(7, kDetectBufferBytes);  // ends at 118
  ASSERT_EQ(detectBufferType(smallIcon.data(), smallIcon.size(), &counter, &out), kOk);
  EXPECT_EQ(out, L"1.ico");

  // Every detector on every tail length of a true head: bounded by the length it is given.
  for (const DetectorCase& c : detectorCases()) {
    for (std::size_t n = 0; n <= 32; ++n) {
      const Bytes head(c.real.begin(), c.real.begin() + n);
      detectTypeId(head.data(), head.size());
    }
  }
}

TEST(DetectionResultTest, ExtensionIsUpperCasedFromTheFirstDot) {
  EXPECT_EQ(extensionFromDetection(L"3.mov"), L".MOV");
  EXPECT_EQ(extensionFromDetection(L"12.jpeg"), L".JPEG");
  EXPECT_EQ(extensionFromDetection(L"nodot"), L".JPG");
  EXPECT_EQ(extensionFromDetection(L""), L".JPG");
}

TEST(ExtensionListTest, EveryDetectedTypeHasAPreviewFile) {
  const FileTypeTable table = fileTypeTable();
  for (std::size_t i = 0; i + 1 < table.count; ++i) {
    const std::string ext = extensionOfType(table.rows[i].typeId);
    EXPECT_NE(previewKindOf(platform::toWide(ext)), PreviewKind::kNone) << ext;
  }
  const std::pair<const wchar_t*, PreviewKind> kinds[] = {
      {L"gif", PreviewKind::kPicture},  {L".HEIC", PreviewKind::kPicture},
      {L"heif", PreviewKind::kPicture}, {L"wav", PreviewKind::kSound},
      {L"mid", PreviewKind::kSound},    {L"wmv", PreviewKind::kVideo},
      {L"rm", PreviewKind::kSound},  // in both lists; sound is asked first
      {L"lrv", PreviewKind::kVideo},    {L"txt", PreviewKind::kNone},
      {L"", PreviewKind::kNone},
  };
  for (const auto& [extension, kind] : kinds)
    EXPECT_EQ(previewKindOf(extension), kind) << platform::toUtf8(extension);
}

TEST(ExtensionListTest, OnlyWholeEntriesMatch) {
  EXPECT_TRUE(extensionInList(kSoundExtensions, std::string_view("mp3")));
  for (const char* part : {"mp", "p3"})
    EXPECT_FALSE(extensionInList(kSoundExtensions, std::string_view(part))) << part;
  for (const char* part : {"peg", "", ".", "*.bmp"})
    EXPECT_FALSE(extensionInList(kPictureExtensions, std::string_view(part))) << part;
}

}  // namespace
}  // namespace qv::engine
