#include "framework/frame_hit.h"

#include "framework/control.h"
#include "platform/ascii.h"

namespace qv::framework {

FrameHit hitTestFrame(Point p, const FrameMetrics& m, const Control* under,
                      const std::vector<std::string>& clientClasses) {
  if (!m.maximized) {
    bool left = p.x < m.sizeBox.left;
    bool right = p.x >= m.client.cx - m.sizeBox.right;
    bool top = p.y < m.sizeBox.top;
    bool bottom = p.y >= m.client.cy - m.sizeBox.bottom;
    if (top && left) return FrameHit::kTopLeft;
    if (top && right) return FrameHit::kTopRight;
    if (bottom && left) return FrameHit::kBottomLeft;
    if (bottom && right) return FrameHit::kBottomRight;
    if (top) return FrameHit::kTop;
    if (bottom) return FrameHit::kBottom;
    if (left) return FrameHit::kLeft;
    if (right) return FrameHit::kRight;
  }
  bool inCaption = p.x >= m.caption.left && p.x < m.client.cx - m.caption.right &&
                   p.y >= m.caption.top && p.y < m.caption.bottom;
  if (!inCaption) return FrameHit::kClient;
  if (under) {
    std::string cls = under->className();
    for (const std::string& c : clientClasses) {
      if (platform::equalsNoCase(cls, c)) return FrameHit::kClient;
    }
  }
  return FrameHit::kCaption;
}

}  // namespace qv::framework
