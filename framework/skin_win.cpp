#include "framework/skin_win.h"

#include <objidl.h>
#include <shlwapi.h>

#include "framework/gdiplus_win.h"

#include "framework/image_ref.h"
#include "platform/file.h"
#include "platform/result.h"

namespace qv::framework {

std::unique_ptr<Gdiplus::Bitmap> decodeImage(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > (64u << 20)) return nullptr;
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                      static_cast<UINT>(bytes.size()));
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream));
  std::unique_ptr<Gdiplus::Bitmap> out;
  if (decoded && decoded->GetLastStatus() == Gdiplus::Ok) {
    UINT w = decoded->GetWidth();
    UINT h = decoded->GetHeight();
    // A copy in premultiplied pixels: independent of the stream and fast to draw.
    out = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(w), static_cast<INT>(h),
                                            PixelFormat32bppPARGB);
    if (out->GetLastStatus() == Gdiplus::Ok) {
      Gdiplus::Graphics g(out.get());
      g.DrawImage(decoded.get(), 0, 0, static_cast<INT>(w), static_cast<INT>(h));
    } else {
      out.reset();
    }
  }
  decoded.reset();
  stream->Release();
  return out;
}

Skin& Skin::current() {
  static Skin skin;
  return skin;
}

void Skin::clear() {
  images_.clear();
  archive_ = ZipArchive{};
}

int Skin::loadFromBytes(std::string bytes) {
  images_.clear();
  return archive_.open(std::move(bytes));
}

int Skin::loadFromResource(HMODULE module, int resourceId) {
  HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));  // RCDATA
  if (!res) return kErrFileNotFound;
  HGLOBAL data = LoadResource(module, res);
  DWORD size = SizeofResource(module, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes || size == 0) return kErrFileNotFound;
  return loadFromBytes(std::string(static_cast<const char*>(bytes), size));
}

int Skin::loadFromFile(const std::string& path) {
  std::string bytes;
  int rc = platform::readWholeFile(path, 64u << 20, &bytes);
  if (rc != kOk) return rc;
  return loadFromBytes(std::move(bytes));
}

Gdiplus::Bitmap* Skin::decode(const std::string& name) {
  std::string key = ZipArchive::normaliseName(name);
  auto it = images_.find(key);
  if (it != images_.end()) return it->second.get();
  std::string bytes;
  std::unique_ptr<Gdiplus::Bitmap> bmp;
  if (archive_.read(name, &bytes) == kOk) bmp = decodeImage(bytes);
  Gdiplus::Bitmap* raw = bmp.get();
  images_.emplace(key, std::move(bmp));  // a failure is remembered too: no retry per paint
  return raw;
}

SkinImage Skin::image(const std::string& file, int sheetScale) {
  if (sheetScale >= 2) {
    if (Gdiplus::Bitmap* b = decode(scaledImageName(file, 2))) return SkinImage{b, 2};
  }
  return SkinImage{decode(file), 1};
}

void Skin::imageSize(const std::string& file, int* cx, int* cy) {
  Gdiplus::Bitmap* b = decode(file);
  *cx = b ? static_cast<int>(b->GetWidth()) : 0;
  *cy = b ? static_cast<int>(b->GetHeight()) : 0;
}

}  // namespace qv::framework
