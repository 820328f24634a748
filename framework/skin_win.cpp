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

std::unique_ptr<SkinAnimation> decodeAnimation(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > (64u << 20)) return nullptr;
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                      static_cast<UINT>(bytes.size()));
  if (!stream) return nullptr;
  std::unique_ptr<SkinAnimation> anim;
  {
    Gdiplus::Bitmap gif(stream);
    if (gif.GetLastStatus() == Gdiplus::Ok) {
      anim = std::make_unique<SkinAnimation>();
      GUID dim = Gdiplus::FrameDimensionTime;
      UINT count = gif.GetFrameCount(&dim);
      if (count == 0) count = 1;
      std::vector<int> delays(count, 100);
      UINT size = gif.GetPropertyItemSize(0x5100);  // PropertyTagFrameDelay
      if (size >= sizeof(Gdiplus::PropertyItem)) {
        std::vector<char> buf(size);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buf.data());
        if (gif.GetPropertyItem(0x5100, size, item) == Gdiplus::Ok && item->value) {
          UINT n = item->length / 4;
          auto* v = static_cast<const UINT*>(item->value);
          for (UINT i = 0; i < count && i < n; ++i) delays[i] = static_cast<int>(v[i]) * 10;
        }
      }
      UINT w = gif.GetWidth();
      UINT h = gif.GetHeight();
      for (UINT i = 0; i < count; ++i) {
        gif.SelectActiveFrame(&dim, i);
        auto frame = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(w), static_cast<INT>(h),
                                                       PixelFormat32bppPARGB);
        Gdiplus::Graphics g(frame.get());
        g.DrawImage(&gif, 0, 0, static_cast<INT>(w), static_cast<INT>(h));
        anim->frames.push_back(std::move(frame));
      }
      anim->delaysMs = std::move(delays);
    }
  }
  stream->Release();
  return anim;
}

Skin& Skin::current() {
  static Skin skin;
  return skin;
}

void Skin::clear() {
  images_.clear();
  animations_.clear();
  archive_ = ZipArchive{};
}

int Skin::loadFromBytes(std::string bytes) {
  images_.clear();
  animations_.clear();
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

const SkinAnimation* Skin::decodeAnimation(const std::string& name, int scale) {
  std::string key = ZipArchive::normaliseName(name);
  auto it = animations_.find(key);
  if (it != animations_.end()) return it->second.get();
  std::string bytes;
  std::unique_ptr<SkinAnimation> anim;
  if (archive_.read(name, &bytes) == kOk) anim = qv::framework::decodeAnimation(bytes);
  if (anim) anim->scale = scale;
  const SkinAnimation* raw = anim.get();
  animations_.emplace(key, std::move(anim));
  return raw;
}

const SkinAnimation* Skin::animation(const std::string& file, int sheetScale) {
  if (sheetScale >= 2) {
    if (const SkinAnimation* a = decodeAnimation(scaledImageName(file, 2), 2)) return a;
  }
  return decodeAnimation(file, 1);
}

void Skin::imageSize(const std::string& file, int* cx, int* cy) {
  Gdiplus::Bitmap* b = decode(file);
  *cx = b ? static_cast<int>(b->GetWidth()) : 0;
  *cy = b ? static_cast<int>(b->GetHeight()) : 0;
}

}  // namespace qv::framework
