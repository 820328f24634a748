// Parsing of attribute values as the layouts write them. Each returns false, and leaves *out
// as it was, for text that is not a well-formed value, so the builder can report the attribute.
//   integer      "-12", "40"            (decimal, within +-1,000,000)
//   size         "1000,650"
//   edges/rect   "5,5,20,0"             (left, top, right, bottom)
//   colour       "#FF495867" or "#495867" (then opaque), "0xFFD7D7D7"
//   boolean      "true" / "false" (also "1" / "0")
//   alignment    "left" "center" "right" / "top" "center" "bottom"
#pragma once

#include <string_view>

#include "framework/geometry.h"
#include "framework/painter.h"

namespace qv::framework {

bool parseInt(std::wstring_view text, int* out);
bool parseSize(std::wstring_view text, Size* out);
bool parseEdges(std::wstring_view text, Edges* out);
bool parseRect(std::wstring_view text, Rect* out);
bool parseColor(std::wstring_view text, Color* out);
bool parseBool(std::wstring_view text, bool* out);
// "left", "center", "right"; "top", "center" (or "vcenter"), "bottom".
bool parseHAlign(std::wstring_view text, HAlign* out);
bool parseVAlign(std::wstring_view text, VAlign* out);

}  // namespace qv::framework
