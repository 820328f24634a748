#include "framework/gdiplus_painter_win.h"

#include <algorithm>
#include <cmath>

#include "framework/dpi.h"

namespace qv::framework {

namespace {

Gdiplus::Color gc(Color c) {
  return Gdiplus::Color(static_cast<BYTE>(c >> 24), static_cast<BYTE>(c >> 16),
                        static_cast<BYTE>(c >> 8), static_cast<BYTE>(c));
}

Gdiplus::Rect gr(const Rect& r) {
  return Gdiplus::Rect(r.left, r.top, r.width(), r.height());
}

void roundPath(Gdiplus::GraphicsPath* path, const Rect& r, int radius) {
  int d = std::min({radius * 2, r.width(), r.height()});
  if (d <= 0) {
    path->AddRectangle(gr(r));
    return;
  }
  path->AddArc(r.left, r.top, d, d, 180, 90);
  path->AddArc(r.right - d - 1, r.top, d, d, 270, 90);
  path->AddArc(r.right - d - 1, r.bottom - d - 1, d, d, 0, 90);
  path->AddArc(r.left, r.bottom - d - 1, d, d, 90, 90);
  path->CloseFigure();
}

const wchar_t* const kLatinFaces[] = {L"Segoe UI",           L"Tahoma",
                                      L"Microsoft YaHei UI", L"Microsoft YaHei",
                                      L"Noto Sans CJK SC",   L"Arial"};
const wchar_t* const kCjkFaces[] = {L"Microsoft YaHei UI", L"Microsoft YaHei",
                                    L"Noto Sans CJK SC",   L"SimSun",
                                    L"Segoe UI",           L"Tahoma"};

}  // namespace

bool hasCjk(std::wstring_view text) {
  for (wchar_t c : text) {
    if ((c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
        (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF)) {
      return true;
    }
  }
  return false;
}

FontCache& FontCache::current() {
  static FontCache cache;
  return cache;
}

FontCache::Entry& FontCache::find(const FontSpec& fontSpec, int dpi, bool bold, bool underline,
                                  bool cjk) {
  Key key{fontSpec.face,
          fontSpec.size,
          dpi,
          bold || fontSpec.bold,
          underline || fontSpec.underline,
          cjk};
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  Entry e;
  int style = Gdiplus::FontStyleRegular;
  if (bold || fontSpec.bold) style |= Gdiplus::FontStyleBold;
  if (fontSpec.italic) style |= Gdiplus::FontStyleItalic;
  if (underline || fontSpec.underline) style |= Gdiplus::FontStyleUnderline;
  auto px = static_cast<Gdiplus::REAL>(scaleToDpi(fontSpec.size, dpi));
  std::vector<std::wstring> faces;
  if (cjk) {
    faces.assign(std::begin(kCjkFaces), std::end(kCjkFaces));
  } else {
    if (!fontSpec.face.empty()) faces.push_back(fontSpec.face);
    faces.insert(faces.end(), std::begin(kLatinFaces), std::end(kLatinFaces));
  }
  for (const std::wstring& face : faces) {
    Gdiplus::FontFamily family(face.c_str());
    if (family.GetLastStatus() != Gdiplus::Ok || !family.IsAvailable()) continue;
    auto font = std::make_unique<Gdiplus::Font>(&family, px, style, Gdiplus::UnitPixel);
    if (font->GetLastStatus() != Gdiplus::Ok || !font->IsAvailable()) continue;
    e.font = std::move(font);
    e.face = face;
    break;
  }
  if (!e.font) {
    // Nothing of the lists is installed: whatever GDI+ calls sans-serif, status checked too.
    const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
    if (generic && generic->IsAvailable()) {
      e.font = std::make_unique<Gdiplus::Font>(generic, px, style, Gdiplus::UnitPixel);
    } else {
      HDC dc = GetDC(nullptr);
      e.font =
          std::make_unique<Gdiplus::Font>(dc, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
      ReleaseDC(nullptr, dc);
    }
    e.face = L"(fallback)";
  }
  return fonts_.emplace(key, std::move(e)).first->second;
}

Gdiplus::Font* FontCache::get(const FontSpec& fontSpec, int dpi, bool bold, bool underline,
                              bool cjk) {
  return find(fontSpec, dpi, bold, underline, cjk).font.get();
}

std::wstring FontCache::faceOf(const FontSpec& fontSpec, int dpi, bool bold, bool cjk) {
  return find(fontSpec, dpi, bold, false, cjk).face;
}

bool FontCache::cachedSize(Gdiplus::Font* font, std::wstring_view text, int width,
                           Size* out) const {
  auto it =
      measured_.find(std::make_tuple(static_cast<const void*>(font), width, std::wstring(text)));
  if (it == measured_.end()) return false;
  *out = it->second;
  return true;
}

void FontCache::storeSize(Gdiplus::Font* font, std::wstring_view text, int width, Size size) {
  if (measured_.size() > 20000) measured_.clear();  // bounded: a long session measures a lot
  measured_[std::make_tuple(static_cast<const void*>(font), width, std::wstring(text))] = size;
}

GdiplusPainter::GdiplusPainter(Gdiplus::Graphics& g, const Window& window, Skin& skin,
                               FontCache& fonts)
    : g_(g), window_(window), skin_(skin), fonts_(fonts) {
  g_.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  g_.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

void GdiplusPainter::fillRect(const Rect& r, Color c) {
  if (r.empty() || !(c >> 24)) return;
  Gdiplus::SolidBrush brush(gc(c));
  g_.FillRectangle(&brush, gr(r));
}

void GdiplusPainter::fillRoundRect(const Rect& r, Color c, int radius) {
  if (r.empty() || !(c >> 24)) return;
  Gdiplus::GraphicsPath path;
  roundPath(&path, r, radius);
  Gdiplus::SolidBrush brush(gc(c));
  g_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  g_.FillPath(&brush, &path);
  g_.SetSmoothingMode(Gdiplus::SmoothingModeNone);
}

void GdiplusPainter::drawBorder(const Rect& r, Color c, int width, int radius) {
  if (r.empty() || width <= 0) return;
  Gdiplus::Pen pen(gc(c), static_cast<Gdiplus::REAL>(width));
  pen.SetAlignment(Gdiplus::PenAlignmentInset);
  Rect inner{r.left, r.top, r.right - 1, r.bottom - 1};
  if (radius > 0) {
    Gdiplus::GraphicsPath path;
    roundPath(&path, Rect{r.left, r.top, r.right, r.bottom}, radius);
    g_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g_.DrawPath(&pen, &path);
    g_.SetSmoothingMode(Gdiplus::SmoothingModeNone);
  } else {
    g_.DrawRectangle(&pen, inner.left, inner.top, inner.width(), inner.height());
  }
}

void GdiplusPainter::drawLine(Point a, Point b, Color c, int width) {
  Gdiplus::Pen pen(gc(c), static_cast<Gdiplus::REAL>(std::max(width, 1)));
  g_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  g_.DrawLine(&pen, a.x, a.y, b.x, b.y);
  g_.SetSmoothingMode(Gdiplus::SmoothingModeNone);
}

void GdiplusPainter::drawImage(const ImageRef& image, const Rect& controlRect, const Rect& part) {
  if (!image.valid() || controlRect.empty()) return;
  DpiScale s{dpi()};
  SkinImage img = skin_.image(image.file, s.imageScale());
  if (!img.bitmap) return;
  int k = img.scale;
  Rect src;
  if (!part.empty()) {
    src = part;
  } else if (image.hasSource) {
    src = image.source;
  } else {
    src = Rect{0, 0, static_cast<int>(img.bitmap->GetWidth()) / k,
               static_cast<int>(img.bitmap->GetHeight()) / k};
  }
  src = Rect{src.left * k, src.top * k, src.right * k, src.bottom * k};
  Rect dest = controlRect;
  if (image.hasDest) dest = s.px(image.dest).offset(controlRect.left, controlRect.top);
  if (dest.empty() || src.empty()) return;

  Gdiplus::ImageAttributes attrs;
  attrs.SetWrapMode(Gdiplus::WrapModeTileFlipXY);  // no bleeding at the sub-image's edges
  if (image.fade < 255) {
    Gdiplus::ColorMatrix m = {{{1, 0, 0, 0, 0},
                               {0, 1, 0, 0, 0},
                               {0, 0, 1, 0, 0},
                               {0, 0, 0, image.fade / 255.0f, 0},
                               {0, 0, 0, 0, 1}}};
    attrs.SetColorMatrix(&m);
  }
  bool same = dest.width() == src.width() && dest.height() == src.height();
  g_.SetInterpolationMode(same ? Gdiplus::InterpolationModeNearestNeighbor
                               : Gdiplus::InterpolationModeHighQualityBicubic);
  auto blit = [&](const Rect& d, const Rect& sr) {
    if (d.empty() || sr.empty()) return;
    g_.DrawImage(img.bitmap, gr(d), sr.left, sr.top, sr.width(), sr.height(), Gdiplus::UnitPixel,
                 &attrs);
  };
  const Edges& c = image.corner;
  if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
    blit(dest, src);
    return;
  }
  // Nine-grid: corners keep their (scaled) size, edges stretch along one axis, the centre both.
  Edges sc{c.left * k, c.top * k, c.right * k, c.bottom * k};
  Edges dc = s.px(c);
  int sx[4] = {src.left, src.left + sc.left, src.right - sc.right, src.right};
  int sy[4] = {src.top, src.top + sc.top, src.bottom - sc.bottom, src.bottom};
  int dx[4] = {dest.left, dest.left + dc.left, dest.right - dc.right, dest.right};
  int dy[4] = {dest.top, dest.top + dc.top, dest.bottom - dc.bottom, dest.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      blit(Rect{dx[col], dy[row], dx[col + 1], dy[row + 1]},
           Rect{sx[col], sy[row], sx[col + 1], sy[row + 1]});
    }
  }
}

Gdiplus::Font* GdiplusPainter::fontFor(const TextStyle& style, std::wstring_view text) {
  return fonts_.get(window_.font(style.font), dpi(), style.bold, style.underline, hasCjk(text));
}

void GdiplusPainter::format(const TextStyle& style, Gdiplus::StringFormat* f) const {
  f->SetAlignment(style.align == HAlign::kCenter  ? Gdiplus::StringAlignmentCenter
                  : style.align == HAlign::kRight ? Gdiplus::StringAlignmentFar
                                                  : Gdiplus::StringAlignmentNear);
  f->SetLineAlignment(style.valign == VAlign::kCenter   ? Gdiplus::StringAlignmentCenter
                      : style.valign == VAlign::kBottom ? Gdiplus::StringAlignmentFar
                                                        : Gdiplus::StringAlignmentNear);
  // Trimming needs the text clipped to its box; untrimmed text may spill a pixel or two.
  INT flags =
      style.endEllipsis ? Gdiplus::StringFormatFlagsLineLimit : Gdiplus::StringFormatFlagsNoClip;
  if (style.singleLine) flags |= Gdiplus::StringFormatFlagsNoWrap;
  f->SetFormatFlags(flags);
  f->SetTrimming(style.endEllipsis ? Gdiplus::StringTrimmingEllipsisCharacter
                                   : Gdiplus::StringTrimmingNone);
}

void GdiplusPainter::drawText(const Rect& r, std::wstring_view text, const TextStyle& style) {
  if (text.empty() || r.empty()) return;
  std::wstring shortened;
  TextStyle st = style;
  if (style.endEllipsis && style.singleLine && measureText(text, style, 0).cx > r.width()) {
    // Our own ellipsis: GDI+ trimming is not honoured everywhere (wine draws the text cut).
    std::size_t lo = 0;
    std::size_t hi = text.size();
    while (lo < hi) {
      std::size_t mid = (lo + hi + 1) / 2;
      std::wstring candidate = std::wstring(text.substr(0, mid)) + L"\x2026";
      if (measureText(candidate, style, 0).cx <= r.width()) {
        lo = mid;
      } else {
        hi = mid - 1;
      }
    }
    shortened = std::wstring(text.substr(0, lo)) + L"\x2026";
    text = shortened;
    st.endEllipsis = false;
  }
  Gdiplus::StringFormat f(Gdiplus::StringFormat::GenericTypographic());
  format(st, &f);
  Gdiplus::SolidBrush brush(gc(style.color));
  Gdiplus::RectF rf(static_cast<Gdiplus::REAL>(r.left), static_cast<Gdiplus::REAL>(r.top),
                    static_cast<Gdiplus::REAL>(r.width()), static_cast<Gdiplus::REAL>(r.height()));
  g_.DrawString(text.data(), static_cast<INT>(text.size()), fontFor(style, text), rf, &f, &brush);
}

Size GdiplusPainter::measureText(std::wstring_view text, const TextStyle& style, int maxWidth) {
  if (text.empty()) {
    Gdiplus::Font* font = fontFor(style, L"A");
    return Size{0, static_cast<int>(std::ceil(font->GetHeight(&g_)))};
  }
  Gdiplus::Font* font = fontFor(style, text);
  int width = style.singleLine ? 0 : maxWidth;
  Size cached;
  if (fonts_.cachedSize(font, text, width, &cached)) return cached;
  Gdiplus::StringFormat f(Gdiplus::StringFormat::GenericTypographic());
  TextStyle s = style;
  s.endEllipsis = false;
  if (maxWidth <= 0) s.singleLine = true;
  format(s, &f);
  f.SetAlignment(Gdiplus::StringAlignmentNear);
  f.SetFormatFlags(f.GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
  Gdiplus::RectF layout(
      0, 0, maxWidth > 0 && !s.singleLine ? static_cast<Gdiplus::REAL>(maxWidth) : 100000.0f,
      100000.0f);
  Gdiplus::RectF box;
  g_.MeasureString(text.data(), static_cast<INT>(text.size()), font, layout, &f, &box);
  Size size{static_cast<int>(std::ceil(box.Width)), static_cast<int>(std::ceil(box.Height))};
  fonts_.storeSize(font, text, width, size);
  return size;
}

void GdiplusPainter::drawAnimationFrame(const std::string& file, int frame, const Rect& r) {
  const SkinAnimation* anim = skin_.animation(file, DpiScale{dpi()}.imageScale());
  if (!anim || anim->frames.empty() || r.empty()) return;
  Gdiplus::Bitmap* bmp = anim->frames[static_cast<std::size_t>(frame) % anim->frames.size()].get();
  g_.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  g_.DrawImage(bmp, gr(r));
}

std::vector<int> GdiplusPainter::animationDelays(const std::string& file) {
  const SkinAnimation* anim = skin_.animation(file, 1);
  return anim ? anim->delaysMs : std::vector<int>{};
}

Size GdiplusPainter::imageSize(const std::string& file) {
  Size s;
  skin_.imageSize(file, &s.cx, &s.cy);
  return s;
}

void GdiplusPainter::pushClip(const Rect& r) {
  clips_.push_back(g_.Save());
  g_.SetClip(gr(r), Gdiplus::CombineModeIntersect);
  clipRects_.push_back(clipRects_.empty() ? r : clipRects_.back().intersect(r));
}

void GdiplusPainter::popClip() {
  if (clips_.empty()) return;
  g_.Restore(clips_.back());
  clips_.pop_back();
  clipRects_.pop_back();
}

Rect GdiplusPainter::clipRect() const {
  return clipRects_.empty() ? Rect{-1000000, -1000000, 1000000, 1000000} : clipRects_.back();
}

GdiplusMeasurer::GdiplusMeasurer(const Window& window, Skin& skin, FontCache& fonts)
    : dc_(CreateCompatibleDC(nullptr)) {
  g_ = std::make_unique<Gdiplus::Graphics>(dc_);
  painter_ = std::make_unique<GdiplusPainter>(*g_, window, skin, fonts);
}

GdiplusMeasurer::~GdiplusMeasurer() {
  painter_.reset();
  g_.reset();
  DeleteDC(dc_);
}

Size GdiplusMeasurer::measureText(std::wstring_view text, const TextStyle& style, int maxWidth) {
  return painter_->measureText(text, style, maxWidth);
}

Size GdiplusMeasurer::imageSize(const std::string& file) {
  return painter_->imageSize(file);
}

std::vector<int> GdiplusMeasurer::animationDelays(const std::string& file) {
  return painter_->animationDelays(file);
}

}  // namespace qv::framework
