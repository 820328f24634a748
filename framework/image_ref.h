// An image reference as the layouts and the program write it, parsed once when it is set:
//   "Controls.png"                                         the whole file, stretched to the control
//   "file='Controls.png' source='325,75,340,90' dest='0,4,16,20' corner='4,4,4,4' fade='128'"
// file    a file of the skin archive (its 2x twin "name@2x.png" is chosen at 150% and above)
// source  the sub-rectangle of the sprite sheet, in 1x sheet pixels (l,t,r,b)
// dest    where it goes inside the control, in design units (l,t,r,b); absent: the whole control
// corner  nine-grid margins in 1x sheet pixels: the corners keep their size when stretched
// fade    opacity 0-255
// Values may be quoted with ' or ". Unknown keys are ignored; a malformed number leaves the
// reference invalid (drawn as nothing) rather than half-applied.
#pragma once

#include <string>
#include <string_view>

#include "framework/geometry.h"

namespace qv::framework {

struct ImageRef {
  std::string file;  // UTF-8, as named in the archive
  bool hasSource = false;
  Rect source;
  bool hasDest = false;
  Rect dest;
  Edges corner;
  int fade = 255;

  bool valid() const { return !file.empty(); }
  friend bool operator==(const ImageRef& a, const ImageRef& b) {
    return a.file == b.file && a.hasSource == b.hasSource && a.source == b.source &&
           a.hasDest == b.hasDest && a.dest == b.dest && a.corner == b.corner && a.fade == b.fade;
  }
};

// false (and an empty *out) for a malformed reference; an empty text is a valid "no image".
bool parseImageRef(std::wstring_view text, ImageRef* out);

// The archive name of the sheet drawn at a sheet scale: "a.png" at 2 is "a@2x.png"; the suffix
// goes before the last "." of the last path part only (a dotted folder is left alone).
std::string scaledImageName(std::string_view file, int sheetScale);

// The sub-image `index` of `count` equal side-by-side parts of a sheet of the given width (the
// "<i file count index>" form of markup text and of the expand flags).
Rect imagePart(int sheetWidth, int sheetHeight, int count, int index);

}  // namespace qv::framework
