// Media files with true signatures, and files that only look like media, for the manifest walks
// and the preview: every format the content test knows (JPEG with JFIF and with Exif, PNG, GIF,
// HEIC, MOV, MP4, 3GP, WAV, MP3, MIDI, AVI), the near misses that must not be recognised, and the
// set of them that the sample phone backup holds in Camera Roll, Photo Stream, message
// attachments, app domains (com. and net. apps, an app without a name) and WhatsApp's domain.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::samples {

class BackupBuilder;

enum class MediaSample {
  kJpegJfif,
  kJpegExif,
  kPng,
  kGif,
  kHeic,
  kMov,
  kMp4,
  k3gp,
  kWav,
  kMp3,
  kMidi,
  kAvi,
  // Not media: each differs from a signature in one place, or is too short, or is text.
  kNearJpeg,   // FF D8 FF E1 followed by "Exik"
  kNearPng,    // the PNG signature with its last byte 00
  kNearGif,    // "GIF8xa": a letter where the second digit belongs
  kNearMp4,    // "ftyp" with the brand "avc1"
  kNearWav,    // "RIFF" "WAVE" but "fmtX"
  kNearMidi,   // "MThd" with a header length of 7
  kShortJpeg,  // a true JFIF header in a file of 400 bytes
  kText,       // plain text
  kEmpty,      // no bytes at all
};

// The bytes of a file of the kind, `size` bytes long (the kind's own length for kShortJpeg and
// kEmpty), the same for the same seed. Sizes below 512 are raised to 512 for the media kinds.
std::string mediaBytes(MediaSample kind, std::size_t size, std::uint32_t seed);

// One file of the sample phone backup's media.
struct SampleMediaFile {
  const char* domain;
  const char* relativePath;
  MediaSample kind;
  std::size_t size;
  bool stored;       // false: a manifest record without its stored file
  int category;      // the category id (0 Camera Roll ... 10 WhatsApp Attachments), -1 none
  const char* name;  // the item's name when it is one
  const char* app;   // the app name of an app file
};

const std::vector<SampleMediaFile>& sampleMediaFiles();

// Items per category id (0..13) that sampleMediaFiles gives.
std::array<std::size_t, 14> sampleMediaCounts();

// Adds every file of sampleMediaFiles. 0 (failures show in BackupBuilder::finish).
int addSampleMedia(BackupBuilder* builder);

}  // namespace qv::samples
