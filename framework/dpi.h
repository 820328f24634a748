// Design units to pixels. Every pixel figure of a layout is a design unit at 96 DPI; a window
// converts them with its own DPI at arrange and paint time, from the stored design values, so
// repeated DPI changes never compound rounding.
#pragma once

#include <cstdint>

#include "framework/geometry.h"

namespace qv::framework {

constexpr int kDesignDpi = 96;

// v * dpi / 96, rounded half away from zero. Negative figures (float offsets) scale alike.
inline int scaleToDpi(int v, int dpi) {
  std::int64_t n = static_cast<std::int64_t>(v) * dpi;
  std::int64_t q =
      n >= 0 ? (n + kDesignDpi / 2) / kDesignDpi : -((-n + kDesignDpi / 2) / kDesignDpi);
  return static_cast<int>(q);
}

struct DpiScale {
  int dpi = kDesignDpi;

  int px(int designUnits) const { return scaleToDpi(designUnits, dpi); }
  Size px(Size s) const { return Size{px(s.cx), px(s.cy)}; }
  Edges px(const Edges& e) const { return Edges{px(e.left), px(e.top), px(e.right), px(e.bottom)}; }
  Rect px(const Rect& r) const { return Rect{px(r.left), px(r.top), px(r.right), px(r.bottom)}; }
  // Sprite sheets come at 1x and 2x; from 150% on the 2x sheet is drawn (scaled down when the
  // display is between 150% and 200%), below it the 1x sheet.
  int imageScale() const { return dpi * 2 >= kDesignDpi * 3 ? 2 : 1; }
};

}  // namespace qv::framework
