#include "samples/media_samples.h"

#include "samples/backup_builder.h"

namespace qv::samples {
namespace {

std::string be32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (24 - 8 * i));
  return s;
}

std::string le32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// An ISO base media file type box: size, "ftyp", major brand, minor version, compatible brands.
std::string ftyp(const char* major, std::initializer_list<const char*> compatible) {
  std::string body = std::string(major, 4) + be32(0x200);
  for (const char* brand : compatible) body += std::string(brand, 4);
  return be32(static_cast<std::uint32_t>(8 + body.size())) + "ftyp" + body;
}

// The head of a file of the kind; the caller fills it up to its size.
std::string headOf(MediaSample kind) {
  switch (kind) {
    case MediaSample::kJpegJfif:
    case MediaSample::kShortJpeg:
      return bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}) + "JFIF" +
             bytes({0x00, 0x01, 0x01, 0x00, 0x00, 0x48, 0x00, 0x48, 0x00, 0x00});
    case MediaSample::kJpegExif:
      return bytes({0xFF, 0xD8, 0xFF, 0xE1, 0x01, 0x00}) + "Exif" + bytes({0, 0}) + "MM" +
             bytes({0x00, 0x2A, 0x00, 0x00, 0x00, 0x08});
    case MediaSample::kNearJpeg:
      return bytes({0xFF, 0xD8, 0xFF, 0xE1, 0x01, 0x00}) + "Exik" + bytes({0, 0}) + "MM";
    case MediaSample::kPng:
      return bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}) + be32(13) + "IHDR" + be32(64) +
             be32(48) + bytes({8, 6, 0, 0, 0}) + be32(0x5C6E2F41);
    case MediaSample::kNearPng:
      return bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x00}) + be32(13) + "IHDR";
    case MediaSample::kGif:
      return "GIF89a" + bytes({0x40, 0x00, 0x30, 0x00, 0xF7, 0x00, 0x00});
    case MediaSample::kNearGif:
      return "GIF8xa" + bytes({0x40, 0x00, 0x30, 0x00});
    case MediaSample::kHeic:
      return ftyp("heic", {"mif1", "heic"}) + be32(0x100) + "meta";
    case MediaSample::kMov:
      return ftyp("qt  ", {"qt  "}) + be32(8) + "wide" + be32(0x100) + "mdat";
    case MediaSample::kMp4:
      return ftyp("mp42", {"isom", "mp42"}) + be32(0x100) + "moov";
    case MediaSample::kNearMp4:
      return ftyp("avc1", {"avc1"}) + be32(0x100) + "moov";
    case MediaSample::k3gp:
      return ftyp("3gp4", {"isom", "3gp4"}) + be32(0x100) + "moov";
    case MediaSample::kWav:
      return "RIFF" + le32(0x1000) + "WAVE" + "fmt " + le32(16) +
             bytes({1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0}) + "data" +
             le32(0x800);
    case MediaSample::kNearWav:
      return "RIFF" + le32(0x1000) + "WAVE" + "fmtX" + le32(16);
    case MediaSample::kMp3:
      // ID3v2.4, no flags, tag size as four 7-bit bytes.
      return "ID3" + bytes({0x04, 0x00, 0x00, 0x00, 0x00, 0x01, 0x76}) + "TIT2" +
             bytes({0, 0, 0, 6, 0, 0, 3}) + "Tune";
    case MediaSample::kMidi:
      return "MThd" + be32(6) + bytes({0x00, 0x01, 0x00, 0x02, 0x01, 0xE0}) + "MTrk" + be32(0x40);
    case MediaSample::kNearMidi:
      return "MThd" + be32(7) + bytes({0x00, 0x01, 0x00, 0x02, 0x01, 0xE0, 0x00}) + "MTrk";
    case MediaSample::kAvi:
      return "RIFF" + le32(0x2000) + "AVI " + "LIST" + le32(0x200) + "hdrl" + "avih" + le32(56);
    case MediaSample::kText:
      return "Remember to back up the phone before the trip.\n";
    case MediaSample::kEmpty:
      return {};
  }
  return {};
}

}  // namespace

std::string mediaBytes(MediaSample kind, std::size_t size, std::uint32_t seed) {
  if (kind == MediaSample::kEmpty) return {};
  std::string out = headOf(kind);
  if (kind == MediaSample::kShortJpeg) size = 400;
  if (kind == MediaSample::kText) {
    while (out.size() < size) out += "Remember to back up the phone before the trip.\n";
    out.resize(size);
    return out;
  }
  if (kind != MediaSample::kShortJpeg && size < 512) size = 512;
  if (out.size() < size) out += pseudoRandomBytes(size - out.size(), seed);
  out.resize(size);
  return out;
}

const std::vector<SampleMediaFile>& sampleMediaFiles() {
  using M = MediaSample;
  static const std::vector<SampleMediaFile> files = {
      // Camera Roll (0)
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", M::kJpegJfif, 534, true, 0,
       "IMG_0001.JPG", nullptr},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0002.JPG", M::kJpegJfif, 534, true, 0,
       "IMG_0002.JPG", nullptr},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0003.HEIC", M::kHeic, 2400, true, 0,
       "IMG_0003.HEIC", nullptr},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0004.MOV", M::kMov, 5000, true, 0,
       "IMG_0004.MOV", nullptr},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0005.PNG", M::kPng, 1800, true, 0,
       "IMG_0005.PNG", nullptr},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0006.JPG", M::kJpegExif, 3000, true, 0,
       "IMG_0006.JPG", nullptr},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0007.JPG", M::kShortJpeg, 400, true, -1,
       nullptr, nullptr},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0008.AAE", M::kText, 600, true, -1, nullptr,
       nullptr},
      {"CameraRollDomain", "Media/DCIM/100APPLE/IMG_0009.JPG", M::kJpegJfif, 900, false, -1,
       nullptr, nullptr},
      {"CameraRollDomain", "Media/DCIM/101APPLE/IMG_0010.GIF", M::kNearGif, 700, true, -1, nullptr,
       nullptr},
      // Photo Stream (1)
      {"MediaDomain", "Media/PhotoStreamsData/1234567890/100APPLE/IMG_0101.JPG", M::kJpegExif, 2200,
       true, 1, "IMG_0101.JPG", nullptr},
      {"MediaDomain", "Media/PhotoStreamsData/1234567890/100APPLE/IMG_0102.GIF", M::kGif, 900, true,
       1, "IMG_0102.GIF", nullptr},
      {"MediaDomain", "Media/PhotoStreamsData/1234567890/100APPLE/IMG_0103.MP4", M::kMp4, 4000,
       true, 1, "IMG_0103.MP4", nullptr},
      {"MediaDomain", "Media/PhotoStreamsData/1234567890/100APPLE/IMG_0104.JPG", M::kNearJpeg, 1500,
       true, -1, nullptr, nullptr},
      // Messages Attachments (5): named by what their bytes are.
      {"MediaDomain", "Library/SMS/Attachments/ab/01/7F3C/photo.heic", M::kJpegJfif, 2600, true, 5,
       "photo.JPG", nullptr},
      {"MediaDomain", "Library/SMS/Attachments/ab/02/91A0/IMG_2001.HEIC", M::kHeic, 3100, true, 5,
       "IMG_2001.HEIC", nullptr},
      {"MediaDomain", "Library/SMS/Attachments/cd/03/0B11/Audio Message.amr", M::kWav, 1900, true,
       5, "Audio Message.WAV", nullptr},
      {"MediaDomain", "Library/SMS/Attachments/cd/04/5E6F/clip.mov", M::k3gp, 4400, true, 5,
       "clip.3GP", nullptr},
      {"MediaDomain", "Library/SMS/Attachments/ef/05/77AA/song.mp3", M::kMp3, 2048, true, 5,
       "song.MP3", nullptr},
      {"MediaDomain", "Library/SMS/Attachments/ef/06/88BB/empty.jpg", M::kEmpty, 0, true, -1,
       nullptr, nullptr},
      {"MediaDomain", "Library/SMS/Attachments/ef/07/99CC/contact.vcf", M::kText, 700, true, -1,
       nullptr, nullptr},
      {"MediaDomain", "Library/SMS/Attachments/ef/08/AADD/fake.png", M::kNearPng, 800, true, -1,
       nullptr, nullptr},
      {"MediaDomain", "Library/SMS/Attachments/ef/09/BBEE/sound.wav", M::kNearWav, 800, true, -1,
       nullptr, nullptr},
      // App Photos (2) and App Videos (3)
      {"AppDomain-com.example.camera", "Documents/shot.jpg", M::kJpegExif, 2700, true, 2,
       "shot.JPG", "example.camera"},
      {"AppDomain-com.example.camera", "Documents/edit.png", M::kPng, 1300, true, 2, "edit.PNG",
       "example.camera"},
      {"AppDomain-com.example.camera", "Documents/clip.mp4", M::kMp4, 6000, true, 3, "clip.MP4",
       "example.camera"},
      {"AppDomain-com.example.camera", "Documents/intro.avi", M::kAvi, 3500, true, 3, "intro.AVI",
       "example.camera"},
      {"AppDomain-com.example.camera", "Documents/movie.3gp", M::k3gp, 2500, true, 3, "movie.3GP",
       "example.camera"},
      {"AppDomain-com.example.camera", "Documents/fake.mp4", M::kNearMp4, 2500, true, -1, nullptr,
       nullptr},
      {"AppDomain-net.example.recorder", "Documents/take1.wav", M::kWav, 2100, true, 3, "take1.WAV",
       "example.recorder"},
      {"AppDomain-net.example.recorder", "Documents/tune.mid", M::kMidi, 640, true, 3, "tune.MID",
       "example.recorder"},
      {"AppDomain-net.example.recorder", "Documents/memo.mp3", M::kMp3, 1200, true, 3, "memo.MP3",
       "example.recorder"},
      {"AppDomain-net.example.recorder", "Documents/old.mid", M::kNearMidi, 640, true, -1, nullptr,
       nullptr},
      // "com." only in the path, with no "-" after it: the app has no name.
      {"AppDomain-org.example.viewer", "Library/com.cache/pic.gif", M::kGif, 1000, true, 2,
       "pic.GIF", "other"},
      {"AppDomain-org.example.notes", "Documents/readme.txt", M::kText, 900, true, -1, nullptr,
       nullptr},
      // WhatsApp Attachments (10)
      {"AppDomain-net.whatsapp.WhatsApp",
       "Library/Media/447700900123@s.whatsapp.net/IMG-20210301-WA0001.jpg", M::kJpegJfif, 2300,
       true, 10, "IMG-20210301-WA0001.JPG", nullptr},
      {"AppDomain-net.whatsapp.WhatsApp",
       "Library/Media/447700900123@s.whatsapp.net/VID-20210301-WA0002.mp4", M::kMp4, 5200, true, 10,
       "VID-20210301-WA0002.MP4", nullptr},
      {"AppDomain-net.whatsapp.WhatsApp",
       "Library/Media/447700900123@s.whatsapp.net/AUD-20210301-WA0003.mp3", M::kMp3, 1500, true, 10,
       "AUD-20210301-WA0003.MP3", nullptr},
      {"AppDomain-net.whatsapp.WhatsApp", "Library/Media/447700900123@s.whatsapp.net/empty.jpg",
       M::kEmpty, 0, true, -1, nullptr, nullptr},
  };
  return files;
}

std::array<std::size_t, 14> sampleMediaCounts() {
  std::array<std::size_t, 14> counts{};
  for (const SampleMediaFile& f : sampleMediaFiles()) {
    if (f.category >= 0) ++counts[static_cast<std::size_t>(f.category)];
  }
  return counts;
}

int addSampleMedia(BackupBuilder* builder) {
  std::uint32_t seed = 100;
  for (const SampleMediaFile& f : sampleMediaFiles()) {
    builder->addFile(f.domain, f.relativePath, mediaBytes(f.kind, f.size, ++seed),
                     f.stored ? StoredAs::kPlain : StoredAs::kNone);
  }
  return 0;
}

}  // namespace qv::samples
