// What the controls draw with and measure with. The portable controls paint through these
// interfaces only; the Win32 backend implements them with GDI+, and the tests with a recorder
// that keeps every call, so painting decisions (which rows, which image, which colour) are
// checked without a window.
//
// Rectangles are in pixels of the window. Image references carry design units in `dest` and
// 1x sheet pixels in `source`; the painter scales them with its window's DPI (dpi.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/geometry.h"
#include "framework/image_ref.h"

namespace qv::framework {

enum class HAlign : std::uint8_t { kLeft, kCenter, kRight };
enum class VAlign : std::uint8_t { kTop, kCenter, kBottom };

struct TextStyle {
  int font = -1;  // index into the window's font table; -1 the default font
  bool bold = false;
  Color color = 0xFF000000u;
  HAlign align = HAlign::kLeft;
  VAlign valign = VAlign::kCenter;
  bool singleLine = true;
  bool endEllipsis = false;
  bool underline = false;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // The pixel size of the text in the style's font: one line when maxWidth is 0 or the style is
  // single-line, else wrapped at word boundaries to maxWidth.
  virtual Size measureText(std::wstring_view text, const TextStyle& style, int maxWidth) = 0;
  // The 1x pixel size of a whole image file of the skin; {0,0} when it cannot be loaded.
  virtual Size imageSize(const std::string& file) = 0;
  // The frame delays (milliseconds) of an animation file of the skin; empty when it cannot be
  // decoded.
  virtual std::vector<int> animationDelays(const std::string& file) = 0;
};

class Painter : public TextMeasurer {
 public:
  virtual void fillRect(const Rect& r, Color c) = 0;
  virtual void fillRoundRect(const Rect& r, Color c, int radius) = 0;
  virtual void drawBorder(const Rect& r, Color c, int width, int radius) = 0;
  virtual void drawLine(Point a, Point b, Color c, int width) = 0;
  // The image into `controlRect`: to its dest rectangle when it has one, else stretched over the
  // whole control (nine-grid when corners are given). `source` overrides the reference's own
  // sub-rectangle when not empty (the sub-images of markup text).
  virtual void drawImage(const ImageRef& image, const Rect& controlRect,
                         const Rect& source = Rect{}) = 0;
  virtual void drawText(const Rect& r, std::wstring_view text, const TextStyle& style) = 0;
  // One frame of an animation file, stretched over the rectangle.
  virtual void drawAnimationFrame(const std::string& file, int frame, const Rect& r) = 0;
  // Clips further drawing to the intersection with r until the matching popClip.
  virtual void pushClip(const Rect& r) = 0;
  virtual void popClip() = 0;
  // The rectangle drawing is clipped to now (the dirty area within the pushed clips): controls
  // outside it skip their painting.
  virtual Rect clipRect() const = 0;
  virtual int dpi() const = 0;
};

}  // namespace qv::framework
