// The arrange pass of the containers: pure code, pixels out of design units, no window needed.
#pragma once

#include "framework/container.h"

namespace qv::framework {

enum class Axis : std::uint8_t { kVertical, kHorizontal };

// Places the visible children of a box along an axis (VerticalLayout, HorizontalLayout, the
// rows of a list in element mode) inside `inner`, scrolled by `scroll` pixels on the axis.
// Returns the content's extent on the axis (pixels), children's padding and gaps included.
int arrangeLinear(Container& box, const Rect& inner, Axis axis, int scroll, TextMeasurer& m,
                  int dpi);
// Places every visible child over `inner` at its fixed size or filling it (Container, TabLayout).
void arrangeStacked(Container& box, const Rect& inner, TextMeasurer& m, int dpi);
// Places the floating children at their "pos" relative to the box's top-left corner.
void arrangeFloats(Container& box, TextMeasurer& m, int dpi);

}  // namespace qv::framework
