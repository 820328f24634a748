#include "framework/markup_text.h"

#include <algorithm>

#include "framework/dpi.h"
#include "framework/values.h"
#include "platform/text.h"

namespace qv::framework {

std::wstring MarkupText::plainText() const {
  std::wstring out;
  for (const TextRun& r : runs) {
    if (r.kind == RunKind::kText) out += r.text;
    if (r.kind == RunKind::kLineBreak) out += L'\n';
  }
  return out;
}

namespace {

std::vector<std::wstring_view> words(std::wstring_view s) {
  std::vector<std::wstring_view> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == L' ') ++i;
    std::size_t start = i;
    while (i < s.size() && s[i] != L' ') ++i;
    if (i > start) out.push_back(s.substr(start, i - start));
  }
  return out;
}

struct State {
  bool bold = false;
  std::vector<Color> colors;
  int link = -1;
};

// Interprets one tag body ("x 6", "/a", "i expand_flag.png 2 1"); false when it is no tag.
bool applyTag(std::wstring_view body, State* st, MarkupText* out) {
  if (body.empty() || body.front() == L' ') return false;  // "a < b" is text, not a tag
  std::vector<std::wstring_view> w = words(body);
  if (w.empty()) return false;
  std::wstring_view t = w[0];
  auto push = [&](TextRun r) {
    r.bold = st->bold;
    r.color = st->colors.empty() ? 0 : st->colors.back();
    r.link = st->link;
    out->runs.push_back(std::move(r));
  };
  if (t == L"x" && w.size() == 2) {
    TextRun r;
    r.kind = RunKind::kSpace;
    if (!parseInt(w[1], &r.space) || r.space < 0) return false;
    push(std::move(r));
  } else if (t == L"i" && (w.size() == 2 || w.size() == 4)) {
    TextRun r;
    r.kind = RunKind::kImage;
    r.imageFile = platform::toUtf8(w[1]);
    if (w.size() == 4) {
      if (!parseInt(w[2], &r.imageParts) || !parseInt(w[3], &r.imagePart)) return false;
      if (r.imageParts < 1 || r.imagePart < 0 || r.imagePart >= r.imageParts) return false;
    }
    push(std::move(r));
  } else if (t == L"a" && w.size() == 1) {
    st->link = out->linkCount++;
  } else if (t == L"/a" && w.size() == 1) {
    st->link = -1;
  } else if (t == L"b" && w.size() == 1) {
    st->bold = true;
  } else if (t == L"/b" && w.size() == 1) {
    st->bold = false;
  } else if (t == L"c" && w.size() == 2) {
    Color c = 0;
    if (!parseColor(w[1], &c)) return false;
    st->colors.push_back(c);
  } else if (t == L"/c" && w.size() == 1) {
    if (!st->colors.empty()) st->colors.pop_back();
  } else if (t == L"n" && w.size() == 1) {
    TextRun r;
    r.kind = RunKind::kLineBreak;
    push(std::move(r));
  } else {
    return false;
  }
  return true;
}

}  // namespace

MarkupText parseMarkupText(std::wstring_view s) {
  MarkupText out;
  State st;
  std::wstring pending;
  auto flush = [&] {
    if (pending.empty()) return;
    TextRun r;
    r.text = std::move(pending);
    r.bold = st.bold;
    r.color = st.colors.empty() ? 0 : st.colors.back();
    r.link = st.link;
    out.runs.push_back(std::move(r));
    pending.clear();
  };
  for (std::size_t i = 0; i < s.size();) {
    wchar_t open = s[i];
    if (open == L'<' || open == L'{') {
      wchar_t close = open == L'<' ? L'>' : L'}';
      std::size_t end = s.find(close, i + 1);
      if (end != std::wstring_view::npos) {
        State before = st;
        std::size_t runsBefore = out.runs.size();
        std::wstring saved = pending;
        flush();
        if (applyTag(s.substr(i + 1, end - i - 1), &st, &out)) {
          i = end + 1;
          continue;
        }
        // Not a tag: undo the flush and keep the character as text.
        out.runs.resize(runsBefore);
        st = before;
        pending = std::move(saved);
      }
    }
    pending.push_back(s[i++]);
  }
  flush();
  return out;
}

std::vector<PlacedRun> placeMarkupText(const MarkupText& text, const Rect& box,
                                       const TextStyle& style, int dpi, TextMeasurer& measurer) {
  DpiScale scale{dpi};
  std::vector<PlacedRun> placed;
  // Each line: measure the runs, then centre them in the line's height.
  std::size_t lineStart = 0;
  int y = box.top;
  int x = box.left;
  int lineHeight = 0;
  auto finishLine = [&](std::size_t end) {
    for (std::size_t k = lineStart; k < end; ++k) {
      Rect& r = placed[k].rect;
      int h = r.height();
      r.top = y + (lineHeight - h) / 2;
      r.bottom = r.top + h;
    }
    lineStart = end;
    y += lineHeight;
    x = box.left;
    lineHeight = 0;
  };
  int lineMin = measurer.measureText(L"Ag", style, 0).cy;
  for (const TextRun& run : text.runs) {
    PlacedRun p;
    p.run = &run;
    Size size;
    switch (run.kind) {
      case RunKind::kText: {
        TextStyle s = style;
        s.bold = style.bold || run.bold;
        size = measurer.measureText(run.text, s, 0);
        break;
      }
      case RunKind::kSpace:
        size = Size{scale.px(run.space), 0};
        break;
      case RunKind::kImage: {
        Size sheet = measurer.imageSize(run.imageFile);
        p.imagePart = imagePart(sheet.cx, sheet.cy, run.imageParts, run.imagePart);
        size = scale.px(Size{p.imagePart.width(), p.imagePart.height()});
        break;
      }
      case RunKind::kLineBreak:
        lineHeight = std::max(lineHeight, lineMin);
        finishLine(placed.size());
        continue;
    }
    p.rect = Rect::fromSize(x, 0, size.cx, size.cy);
    x += size.cx;
    lineHeight = std::max({lineHeight, size.cy, lineMin});
    placed.push_back(p);
  }
  finishLine(placed.size());
  // Vertical alignment of the whole block inside the box (single block of lines).
  int total = y - box.top;
  int dy = style.valign == VAlign::kCenter   ? (box.height() - total) / 2
           : style.valign == VAlign::kBottom ? box.height() - total
                                             : 0;
  if (dy > 0) {
    for (PlacedRun& p : placed) p.rect = p.rect.offset(0, dy);
  }
  return placed;
}

int linkAt(const std::vector<PlacedRun>& placed, Point p) {
  for (const PlacedRun& r : placed) {
    if (r.run->link >= 0 && r.rect.contains(p)) return r.run->link;
  }
  return -1;
}

}  // namespace qv::framework
