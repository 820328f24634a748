#include "engine/file_types.h"

#include <cstring>

#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::engine {
namespace {

// Whether the n bytes at offset equal the pattern; false when they lie past the end.
bool hasAt(const std::uint8_t* d, std::size_t size, std::size_t offset, const void* pattern,
           std::size_t n) {
  if (offset > size || n > size - offset) return false;
  return std::memcmp(d + offset, pattern, n) == 0;
}

bool textAt(const std::uint8_t* d, std::size_t size, std::size_t offset, const char* text) {
  return hasAt(d, size, offset, text, std::strlen(text));
}

// Callers check that the bytes are there first.
std::uint32_t le16(const std::uint8_t* p) {
  return p[0] | (p[1] << 8);
}
std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The 4-byte code within bytes 1..31 (offset 0 holds the start code itself).
bool codeInFirst32(const std::uint8_t* d, std::size_t size, const std::uint8_t (&code)[4]) {
  for (std::size_t off = 1; off + 4 <= 32; ++off) {
    if (hasAt(d, size, off, code, 4)) return true;
  }
  return false;
}

int detectMpeg(const std::uint8_t* d, std::size_t size) {
  static const std::uint8_t kPack[4] = {0, 0, 1, 0xBA}, kSystem[4] = {0, 0, 1, 0xBB};
  static const std::uint8_t kSequence[4] = {0, 0, 1, 0xB3}, kGroup[4] = {0, 0, 1, 0xB8};
  if (hasAt(d, size, 0, kPack, 4) && codeInFirst32(d, size, kSystem)) return 15;
  if (hasAt(d, size, 0, kSequence, 4) && codeInFirst32(d, size, kGroup)) return 15;
  return kTypeUnknown;
}

int detectMp4(const std::uint8_t* d, std::size_t size) {
  if (textAt(d, size, 4, "ftyp") && (textAt(d, size, 8, "iso") || textAt(d, size, 8, "mp42"))) {
    return 18;
  }
  return kTypeUnknown;
}

int detectRmvb(const std::uint8_t* d, std::size_t size) {
  return textAt(d, size, 0, ".RMF") ? 23 : kTypeUnknown;
}

int detectAsf(const std::uint8_t* d, std::size_t size) {
  static const std::uint8_t kHeaderObject[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  return hasAt(d, size, 0, kHeaderObject, 16) ? 24 : kTypeUnknown;
}

int detectAvi(const std::uint8_t* d, std::size_t size) {
  if (textAt(d, size, 0, "RIFF") && textAt(d, size, 8, "AVI ") && textAt(d, size, 12, "LIST")) {
    return 22;
  }
  return kTypeUnknown;
}

int detect3gp(const std::uint8_t* d, std::size_t size) {
  return (textAt(d, size, 4, "ftyp") && textAt(d, size, 8, "3gp")) ? 16 : kTypeUnknown;
}

int detectMp3(const std::uint8_t* d, std::size_t size) {
  if (!textAt(d, size, 0, "ID3") || size < 10) return kTypeUnknown;
  if (d[3] == 0xFF || d[4] == 0xFF) return kTypeUnknown;  // version bytes
  if ((d[5] & 0x1F) != 0) return kTypeUnknown;            // undefined flag bits set
  for (int i = 6; i < 10; ++i) {
    if (d[i] >= 0x80) return kTypeUnknown;  // the tag size is four 7-bit bytes
  }
  return 12;
}

int detectMidi(const std::uint8_t* d, std::size_t size) {
  static const std::uint8_t kHeaderLength[4] = {0, 0, 0, 6};
  if (textAt(d, size, 0, "MThd") && hasAt(d, size, 4, kHeaderLength, 4) &&
      textAt(d, size, 14, "MTrk")) {
    return 13;
  }
  return kTypeUnknown;
}

int detectWav(const std::uint8_t* d, std::size_t size) {
  if (textAt(d, size, 0, "RIFF") && textAt(d, size, 8, "WAVE") && textAt(d, size, 12, "fmt ")) {
    return 21;
  }
  return kTypeUnknown;
}

int detectMov(const std::uint8_t* d, std::size_t size) {
  if (textAt(d, size, 0, "moov")) return 17;
  if (textAt(d, size, 4, "ftyp") && textAt(d, size, 8, "qt  ")) return 17;
  return kTypeUnknown;
}

int detectGif(const std::uint8_t* d, std::size_t size) {
  if (!textAt(d, size, 0, "GIF") || size < 6) return kTypeUnknown;
  const auto digit = [](std::uint8_t c) { return c >= '0' && c <= '9'; };
  if (digit(d[3]) && digit(d[4]) && d[5] >= 'a' && d[5] <= 'z') return 31;
  return kTypeUnknown;
}

int detectBmp(const std::uint8_t* d, std::size_t size) {
  if (size < 18 || !(textAt(d, size, 0, "BM") || textAt(d, size, 0, "BA"))) return kTypeUnknown;
  if (le16(d + 6) != 0 || le16(d + 8) != 0) return kTypeUnknown;  // reserved words
  return le32(d + 14) == 40 ? 29 : kTypeUnknown;                  // info header size
}

int detectJpeg(const std::uint8_t* d, std::size_t size) {
  static const std::uint8_t kJfif[4] = {0xFF, 0xD8, 0xFF, 0xE0},
                            kExif[4] = {0xFF, 0xD8, 0xFF, 0xE1};
  if (hasAt(d, size, 0, kJfif, 4) && textAt(d, size, 6, "JFIF")) return 10;
  if (hasAt(d, size, 0, kExif, 4) && textAt(d, size, 6, "Exif")) return 10;
  return kTypeUnknown;
}

int detectPng(const std::uint8_t* d, std::size_t size) {
  static const std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  return hasAt(d, size, 0, kSignature, 8) ? 30 : kTypeUnknown;
}

int detectIco(const std::uint8_t* d, std::size_t size) {
  static const std::uint8_t kIconHeader[4] = {0, 0, 1, 0};
  if (!hasAt(d, size, 0, kIconHeader, 4) || size < 6) return kTypeUnknown;
  const std::uint32_t count = le16(d + 4);
  // The whole directory must lie inside the bytes we were given (never more than 512).
  const std::uint64_t directoryEnd = 6 + 16 * std::uint64_t{count};
  if (count == 0 || directoryEnd > size || directoryEnd > kDetectBytes) return kTypeUnknown;
  // 64-bit sums: offsets chained through sizes read from the file must not wrap into a match.
  std::uint64_t expected = directoryEnd;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = d + 6 + 16 * i;
    if (entry[3] != 0) return kTypeUnknown;  // reserved byte
    if (le32(entry + 12) != expected) return kTypeUnknown;
    expected += le32(entry + 8);
  }
  return 46;
}

int detectHeif(const std::uint8_t* d, std::size_t size) {
  if (!textAt(d, size, 4, "ftyp")) return kTypeUnknown;
  for (const char* brand : {"heic", "heix", "heim", "heis", "mif1", "msf1"}) {
    if (textAt(d, size, 8, brand)) return 32;
  }
  return kTypeUnknown;
}

const FileTypeRow kRows[] = {
    {"mpeg", 15, detectMpeg},    {"mpg", 15, detectMpeg},  {"vob", 15, detectMpeg},
    {"mp4", 18, detectMp4},      {"rmvb", 23, detectRmvb}, {"wmv", 24, detectAsf},
    {"wma", 24, detectAsf},      {"avi", 22, detectAvi},   {"3gp", 16, detect3gp},
    {"mp3", 12, detectMp3},      {"mid", 13, detectMidi},  {"wav", 21, detectWav},
    {"mov", 17, detectMov},      {"gif", 31, detectGif},   {"bmp", 29, detectBmp},
    {"jpg", 10, detectJpeg},     {"jpeg", 10, detectJpeg}, {"jpe", 10, detectJpeg},
    {"png", 30, detectPng},      {"ico", 46, detectIco},   {"heic", 32, detectHeif},
    {"", kTypeUnknown, nullptr},
};
constexpr std::size_t kRowCount = sizeof(kRows) / sizeof(kRows[0]);

// Names a detected type into *out and moves the counter on; leaves *out empty otherwise.
void nameDetection(int typeId, DetectionCounter* counter, std::wstring* out) {
  ++counter->examined;
  if (typeId == kTypeUnknown) return;
  *out = std::to_wstring(counter->recognised) + L'.' + platform::toWide(extensionOfType(typeId));
  ++counter->recognised;
}

}  // namespace

const char kPictureExtensions[] =
    "*.bmp|*.gif|*.jpg|*.jpeg|*.png|*.psd|*.tif|*.tiff|*.pcx|*.scr|*.ico|*.nef|*.nrw|*.crw|*.cr2|"
    "*.sr2|*.arw|*.srf|*.divu|*.pgm|*.k25|*.kdc|*.dcr|*.raf|*.iff|*.pbm|*.mef|*.jp2|*.mos|*.x3f|"
    "*.orf|*.erf|*.indd|*.pef|*.psp|*.mrw|*.dng|*.raw|*.pct|*.tga|*.heic|*.heif";
const char kSoundExtensions[] =
    "*.mp3|*.wav|*.aiff|*.rps|*.mid|*.midi|*.m4a|*.m4p|*.au|*.ogg|*.wma|*.rm|*.ra|*.acd|*.amr|"
    "*.at3|*.caf|*.dss|*.m4r|*.nra|*.snd";
const char kVideoExtensions[] =
    "*.rmvb|*.rm|*.mpeg|*.mov|*.avi|*.wmv|*.asf|*.mp4|*.flv|*.fla|*.swf|*.ape|*.m4v|*.3gp|*.dv|"
    "*.3g2|*.m4b|*.mkv|*.mts|*.divx|*.ogm|*.moi|*.vob|*.ajp|*.f4v|*.mqv|*.svi|*.vid|*.tod|"
    "*.hdmov|*.mod|*.m2t|*.lrv";

FileTypeTable fileTypeTable() {
  return {kRows, kRowCount};
}

int detectTypeId(const std::uint8_t* data, std::size_t size) {
  for (const FileTypeRow& row : kRows) {
    if (row.detect == nullptr) break;
    const int id = row.detect(data, size);
    if (id != kTypeUnknown) return id;
  }
  return kTypeUnknown;
}

const char* extensionOfType(int typeId) {
  if (typeId == kTypeUnknown) return "";
  for (const FileTypeRow& row : kRows) {
    if (row.typeId == typeId) return row.extension;
  }
  return "";
}

int detectFileType(const std::string& storedPath, DetectionCounter* counter, std::wstring* out) {
  out->clear();
  platform::File file;
  int rc = file.openRead(storedPath);
  if (rc != kOk) return rc;
  std::uint8_t head[kDetectBytes];
  std::size_t got = 0;
  rc = file.readAt(0, head, sizeof head, &got);
  if (rc != kOk) return rc;
  if (got < kDetectBytes) return kShortRead;
  nameDetection(detectTypeId(head, kDetectBytes), counter, out);
  return kOk;
}

int detectBufferType(const std::uint8_t* data, std::size_t size, DetectionCounter* counter,
                     std::wstring* out) {
  out->clear();
  if (data == nullptr && size != 0) return kInvalid;
  if (size < kDetectBufferBytes) return kShortRead;
  nameDetection(detectTypeId(data, kDetectBufferBytes), counter, out);
  return kOk;
}

std::wstring extensionFromDetection(std::wstring_view detection) {
  const std::size_t dot = detection.find(L'.');
  if (dot == std::wstring_view::npos) return L".JPG";
  std::wstring ext(detection.substr(dot));
  for (wchar_t& c : ext) c = platform::asciiUpper(c);
  return ext;
}

bool extensionInList(std::string_view list, std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  if (extension.empty()) return false;
  while (!list.empty()) {
    const std::size_t bar = list.find('|');
    std::string_view entry = list.substr(0, bar);
    list = bar == std::string_view::npos ? std::string_view() : list.substr(bar + 1);
    if (entry.size() < 2 || entry.compare(0, 2, "*.") != 0) continue;
    entry.remove_prefix(2);
    if (platform::equalsNoCase(entry, extension)) return true;
  }
  return false;
}

bool extensionInList(std::string_view list, std::wstring_view extension) {
  return extensionInList(list, std::string_view(platform::toUtf8(extension)));
}

PreviewKind previewKindOf(std::wstring_view extension) {
  const std::string ext = platform::toUtf8(extension);
  if (extensionInList(kPictureExtensions, std::string_view(ext))) return PreviewKind::kPicture;
  if (extensionInList(kSoundExtensions, std::string_view(ext))) return PreviewKind::kSound;
  if (extensionInList(kVideoExtensions, std::string_view(ext))) return PreviewKind::kVideo;
  return PreviewKind::kNone;
}

}  // namespace qv::engine
