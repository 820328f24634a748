// The Painter of the Win32 backend: GDI+ drawing into a back buffer, fonts with fallback lists,
// and images from the skin chosen at 1x or 2x by the window's DPI.
//
// GDI+ does not substitute fonts: a face that is not installed fails to construct (status 14)
// and draws nothing. Each font is therefore looked up through a list of faces, checking the
// status, and text with CJK characters asks for a CJK face first, so Chinese texts never come
// out as boxes.
#pragma once

#include <windows.h>

#include "framework/gdiplus_win.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "framework/painter.h"
#include "framework/skin_win.h"
#include "framework/window.h"

namespace qv::framework {

class FontCache {
 public:
  // The GDI+ font for a FontSpec at a DPI; never null (the last fallback is GDI+'s generic sans).
  Gdiplus::Font* get(const FontSpec& fontSpec, int dpi, bool bold, bool underline, bool cjk);
  // The face that was found for a FontSpec (tests check that the fallback worked).
  std::wstring faceOf(const FontSpec& fontSpec, int dpi, bool bold, bool cjk);
  void clear() {
    fonts_.clear();
    measured_.clear();
  }
  static FontCache& current();
  // Text sizes measured before, by font, text and wrapping width: painting measures the same
  // labels again and again (ellipses, markup runs), and GDI+ measuring is slow.
  bool cachedSize(Gdiplus::Font* font, std::wstring_view text, int width, Size* out) const;
  void storeSize(Gdiplus::Font* font, std::wstring_view text, int width, Size size);

 private:
  using Key = std::tuple<std::wstring, int, int, bool, bool, bool>;
  struct Entry {
    std::unique_ptr<Gdiplus::Font> font;
    std::wstring face;
  };
  Entry& find(const FontSpec& fontSpec, int dpi, bool bold, bool underline, bool cjk);
  std::map<Key, Entry> fonts_;
  std::map<std::tuple<const void*, int, std::wstring>, Size> measured_;
};

// True for text that holds CJK ideographs, kana or full-width forms.
bool hasCjk(std::wstring_view text);

class GdiplusPainter : public Painter {
 public:
  GdiplusPainter(Gdiplus::Graphics& g, const Window& window, Skin& skin, FontCache& fonts);

  void fillRect(const Rect& r, Color c) override;
  void fillRoundRect(const Rect& r, Color c, int radius) override;
  void drawBorder(const Rect& r, Color c, int width, int radius) override;
  void drawLine(Point a, Point b, Color c, int width) override;
  void drawImage(const ImageRef& image, const Rect& controlRect, const Rect& source) override;
  void drawText(const Rect& r, std::wstring_view text, const TextStyle& style) override;
  void drawAnimationFrame(const std::string& file, int frame, const Rect& r) override;
  void pushClip(const Rect& r) override;
  void popClip() override;
  Rect clipRect() const override;
  int dpi() const override { return window_.dpi(); }
  Size measureText(std::wstring_view text, const TextStyle& style, int maxWidth) override;
  Size imageSize(const std::string& file) override;
  std::vector<int> animationDelays(const std::string& file) override;

 private:
  Gdiplus::Font* fontFor(const TextStyle& style, std::wstring_view text);
  void format(const TextStyle& style, Gdiplus::StringFormat* f) const;

  Gdiplus::Graphics& g_;
  const Window& window_;
  Skin& skin_;
  FontCache& fonts_;
  std::vector<Gdiplus::GraphicsState> clips_;
  std::vector<Rect> clipRects_;
};

// A measurer for layout passes outside painting (a screen-compatible DC, same fonts).
class GdiplusMeasurer : public TextMeasurer {
 public:
  GdiplusMeasurer(const Window& window, Skin& skin, FontCache& fonts);
  ~GdiplusMeasurer() override;
  Size measureText(std::wstring_view text, const TextStyle& style, int maxWidth) override;
  Size imageSize(const std::string& file) override;
  std::vector<int> animationDelays(const std::string& file) override;

 private:
  HDC dc_;
  std::unique_ptr<Gdiplus::Graphics> g_;
  std::unique_ptr<GdiplusPainter> painter_;
};

}  // namespace qv::framework
