// Markup text of labels: a short tag set, parsed into runs once when the text is set, and one
// routine that places the runs so that measuring, drawing and link hit testing agree.
//
// Tags (the brace form "{x 6}" is the same tag, for texts written inside XML attributes):
//   <x N>              horizontal space of N design units
//   <i file N M>       image: the file cut into N equal parts side by side, part M (0-based);
//                      "<i file>" is the whole file
//   <a>...</a>         a link; clicking it sends "link" with its index (0 for the first)
//   <b>...</b>         bold
//   <c #AARRGGBB>...</c>   colour
//   <n>                line break
// Anything else between "<" and ">" (or "{" and "}") is ordinary text, so "a < b" shows as
// written. Tags do not take arguments that change their meaning: "<i>" is always an image.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/geometry.h"
#include "framework/painter.h"

namespace qv::framework {

enum class RunKind : std::uint8_t { kText, kSpace, kImage, kLineBreak };

struct TextRun {
  RunKind kind = RunKind::kText;
  std::wstring text;
  int space = 0;  // design units, kSpace
  std::string imageFile;
  int imageParts = 1;
  int imagePart = 0;
  bool bold = false;
  Color color = 0;  // 0: the label's own colour
  int link = -1;    // index of the enclosing <a>, or -1
};

struct MarkupText {
  std::vector<TextRun> runs;
  int linkCount = 0;
  // The text without tags (what a screen reader or a test reads).
  std::wstring plainText() const;
};

MarkupText parseMarkupText(std::wstring_view text);

struct PlacedRun {
  const TextRun* run = nullptr;
  Rect rect;       // pixels
  Rect imagePart;  // source part of the image in 1x sheet pixels, kImage only
};

// Places the runs left to right from the rectangle's top-left, one line per <n>, each line
// vertically centred in its line height; runs past the right edge are cut off.
std::vector<PlacedRun> placeMarkupText(const MarkupText& text, const Rect& box,
                                       const TextStyle& style, int dpi, TextMeasurer& measurer);

// The link under a point among placed runs, or -1.
int linkAt(const std::vector<PlacedRun>& placed, Point p);

}  // namespace qv::framework
