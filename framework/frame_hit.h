// Hit testing of a frameless window's own frame: which part of the window a point is (a sizing
// border or corner, the caption band that drags the window, or the client area). Pure
// arithmetic over the layout's figures, so the rules are tested without a window.
#pragma once

#include <string>
#include <vector>

#include "framework/geometry.h"

namespace qv::framework {

class Control;

enum class FrameHit : std::uint8_t {
  kClient,
  kCaption,
  kLeft,
  kRight,
  kTop,
  kBottom,
  kTopLeft,
  kTopRight,
  kBottomLeft,
  kBottomRight,
};

struct FrameMetrics {
  Size client;    // pixels
  Edges sizeBox;  // pixels: the resizing strips
  Rect caption;   // pixels: left, top, right margin, bottom of the drag band
  bool maximized = false;
};

// `under` is the control under the point (or null); inside the caption band a control whose
// class name is one of `clientClasses` (compared without case) keeps the point in the client.
FrameHit hitTestFrame(Point p, const FrameMetrics& m, const Control* under,
                      const std::vector<std::string>& clientClasses);

}  // namespace qv::framework
