// Content classification: which picture, sound or video format a stored file holds, told by its
// first bytes. Stored files carry no extension, so the media walks, the preview and the device
// source all decide by these signatures alone.
//
// The file-type table lists one row per recognised extension, in the order in which the
// detectors are tried; rows of one format share a detector and a type id, and the first row of
// an id names its extension (id 24 always yields "wmv", id 10 "jpg", id 15 "mpeg"). Signatures,
// offsets from the start of the file (every test is bounded by the length it is given):
//
//   mpeg mpg vob  15  00 00 01 BA, and 00 00 01 BB within bytes 0..31; or 00 00 01 B3, and
//                     00 00 01 B8 within bytes 0..31
//   mp4           18  "ftyp" at 4; "iso" or "mp42" at 8
//   rmvb          23  ".RMF" at 0
//   wmv wma       24  the ASF header object id (16 bytes) at 0
//   avi           22  "RIFF" at 0, "AVI " at 8, "LIST" at 12
//   3gp           16  "ftyp" at 4, "3gp" at 8
//   mp3           12  "ID3" at 0; bytes 3 and 4 not FF; byte 5 & 0x1F == 0; bytes 6..9 < 0x80
//   mid           13  "MThd" at 0, big-endian 32-bit 6 at 4, "MTrk" at 14
//   wav           21  "RIFF" at 0, "WAVE" at 8, "fmt " at 12
//   mov           17  "moov" at 0; or "ftyp" at 4 and "qt  " at 8
//   gif           31  "GIF", two decimal digits, a letter a..z
//   bmp           29  "BM" or "BA" at 0; 16-bit zero at 6 and at 8; little-endian 32-bit 40 at 14
//   jpg jpeg jpe  10  FF D8 FF E0 and "JFIF" at 6; or FF D8 FF E1 and "Exif" at 6
//   png           30  89 50 4E 47 0D 0A 1A 0A
//   ico           46  00 00 01 00; image count n (LE16 at 4) > 0 with the directory 6 + 16n
//                     inside the bytes given; per 16-byte entry i at 6 + 16i: byte 3 is 0, and
//                     its image offset (LE32 at 12) is 6 + 16n for the first entry and the
//                     previous offset + previous size (LE32 at 8) for each later one
//   heic          32  "ftyp" at 4; brand heic, heix, heim, heis, mif1 or msf1 at 8
//
// A file is tested on its first 512 bytes; a shorter one is never recognised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::engine {

// The type id of "not a recognised type"; the table ends with a row of this id.
constexpr int kTypeUnknown = 48;

// Bytes a stored file is judged by; a file shorter than this is never recognised.
constexpr std::size_t kDetectBytes = 512;
// Bytes a buffer is judged by (the device source tests the bytes after an archive member name).
constexpr std::size_t kDetectBufferBytes = 128;

// A detector answers its type id, or kTypeUnknown.
using Detector = int (*)(const std::uint8_t* data, std::size_t size);

struct FileTypeRow {
  const char* extension;  // lower case, without the dot; empty in the closing row
  int typeId;
  Detector detect;  // null in the closing row
};

// The rows in detection order, the closing row of kTypeUnknown included.
struct FileTypeTable {
  const FileTypeRow* rows;
  std::size_t count;
};
FileTypeTable fileTypeTable();

// The type id of the bytes: the first detector in table order whose answer is not kTypeUnknown.
int detectTypeId(const std::uint8_t* data, std::size_t size);
// The extension of the first row with the id; "" for kTypeUnknown and ids not in the table.
const char* extensionOfType(int typeId);

// Counters of one walk, zeroed at its start. `recognised` numbers the detection results;
// `examined` counts the files that were long enough to be tested.
struct DetectionCounter {
  std::uint64_t recognised = 0;
  std::uint64_t examined = 0;
};

// Reads the first 512 bytes of a stored file and names its type as "<n>.<ext>", n being the
// counter's value before it is incremented. Result: 0 when the bytes were read (the output is
// empty when no detector matched); 30 for a file of fewer than 512 bytes; the system's code
// when the file cannot be opened or read. The output is cleared first.
int detectFileType(const std::string& storedPath, DetectionCounter* counter, std::wstring* out);

// The same test on bytes in memory, judged by their first 128 bytes. A buffer of fewer than 128
// bytes is never recognised (30). 0 otherwise; the output as above.
int detectBufferType(const std::uint8_t* data, std::size_t size, DetectionCounter* counter,
                     std::wstring* out);

// The extension of a detection result, from its first "." on and upper-cased (".JPG", ".MOV");
// ".JPG" when the result has no ".".
std::wstring extensionFromDetection(std::wstring_view detection);

// The three extension lists. They choose the preview file (picture "tmp.jpg", sound "tmp.wav",
// video "tmp.avi") and split app files into App Photos and App Videos. Each is a single text of
// "*.ext" entries separated by "|".
extern const char kPictureExtensions[];
extern const char kSoundExtensions[];
extern const char kVideoExtensions[];

// Whether the list holds the extension (with or without its leading dot, any case) as a whole
// entry: "mp" is not in a list that holds "*.mp3".
bool extensionInList(std::string_view list, std::string_view extension);
bool extensionInList(std::string_view list, std::wstring_view extension);

enum class PreviewKind { kNone, kPicture, kSound, kVideo };
// The first of the picture, sound and video lists that holds the extension.
PreviewKind previewKindOf(std::wstring_view extension);

}  // namespace qv::engine
