// The skin of the running program: the zip archive (resource 101 of the executable, or a file
// in tests) and the decoded images of its sprite sheets, kept for the life of the process.
// Images are decoded once, converted to premultiplied 32-bit pixels for fast drawing, and held
// with the scale they were drawn at (1 for "name.png", 2 for "name@2x.png").
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/zip_archive.h"

namespace Gdiplus {
class Bitmap;
}

namespace qv::framework {

struct SkinImage {
  Gdiplus::Bitmap* bitmap = nullptr;  // owned by the skin
  int scale = 1;                      // sheet pixels per 1x pixel
};

// A decoded animation: every frame as its own bitmap, with its delay.
struct SkinAnimation {
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> frames;
  std::vector<int> delaysMs;
  int scale = 1;
};

class Skin {
 public:
  // Reads the archive from the module's resource (type RCDATA). 0, or 2 when it is missing.
  int loadFromResource(HMODULE module, int resourceId);
  int loadFromFile(const std::string& path);
  int loadFromBytes(std::string bytes);
  const ZipArchive& archive() const { return archive_; }

  // The sheet to draw at a sheet scale: "name@2x.png" when asked for 2 and present, else the
  // plain file. A missing or undecodable file gives a null bitmap (drawn as nothing).
  SkinImage image(const std::string& file, int sheetScale);
  // The frames of a GIF of the skin at a sheet scale (its "@2x" twin when asked for 2 and
  // present); null when it cannot be decoded.
  const SkinAnimation* animation(const std::string& file, int sheetScale);
  // Size of the 1x sheet in pixels, or {0,0}.
  void imageSize(const std::string& file, int* cx, int* cy);
  // The raw bytes of a file (GIF animations are decoded by their control).
  int read(const std::string& file, std::string* out) const { return archive_.read(file, out); }

  // The process-wide skin.
  static Skin& current();
  void clear();

 private:
  Gdiplus::Bitmap* decode(const std::string& name);
  ZipArchive archive_;
  const SkinAnimation* decodeAnimation(const std::string& name, int scale);
  std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> images_;  // by normalised name
  std::map<std::string, std::unique_ptr<SkinAnimation>> animations_;
};

// Decodes every frame of a GIF and its delays; null for bytes that are no image.
std::unique_ptr<SkinAnimation> decodeAnimation(const std::string& bytes);

// Decodes image bytes (PNG, GIF, JPEG, BMP) into a premultiplied bitmap, or null.
std::unique_ptr<Gdiplus::Bitmap> decodeImage(const std::string& bytes);

}  // namespace qv::framework
